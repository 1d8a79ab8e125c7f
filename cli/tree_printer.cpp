#include "cli/tree_printer.h"

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/text_encoding.h"

namespace {

constexpr size_t kIndent = 2;
constexpr size_t kColumnGap = 2;

constexpr const char* kBoldRed = "\x1b[1;31m";
constexpr const char* kBlue = "\x1b[34m";
constexpr const char* kReset = "\x1b[0m";

enum class Ink { kPlain, kError, kDynamic };

struct Row {
  std::vector<std::wstring> texts;
  Ink ink = Ink::kPlain;
};

Ink InkOf(const TraceView& view, TreeItem item) {
  if (IsHighlighted(view, item)) return Ink::kError;
  const CellReference* reference = view.referenceOf(item);
  return reference != nullptr && (reference->flags & RefDynamic) != 0 ? Ink::kDynamic : Ink::kPlain;
}

// Rows in display order, the first column indented; an explicit stack keeps deep chains safe.
std::vector<Row> CollectRows(const TraceView& view) {
  std::vector<Row> rows;
  std::vector<std::pair<TreeItem, size_t>> pending;
  const std::vector<TreeItem> top = ChildItems(*view.tree, view.tree->Root());
  for (auto it = top.rbegin(); it != top.rend(); ++it) pending.emplace_back(*it, 0);
  while (!pending.empty()) {
    const auto [item, depth] = pending.back();
    pending.pop_back();
    Row row{ColumnTexts(view, item), InkOf(view, item)};
    row.texts[0].insert(0, depth * kIndent, L' ');
    const bool repeated = view.isRepeated && view.isRepeated(item);
    if (repeated) row.texts[0] += kExpandedAboveMark;
    rows.push_back(std::move(row));
    if (repeated) continue;
    const std::vector<TreeItem> children = ChildItems(*view.tree, item);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
      pending.emplace_back(*it, depth + 1);
    }
  }
  return rows;
}

}  // namespace

std::string PrintTraceTree(const TraceView& view, bool colour) {
  std::vector<Row> rows = CollectRows(view);
  rows.insert(rows.begin(), Row{view.columns});
  std::vector<size_t> widths(view.columns.size(), 0);
  for (const Row& row : rows) {
    for (size_t i = 0; i < row.texts.size(); ++i)
      widths[i] = std::max(widths[i], row.texts[i].size());
  }
  std::string out = WideToUtf8(view.title) + '\n';
  for (const Row& row : rows) {
    std::wstring line;
    if (view.highlightErrors) line = row.ink == Ink::kError ? kHighlightGutter : kPlainGutter;
    for (size_t i = 0; i < row.texts.size(); ++i) {
      line += row.texts[i];
      if (i + 1 < row.texts.size()) line.append(widths[i] - row.texts[i].size() + kColumnGap, L' ');
    }
    while (!line.empty() && line.back() == L' ') line.pop_back();
    const char* ink = !colour                    ? nullptr
                      : row.ink == Ink::kError   ? kBoldRed
                      : row.ink == Ink::kDynamic ? kBlue
                                                 : nullptr;
    out += ink != nullptr ? ink + WideToUtf8(line) + kReset : WideToUtf8(line);
    out += '\n';
  }
  return out;
}

bool StdoutTakesColour() {
  if (isatty(fileno(stdout)) == 0) return false;
  const char* noColour = std::getenv("NO_COLOR");
  if (noColour != nullptr && *noColour != '\0') return false;
  const char* term = std::getenv("TERM");
  return term == nullptr || std::strcmp(term, "dumb") != 0;
}
