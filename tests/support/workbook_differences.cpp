// Comparing workbook models.
#include "tests/support/workbook_differences.h"

#include <cmath>
#include <map>
#include <set>
#include <sstream>

#include "platform/text_encoding.h"
#include "spreadsheet/model/column_letters.h"
#include "spreadsheet/model/workbook.h"

namespace test_support {
namespace {

using namespace spreadsheet;

constexpr double kSizeTolerance = 0.01;

std::string CellName(CellCoord cell) {
  return NarrowColumnLetters(cell.column) + std::to_string(cell.row);
}

std::string Describe(const CellValue& value) {
  std::ostringstream text;
  switch (value.Kind()) {
    case ValueKind::Empty:
      return "empty";
    case ValueKind::Number:
      text.precision(17);
      text << "number " << value.AsNumber();
      break;
    case ValueKind::Text:
      text << "text \"" << WideToUtf8(value.AsText()) << "\"";
      break;
    case ValueKind::Boolean:
      text << (value.AsBoolean() ? "TRUE" : "FALSE");
      break;
    case ValueKind::Error:
      text << WideToUtf8(std::wstring(ErrorText(value.AsError())));
      break;
  }
  return text.str();
}

std::string Describe(const Color& color) {
  switch (color.kind) {
    case Color::Kind::None:
      return "none";
    case Color::Kind::Automatic:
      return "auto";
    case Color::Kind::Rgb: {
      std::ostringstream text;
      text << std::hex << color.rgb;
      return text.str();
    }
  }
  return "?";
}

std::string Describe(const CFormatTable& formats, const CellFormat& format, bool withStyle) {
  const Font& font = formats.FontAt(format.font);
  const Fill& fill = formats.FillAt(format.fill);
  const Border& border = formats.BorderAt(format.border);
  std::ostringstream text;
  text << "numFmt '" << WideToUtf8(formats.NumberFormatCode(format.numberFormat)) << "' font "
       << WideToUtf8(font.name) << " " << font.size << (font.bold ? " b" : "")
       << (font.italic ? " i" : "") << (font.strikethrough ? " s" : "") << " u"
       << static_cast<int>(font.underline) << " " << Describe(font.color) << " fill "
       << WideToUtf8(fill.pattern) << " " << Describe(fill.color) << " border";
  for (const BorderEdge* edge : {&border.left, &border.right, &border.top, &border.bottom}) {
    text << " " << static_cast<int>(edge->style) << "/" << static_cast<int>(edge->weight) << "/"
         << Describe(edge->color);
  }
  text << (format.locked ? " locked" : " unlocked");
  if (withStyle) text << " style " << WideToUtf8(formats.NamedStyles().at(format.namedStyle).name);
  return text.str();
}

std::string DescribeRect(const CellRect& range) {
  return CellName(range.first) + ":" + CellName(range.last);
}

class CCollector {
 public:
  explicit CCollector(std::size_t limit) : limit_(limit) {}
  template <class A, class B>
  void Expect(const std::string& where, const A& expected, const B& actual) {
    if (expected == actual) return;
    std::ostringstream text;
    text << where << ": expected " << expected << ", got " << actual;
    Add(text.str());
  }
  void Add(const std::string& line) {
    if (lines_.size() < limit_) lines_.push_back(line);
  }
  bool Full() const { return lines_.size() >= limit_; }
  std::vector<std::string> Take() { return std::move(lines_); }

 private:
  std::size_t limit_;
  std::vector<std::string> lines_;
};

void CompareSheets(const CWorkbook& expectedBook, const CWorksheet& expected,
                   const CWorkbook& actualBook, const CWorksheet& actual, CCollector& out) {
  const std::string sheet = WideToUtf8(expected.Name()) + "!";
  out.Expect(sheet + " visibility", static_cast<int>(expected.Visible()),
             static_cast<int>(actual.Visible()));
  out.Expect(sheet + " protected", expected.IsProtected(), actual.IsProtected());
  out.Expect(sheet + " grid lines", expected.DisplayGridlines(), actual.DisplayGridlines());

  std::set<CellCoord> cells;
  expected.ForEachCell([&cells](CellCoord cell, const Cell&) { cells.insert(cell); });
  actual.ForEachCell([&cells](CellCoord cell, const Cell&) { cells.insert(cell); });
  for (const CellCoord cell : cells) {
    if (out.Full()) return;
    const std::string where = sheet + CellName(cell);
    out.Expect(where + " value", Describe(expected.Value(cell)), Describe(actual.Value(cell)));
    out.Expect(where + " formula", WideToUtf8(expected.Formula(cell).value_or(L"(none)")),
               WideToUtf8(actual.Formula(cell).value_or(L"(none)")));
    const FormulaRecord* expectedRecord = expected.FormulaOf(cell);
    const FormulaRecord* actualRecord = actual.FormulaOf(cell);
    const bool expectedArray = expectedRecord && expectedRecord->kind == FormulaRecord::Kind::Array;
    const bool actualArray = actualRecord && actualRecord->kind == FormulaRecord::Kind::Array;
    out.Expect(where + " array", expectedArray ? DescribeRect(expectedRecord->range) : "no",
               actualArray ? DescribeRect(actualRecord->range) : "no");
    out.Expect(
        where + " format",
        Describe(expectedBook.Formats(), expectedBook.Formats().FormatAt(expected.FormatOf(cell)),
                 true),
        Describe(actualBook.Formats(), actualBook.Formats().FormatAt(actual.FormatOf(cell)), true));
  }

  std::set<std::string> expectedMerges;
  std::set<std::string> actualMerges;
  for (const CellRect& merge : expected.Merges()) expectedMerges.insert(DescribeRect(merge));
  for (const CellRect& merge : actual.Merges()) actualMerges.insert(DescribeRect(merge));
  for (const std::string& merge : expectedMerges) {
    if (actualMerges.count(merge) == 0) out.Add(sheet + " merge " + merge + " missing");
  }
  for (const std::string& merge : actualMerges) {
    if (expectedMerges.count(merge) == 0) out.Add(sheet + " merge " + merge + " added");
  }

  const auto compareSizes = [&](const std::string& what, const std::map<std::int32_t, double>& a,
                                const std::map<std::int32_t, double>& b, double fallback) {
    std::set<std::int32_t> keys;
    for (const auto& entry : a) keys.insert(entry.first);
    for (const auto& entry : b) keys.insert(entry.first);
    for (const std::int32_t key : keys) {
      const double x = a.count(key) ? a.at(key) : fallback;
      const double y = b.count(key) ? b.at(key) : fallback;
      if (std::abs(x - y) > kSizeTolerance) {
        out.Add(sheet + " " + what + " " + std::to_string(key) + ": expected " + std::to_string(x) +
                ", got " + std::to_string(y));
      }
    }
  };
  compareSizes("column width", expected.ColumnWidths(), actual.ColumnWidths(),
               CWorksheet::kDefaultColumnWidth);
  compareSizes("row height", expected.RowHeights(), actual.RowHeights(),
               CWorksheet::kDefaultRowHeight);

  out.Expect(sheet + " table count", expected.Tables().size(), actual.Tables().size());
  for (std::size_t i = 0; i < std::min(expected.Tables().size(), actual.Tables().size()); ++i) {
    const Table& a = expected.Tables()[i];
    const Table& b = actual.Tables()[i];
    const std::string where = sheet + " table " + WideToUtf8(a.name);
    out.Expect(where + " name", WideToUtf8(a.name), WideToUtf8(b.name));
    out.Expect(where + " range", DescribeRect(a.range), DescribeRect(b.range));
    out.Expect(where + " header", a.hasHeaderRow, b.hasHeaderRow);
    out.Expect(where + " totals", a.hasTotalsRow, b.hasTotalsRow);
    out.Expect(where + " style", WideToUtf8(a.styleName), WideToUtf8(b.styleName));
    out.Expect(where + " column count", a.columns.size(), b.columns.size());
    for (std::size_t c = 0; c < std::min(a.columns.size(), b.columns.size()); ++c) {
      out.Expect(where + " column", WideToUtf8(a.columns[c]), WideToUtf8(b.columns[c]));
    }
  }
}

}  // namespace

std::vector<std::string> WorkbookDifferences(const CWorkbook& expected, const CWorkbook& actual,
                                             std::size_t limit) {
  CCollector out(limit);
  out.Expect("date 1904", expected.Date1904(), actual.Date1904());
  out.Expect("sheet count", expected.SheetCount(), actual.SheetCount());
  out.Expect("active sheet", expected.ActiveSheet(), actual.ActiveSheet());
  for (std::int32_t i = 1; i <= std::min(expected.SheetCount(), actual.SheetCount()); ++i) {
    out.Expect("sheet " + std::to_string(i) + " name", WideToUtf8(expected.Sheet(i).Name()),
               WideToUtf8(actual.Sheet(i).Name()));
    CompareSheets(expected, expected.Sheet(i), actual, actual.Sheet(i), out);
  }

  out.Expect("name count", expected.Names().size(), actual.Names().size());
  for (const DefinedName& name : expected.Names()) {
    const DefinedName* found = actual.FindName(name.name, name.scope);
    const std::string where = "name " + WideToUtf8(name.name) + "@" + std::to_string(name.scope);
    if (found == nullptr) {
      out.Add(where + " missing");
      continue;
    }
    out.Expect(where + " refers to", WideToUtf8(name.refersTo), WideToUtf8(found->refersTo));
    out.Expect(where + " hidden", name.hidden, found->hidden);
  }

  out.Expect("external book count", expected.ExternalLinks().size(), actual.ExternalLinks().size());
  for (std::size_t i = 0;
       i < std::min(expected.ExternalLinks().size(), actual.ExternalLinks().size()); ++i) {
    out.Expect("external book " + std::to_string(i + 1), WideToUtf8(expected.ExternalLinks()[i]),
               WideToUtf8(actual.ExternalLinks()[i]));
  }

  for (const NamedStyle& style : expected.Formats().NamedStyles()) {
    const auto found = actual.Formats().FindNamedStyle(style.name);
    const std::string where = "style " + WideToUtf8(style.name);
    if (!found) {
      out.Add(where + " missing");
      continue;
    }
    const NamedStyle& other = actual.Formats().NamedStyles()[*found];
    out.Expect(where + " builtin", style.builtinId.value_or(-1), other.builtinId.value_or(-1));
    out.Expect(where + " format", Describe(expected.Formats(), style.format, false),
               Describe(actual.Formats(), other.format, false));
  }
  return out.Take();
}

}  // namespace test_support
