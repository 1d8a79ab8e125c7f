// The worksheet part.
#include "spreadsheet/xlsx/sheet_writer.h"

#include <cmath>
#include <utility>
#include <vector>

#include "spreadsheet/model/formula_shift.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/xlsx/writer_cell_reference.h"
#include "spreadsheet/xlsx/writer_formula_encoder.h"
#include "spreadsheet/xlsx/writer_shared_strings.h"
#include "spreadsheet/xlsx/xml_writer.h"

namespace spreadsheet {
namespace {

constexpr double kDigitPixels = 7.0;
constexpr double kPaddingPixels = 5.0;
// Excel's limits on sizes; larger values make it reject the part.
constexpr double kMaxColumnWidth = 255.0;
constexpr double kMaxRowHeight = 409.0;
// Bytes of XML per cell, to size the buffer once for most sheets.
constexpr std::size_t kBytesPerCell = 40;

struct CellEntry {
  CellCoord coord;
  const Cell* cell;
};

bool IsSoundSize(double value, double limit) {
  return std::isfinite(value) && value >= 0.0 && value <= limit;
}

}  // namespace

double FileColumnWidth(double characters) {
  // Excel sizes columns in whole pixels: below one character the padding shrinks with the
  // column, from one on it is fixed.
  const double pixels = characters < 1.0
                            ? std::floor(characters * (kDigitPixels + kPaddingPixels) + 0.5)
                            : std::floor(characters * kDigitPixels + 0.5) + kPaddingPixels;
  return std::trunc(pixels / kDigitPixels * 256.0) / 256.0;
}

CSheetWriter::CSheetWriter(const CWorksheet& sheet, std::int32_t index,
                           CWriterSharedStrings& strings, CWriterFormulaEncoder& encoder,
                           bool selected)
    : sheet_(sheet), index_(index), strings_(strings), encoder_(encoder), selected_(selected) {}

void CSheetWriter::Render(std::string& out) {
  std::vector<CellEntry> cells;
  cells.reserve(sheet_.CellCount());
  sheet_.ForEachCell([&cells](CellCoord coord, const Cell& cell) {
    cells.push_back({coord, &cell});
  });
  out.reserve(cells.size() * kBytesPerCell + 1024);
  CXmlWriter xml(out);
  xml.Declaration();
  xml.Raw(
      "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">");

  const auto used = sheet_.UsedRange();
  xml.Start("dimension");
  xml.AttributeAscii("ref", used && IsOnSheet(*used) ? RangeReference(*used) : "A1");
  xml.EndEmpty();

  xml.Raw("<sheetViews><sheetView");
  if (selected_) xml.Raw(" tabSelected=\"1\"");
  if (!sheet_.DisplayGridlines()) xml.Raw(" showGridLines=\"0\"");
  xml.Raw(" workbookViewId=\"0\"/></sheetViews>");
  xml.Start("sheetFormatPr");
  xml.AttributeNumber("defaultRowHeight", CWorksheet::kDefaultRowHeight);
  xml.EndEmpty();

  // Columns: runs of equal widths share one element.
  bool colsOpen = false;
  const auto& widths = sheet_.ColumnWidths();
  for (auto it = widths.begin(); it != widths.end();) {
    const auto [first, width] = *it;
    std::int32_t last = first;
    auto next = std::next(it);
    while (next != widths.end() && next->first == last + 1 && next->second == width) {
      last = next->first;
      ++next;
    }
    it = next;
    if (first < 1 || last > kMaxColumns || !IsSoundSize(width, kMaxColumnWidth)) continue;
    if (!colsOpen) xml.Raw("<cols>");
    colsOpen = true;
    xml.Start("col");
    xml.Attribute("min", std::int64_t{first});
    xml.Attribute("max", std::int64_t{last});
    xml.AttributeNumber("width", width == 0.0 ? 0.0 : FileColumnWidth(width));
    if (width == 0.0) xml.Raw(" hidden=\"1\"");
    xml.Raw(" customWidth=\"1\"/>");
  }
  if (colsOpen) xml.Raw("</cols>");

  const std::vector<FormulaRecord>& records = sheet_.FormulaRecords();
  // Per record: the shared group number ("si") when written as a group, else -1.
  std::vector<std::int32_t> groups(records.size(), -1);
  std::vector<bool> arrayWritten(records.size(), false);
  std::int32_t nextGroup = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const FormulaRecord& record = records[i];
    if (record.kind != FormulaRecord::Kind::Shared || !(record.origin == record.range.first) ||
        record.range.IsSingleCell() || !IsOnSheet(record.range)) {
      continue;
    }
    const Cell* origin = sheet_.Find(record.origin);
    if (origin != nullptr && origin->formula == i + 1) groups[i] = nextGroup++;
  }

  const auto& heights = sheet_.RowHeights();
  auto height = heights.begin();
  std::int32_t openRow = 0;
  const auto startRow = [&](std::int32_t row, bool empty) {
    xml.Start("row");
    xml.Attribute("r", std::int64_t{row});
    if (height != heights.end() && height->first == row) {
      if (IsSoundSize(height->second, kMaxRowHeight)) {
        xml.AttributeNumber("ht", height->second);
        xml.Raw(" customHeight=\"1\"");
      }
      ++height;
    }
    if (empty) {
      xml.EndEmpty();
    } else {
      xml.EndStart();
    }
  };
  // Rows that hold nothing but a height, up to `row`.
  const auto heightsBefore = [&](std::int32_t row) {
    while (height != heights.end() && height->first < row) {
      if (height->first >= 1 && height->first <= kMaxRows) {
        startRow(height->first, true);
      } else {
        ++height;
      }
    }
  };

  std::uint64_t sharedTexts = 0;  // Cells referring to the shared string table.
  xml.Raw("<sheetData>");
  for (const CellEntry& entry : cells) {
    const Cell& cell = *entry.cell;
    if (entry.coord.row != openRow) {
      if (openRow != 0) xml.Raw("</row>");
      heightsBefore(entry.coord.row);
      startRow(entry.coord.row, false);
      openRow = entry.coord.row;
    }
    out += "<c r=\"";
    AppendCellReference(out, entry.coord);
    out += '"';
    if (cell.format != 0) {
      out += " s=\"";
      xml.Integer(cell.format);
      out += '"';
    }
    const FormulaRecord* record =
        cell.HasFormula() && cell.formula <= records.size() ? &records[cell.formula - 1] : nullptr;
    const bool finite = cell.kind != ValueKind::Number || std::isfinite(cell.number);
    switch (cell.kind) {
      case ValueKind::Empty:
        break;
      case ValueKind::Number:
        if (!finite) out += " t=\"e\"";
        break;
      case ValueKind::Text:
        out += record != nullptr ? " t=\"str\"" : " t=\"s\"";
        break;
      case ValueKind::Boolean:
        out += " t=\"b\"";
        break;
      case ValueKind::Error:
        out += " t=\"e\"";
        break;
    }
    if (record == nullptr && cell.kind == ValueKind::Empty) {
      out += "/>";
      continue;
    }
    out += '>';

    if (record != nullptr) {
      const std::size_t index = cell.formula - 1;
      switch (record->kind) {
        case FormulaRecord::Kind::Single:
          encoder_.Encode(record->text, formula_);
          out += "<f>";
          xml.Text(formula_);
          out += "</f>";
          break;
        case FormulaRecord::Kind::Shared:
          if (groups[index] >= 0 && !(entry.coord == record->origin)) {
            out += "<f t=\"shared\" si=\"";
            xml.Integer(groups[index]);
            out += "\"/>";
          } else if (groups[index] >= 0) {
            encoder_.Encode(record->text, formula_);
            out += "<f t=\"shared\" ref=\"";
            AppendRangeReference(out, record->range);
            out += "\" si=\"";
            xml.Integer(groups[index]);
            out += "\">";
            xml.Text(formula_);
            out += "</f>";
          } else {
            const std::wstring moved =
                ShiftFormula(record->text, entry.coord.row - record->origin.row,
                             entry.coord.column - record->origin.column);
            encoder_.Encode(moved, formula_);
            out += "<f>";
            xml.Text(formula_);
            out += "</f>";
          }
          break;
        case FormulaRecord::Kind::Array:
          if (!arrayWritten[index]) {
            arrayWritten[index] = true;
            encoder_.Encode(record->text, formula_);
            out += "<f t=\"array\" ref=\"";
            AppendRangeReference(out, record->range);
            out += "\">";
            xml.Text(formula_);
            out += "</f>";
          }
          break;
      }
    }

    switch (cell.kind) {
      case ValueKind::Empty:
        break;
      case ValueKind::Number:
        out += "<v>";
        if (finite) {
          xml.Number(cell.number);
        } else {
          xml.Text(ErrorText(ErrorCode::Num));
        }
        out += "</v>";
        break;
      case ValueKind::Text:
        out += "<v>";
        if (record != nullptr) {
          xml.EncodedText(sheet_.Workbook().Strings().At(cell.text));
        } else {
          xml.Integer(strings_.Add(cell.text));
          ++sharedTexts;
        }
        out += "</v>";
        break;
      case ValueKind::Boolean:
        out += cell.number != 0.0 ? "<v>1</v>" : "<v>0</v>";
        break;
      case ValueKind::Error:
        out += "<v>";
        xml.Text(ErrorText(cell.error));
        out += "</v>";
        break;
    }
    out += "</c>";
  }
  if (openRow != 0) xml.Raw("</row>");
  heightsBefore(kMaxRows + 1);
  xml.Raw("</sheetData>");
  strings_.SheetWritten(index_, sharedTexts);

  if (sheet_.IsProtected()) xml.Raw("<sheetProtection sheet=\"1\"/>");
  std::size_t mergeCount = 0;
  for (const CellRect& merge : sheet_.Merges()) mergeCount += IsOnSheet(merge) ? 1U : 0U;
  if (mergeCount > 0) {
    xml.Start("mergeCells");
    xml.Attribute("count", static_cast<std::int64_t>(mergeCount));
    xml.EndStart();
    for (const CellRect& merge : sheet_.Merges()) {
      if (!IsOnSheet(merge)) continue;
      out += "<mergeCell ref=\"";
      AppendRangeReference(out, merge);
      out += "\"/>";
    }
    xml.End("mergeCells");
  }
  xml.Raw(
      "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
      "footer=\"0.3\"/>");
  const std::size_t tables = sheet_.Tables().size();
  if (tables > 0) {
    xml.Start("tableParts");
    xml.Attribute("count", static_cast<std::int64_t>(tables));
    xml.EndStart();
    for (std::size_t i = 1; i <= tables; ++i) {
      out += "<tablePart r:id=\"rId";
      xml.Integer(static_cast<std::int64_t>(i));
      out += "\"/>";
    }
    xml.End("tableParts");
  }
  xml.End("worksheet");
}

}  // namespace spreadsheet
