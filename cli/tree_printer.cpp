#include "cli/tree_printer.h"

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/text_encoding.h"

namespace {

constexpr size_t kIndent = 2;
constexpr size_t kColumnGap = 2;
// A running total's dependents are a chain tens of thousands of levels deep. Rows below this
// depth are indented as at it and start with their depth instead, so that no line is tens of
// thousands of spaces wide.
constexpr size_t kDeepestIndent = 32;
// Columns are aligned to their widest text up to this width; a longer text pushes the rest of
// its own row along instead of widening every row.
constexpr size_t kWidestAlignedColumn = 120;

constexpr const char* kBoldRed = "\x1b[1;31m";
constexpr const char* kBlue = "\x1b[34m";
constexpr const char* kReset = "\x1b[0m";

enum class Ink { kPlain, kError, kDynamic };

Ink InkOf(const TraceView& view, TreeItem item) {
  if (IsHighlighted(view, item)) return Ink::kError;
  const CellReference* reference = view.referenceOf(item);
  return reference != nullptr && (reference->flags & RefDynamic) != 0 ? Ink::kDynamic : Ink::kPlain;
}

// The row's texts, the first column indented by depth and marked when repeated.
std::vector<std::wstring> RowTexts(const TraceView& view, TreeItem item, size_t depth,
                                   bool repeated) {
  KeepRunCellTexts(view, item);
  std::vector<std::wstring> texts = ColumnTexts(view, item);
  if (depth > kDeepestIndent) texts[0].insert(0, L'[' + std::to_wstring(depth) + L"] ");
  texts[0].insert(0, std::min(depth, kDeepestIndent) * kIndent, L' ');
  if (repeated) texts[0] += kExpandedAboveMark;
  return texts;
}

class CRowWriter {
 public:
  CRowWriter(const TraceView& view, bool colour, std::vector<size_t> widths, std::FILE* to)
      : view_(view), colour_(colour), widths_(std::move(widths)), to_(to) {}

  void Write(const std::vector<std::wstring>& texts, Ink ink) {
    std::wstring line;
    if (view_.highlightErrors) line = ink == Ink::kError ? kHighlightGutter : kPlainGutter;
    for (size_t i = 0; i < texts.size(); ++i) {
      line += texts[i];
      if (i + 1 < texts.size()) {
        line.append(std::max(widths_[i], texts[i].size()) - texts[i].size() + kColumnGap, L' ');
      }
    }
    while (!line.empty() && line.back() == L' ') line.pop_back();
    const char* inkCode = !colour_               ? nullptr
                          : ink == Ink::kError   ? kBoldRed
                          : ink == Ink::kDynamic ? kBlue
                                                 : nullptr;
    if (inkCode != nullptr) buffer_ += inkCode;
    buffer_ += WideToUtf8(line);
    if (inkCode != nullptr) buffer_ += kReset;
    buffer_ += '\n';
    if (buffer_.size() >= kFlushSize) Flush();
  }
  void Put(const std::string& text) { buffer_ += text; }
  bool Flush() {
    ok_ = ok_ && std::fwrite(buffer_.data(), 1, buffer_.size(), to_) == buffer_.size();
    buffer_.clear();
    return ok_;
  }

 private:
  static constexpr size_t kFlushSize = 64 * 1024;

  const TraceView& view_;
  bool colour_;
  std::vector<size_t> widths_;
  std::FILE* to_;
  std::string buffer_;
  bool ok_ = true;
};

}  // namespace

bool PrintTraceTree(const TraceView& view, std::FILE* to, bool colour) {
  // The columns' widths first, then the rows; each item's texts are made again for the second
  // pass (the cells' texts are kept by the filler) rather than held between them.
  std::vector<size_t> widths(view.columns.size(), 0);
  const auto widen = [&widths](const std::vector<std::wstring>& texts) {
    for (size_t i = 0; i < texts.size(); ++i) {
      widths[i] = std::max(widths[i], std::min(texts[i].size(), kWidestAlignedColumn));
    }
  };
  widen(view.columns);
  // The children of a repeated item are not shown.
  ForEachShownItem(view, [&](TreeItem item, size_t depth, bool repeated) {
    widen(RowTexts(view, item, depth, repeated));
    return !repeated;
  });
  CRowWriter writer(view, colour, std::move(widths), to);
  writer.Put(WideToUtf8(view.title) + '\n');
  writer.Write(view.columns, Ink::kPlain);
  ForEachShownItem(view, [&](TreeItem item, size_t depth, bool repeated) {
    writer.Write(RowTexts(view, item, depth, repeated), InkOf(view, item));
    return !repeated;
  });
  return writer.Flush();
}

bool StdoutTakesColour() {
  if (isatty(fileno(stdout)) == 0) return false;
  const char* noColour = std::getenv("NO_COLOR");
  if (noColour != nullptr && *noColour != '\0') return false;
  const char* term = std::getenv("TERM");
  return term == nullptr || std::strcmp(term, "dumb") != 0;
}
