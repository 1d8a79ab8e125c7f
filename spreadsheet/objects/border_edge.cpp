// Border edges of ranges.
#include "spreadsheet/objects/border_edge.h"

#include "spreadsheet/model/palette.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/objects/range_color.h"
#include "spreadsheet/objects/range_format_editor.h"

namespace spreadsheet {
namespace {

BorderEdge& SideOf(Border& border, CellSide side) {
  switch (side) {
    case CellSide::Left:
      return border.left;
    case CellSide::Top:
      return border.top;
    case CellSide::Bottom:
      return border.bottom;
    case CellSide::Right:
      return border.right;
  }
  return border.left;
}

bool IsLineStyle(std::int32_t value) {
  for (const LineStyle style :
       {LineStyle::None, LineStyle::Continuous, LineStyle::Dash, LineStyle::DashDot,
        LineStyle::DashDotDot, LineStyle::Dot, LineStyle::Double, LineStyle::SlantDashDot}) {
    if (static_cast<std::int32_t>(style) == value) return true;
  }
  return false;
}

bool IsWeight(std::int32_t value) {
  for (const BorderWeight weight :
       {BorderWeight::Hairline, BorderWeight::Thin, BorderWeight::Medium, BorderWeight::Thick}) {
    if (static_cast<std::int32_t>(weight) == value) return true;
  }
  return false;
}

std::int32_t PropertyOf(const BorderEdge& edge, BorderProperty property) {
  switch (property) {
    case BorderProperty::LineStyle:
      return static_cast<std::int32_t>(edge.style);
    case BorderProperty::Weight:
      return static_cast<std::int32_t>(edge.weight);
    case BorderProperty::Color:
      return edge.color.kind == Color::Kind::Rgb ? ExcelColorFromRgb(edge.color.rgb) : 0;
    case BorderProperty::ColorIndex:
      return edge.style == LineStyle::None ? kColorIndexNone : ColorIndexOf(edge.color);
  }
  return 0;
}

const wchar_t* RefusalOf(BorderProperty property) {
  switch (property) {
    case BorderProperty::LineStyle:
      return L"Unable to set the LineStyle property of the Border class";
    case BorderProperty::Weight:
      return L"Unable to set the Weight property of the Border class";
    case BorderProperty::Color:
      return L"Unable to set the Color property of the Border class";
    case BorderProperty::ColorIndex:
      return L"Unable to set the ColorIndex property of the Border class";
  }
  return L"";
}

}  // namespace

std::vector<EdgePart> BorderEdgeParts(const CellRect& range, BorderIndex index, bool forWriting) {
  const CellCoord first = range.first;
  const CellCoord last = range.last;
  switch (index) {
    case BorderIndex::EdgeLeft:
      return {{{first, {last.row, first.column}}, CellSide::Left}};
    case BorderIndex::EdgeRight:
      return {{{{first.row, last.column}, last}, CellSide::Right}};
    case BorderIndex::EdgeTop:
      return {{{first, {first.row, last.column}}, CellSide::Top}};
    case BorderIndex::EdgeBottom:
      return {{{{last.row, first.column}, last}, CellSide::Bottom}};
    case BorderIndex::InsideVertical: {
      if (first.column == last.column) return {};
      std::vector<EdgePart> parts{{{first, {last.row, last.column - 1}}, CellSide::Right}};
      if (forWriting) parts.push_back({{{first.row, first.column + 1}, last}, CellSide::Left});
      return parts;
    }
    case BorderIndex::InsideHorizontal: {
      if (first.row == last.row) return {};
      std::vector<EdgePart> parts{{{first, {last.row - 1, last.column}}, CellSide::Bottom}};
      if (forWriting) parts.push_back({{{first.row + 1, first.column}, last}, CellSide::Top});
      return parts;
    }
    case BorderIndex::DiagonalDown:
    case BorderIndex::DiagonalUp:
      break;
  }
  return {};
}

std::vector<EdgePart> AllEdgeParts(const CellRect& range) {
  return {{range, CellSide::Left},
          {range, CellSide::Top},
          {range, CellSide::Bottom},
          {range, CellSide::Right}};
}

std::optional<std::int32_t> ReadBorderProperty(CWorksheet& sheet,
                                               const std::vector<EdgePart>& parts,
                                               BorderProperty property) {
  // A range with no such edge (the inside edges of one cell) reads as an edge without a line.
  if (parts.empty()) return PropertyOf(BorderEdge{}, property);
  std::optional<std::int32_t> common;
  for (const EdgePart& part : parts) {
    const CRangeFormatEditor editor(sheet, part.cells);
    const CFormatTable& formats = editor.Formats();
    const auto value = editor.Uniform<std::int32_t>([&](const CellFormat& format) {
      Border border = formats.BorderAt(format.border);
      return PropertyOf(SideOf(border, part.side), property);
    });
    if (!value || (common && *common != *value)) return std::nullopt;
    common = value;
  }
  return common;
}

RangeOutcome WriteBorderProperty(CWorksheet& sheet, const std::vector<EdgePart>& parts,
                                 BorderProperty property, std::int32_t value) {
  std::optional<Color> color;
  switch (property) {
    case BorderProperty::LineStyle:
      if (!IsLineStyle(value)) return RangeOutcome::Runtime(RefusalOf(property));
      break;
    case BorderProperty::Weight:
      if (!IsWeight(value)) return RangeOutcome::Runtime(RefusalOf(property));
      break;
    case BorderProperty::Color:
      if (value < 0 || value > kMaxExcelColor) return RangeOutcome::Runtime(RefusalOf(property));
      color = Color::Rgb(RgbFromExcelColor(value));
      break;
    case BorderProperty::ColorIndex:
      color = ColorOfIndex(value);
      if (!color) return RangeOutcome::Runtime(RefusalOf(property));
      break;
  }
  if (sheet.IsProtected()) return RangeOutcome::Runtime(kProtectedSheetError);
  auto change = [&](BorderEdge& edge) {
    switch (property) {
      case BorderProperty::LineStyle:
        edge = value == static_cast<std::int32_t>(LineStyle::None)
                   ? BorderEdge{}
                   : BorderEdge{static_cast<LineStyle>(value), edge.weight, edge.color};
        return;
      case BorderProperty::Weight:
        edge.weight = static_cast<BorderWeight>(value);
        break;
      case BorderProperty::Color:
      case BorderProperty::ColorIndex:
        if (color->kind == Color::Kind::None) {
          edge = BorderEdge{};  // ColorIndex = xlNone takes the line away.
          return;
        }
        edge.color = *color;
        break;
    }
    if (edge.style == LineStyle::None) edge.style = LineStyle::Continuous;
  };
  // A write that reaches cells not stored must fit for every part, checked before any part is
  // written so that a refused write changes nothing.
  const CFormatTable& formats = sheet.Workbook().Formats();
  const Border plain = formats.BorderAt(formats.FormatAt(0).border);
  for (const EdgePart& part : parts) {
    Border changed = plain;
    change(SideOf(changed, part.side));
    if (!(changed == plain) && part.cells.CellCount() > kMaxFormattedCells) {
      return RangeOutcome::Runtime(L"Out of memory");
    }
  }
  for (const EdgePart& part : parts) {
    CRangeFormatEditor editor(sheet, part.cells);
    const bool applied = editor.Apply([&](CellFormat& format, CFormatTable& table) {
      Border border = table.BorderAt(format.border);
      change(SideOf(border, part.side));
      format.border = table.InternBorder(border);
    });
    if (!applied) return RangeOutcome::Runtime(L"Out of memory");
  }
  return RangeOutcome::Ok();
}

}  // namespace spreadsheet
