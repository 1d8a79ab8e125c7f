#include "cli/tree_printer.h"

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "platform/text_encoding.h"

namespace {

constexpr size_t kIndent = 2;
constexpr size_t kGap = 2;

struct Row {
  std::vector<std::wstring> texts;
};

// Rows in display order, the first column indented; an explicit stack keeps deep chains safe.
std::vector<Row> CollectRows(const TraceView& view) {
  std::vector<Row> rows;
  std::vector<std::pair<TreeItem, size_t>> pending;
  const std::vector<TreeItem> top = ChildItems(*view.tree, view.tree->Root());
  for (auto it = top.rbegin(); it != top.rend(); ++it) pending.emplace_back(*it, 0);
  while (!pending.empty()) {
    const auto [item, depth] = pending.back();
    pending.pop_back();
    Row row{ColumnTexts(view, item)};
    row.texts[0].insert(0, depth * kIndent, L' ');
    rows.push_back(std::move(row));
    const std::vector<TreeItem> children = ChildItems(*view.tree, item);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
      pending.emplace_back(*it, depth + 1);
    }
  }
  return rows;
}

}  // namespace

std::string PrintTraceTree(const TraceView& view) {
  std::vector<Row> rows = CollectRows(view);
  rows.insert(rows.begin(), Row{view.columns});
  std::vector<size_t> widths(view.columns.size(), 0);
  for (const Row& row : rows) {
    for (size_t i = 0; i < row.texts.size(); ++i)
      widths[i] = std::max(widths[i], row.texts[i].size());
  }
  std::wstring out = view.title + L'\n';
  for (const Row& row : rows) {
    std::wstring line;
    for (size_t i = 0; i < row.texts.size(); ++i) {
      line += row.texts[i];
      if (i + 1 < row.texts.size()) line.append(widths[i] - row.texts[i].size() + kGap, L' ');
    }
    while (!line.empty() && line.back() == L' ') line.pop_back();
    out += line + L'\n';
  }
  return WideToUtf8(out);
}
