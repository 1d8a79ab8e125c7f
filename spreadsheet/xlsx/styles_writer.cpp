// The styles part.
#include "spreadsheet/xlsx/styles_writer.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "spreadsheet/model/formats.h"
#include "spreadsheet/xlsx/xml_writer.h"

namespace spreadsheet {
namespace {

// The pattern names a file may hold; anything else would make the part invalid.
constexpr std::array<std::wstring_view, 19> kPatterns = {
    L"none",           L"solid",           L"mediumGray",    L"darkGray",  L"lightGray",
    L"darkHorizontal", L"darkVertical",    L"darkDown",      L"darkUp",    L"darkGrid",
    L"darkTrellis",    L"lightHorizontal", L"lightVertical", L"lightDown", L"lightUp",
    L"lightGrid",      L"lightTrellis",    L"gray125",       L"gray0625"};

bool IsMandatoryStart(const CFormatTable& formats) {
  const auto& fills = formats.Fills();
  return fills.size() >= 2 && fills[0] == Fill{L"none", Color{}} &&
         fills[1] == Fill{L"gray125", Color{}};
}

void WriteColor(CXmlWriter& xml, std::string_view tag, const Color& color) {
  if (color.kind != Color::Kind::Rgb) return;
  std::array<char, 12> argb{};
  std::snprintf(argb.data(), argb.size(), "FF%06X", static_cast<unsigned>(color.rgb & 0xFFFFFF));
  xml.Start(tag);
  xml.AttributeAscii("rgb", argb.data());
  xml.EndEmpty();
}

void WriteFont(CXmlWriter& xml, const Font& font) {
  xml.Raw("<font>");
  if (font.bold) xml.Raw("<b/>");
  if (font.italic) xml.Raw("<i/>");
  if (font.strikethrough) xml.Raw("<strike/>");
  switch (font.underline) {
    case Underline::None:
      break;
    case Underline::Single:
      xml.Raw("<u/>");
      break;
    case Underline::Double:
      xml.Raw("<u val=\"double\"/>");
      break;
    case Underline::SingleAccounting:
      xml.Raw("<u val=\"singleAccounting\"/>");
      break;
    case Underline::DoubleAccounting:
      xml.Raw("<u val=\"doubleAccounting\"/>");
      break;
  }
  xml.Start("sz");
  xml.AttributeNumber("val", font.size);
  xml.EndEmpty();
  WriteColor(xml, "color", font.color);
  xml.Start("name");
  xml.Attribute("val", font.name);
  xml.EndEmpty();
  xml.Raw("</font>");
}

void WriteFill(CXmlWriter& xml, const Fill& fill) {
  const bool known = std::find(kPatterns.begin(), kPatterns.end(), fill.pattern) != kPatterns.end();
  // An unknown pattern keeps what the object model shows: its colour, as a solid fill.
  const std::wstring_view pattern =
      known ? std::wstring_view(fill.pattern)
            : (fill.color.kind == Color::Kind::Rgb ? L"solid" : L"none");
  xml.Raw("<fill>");
  xml.Start("patternFill");
  xml.Attribute("patternType", pattern);
  if (pattern == L"none" || fill.color.kind != Color::Kind::Rgb) {
    xml.EndEmpty();
  } else {
    xml.EndStart();
    WriteColor(xml, "fgColor", fill.color);
    xml.Raw("<bgColor indexed=\"64\"/>");
    xml.End("patternFill");
  }
  xml.Raw("</fill>");
}

std::string_view BorderStyleName(const BorderEdge& edge) {
  const bool heavy = edge.weight == BorderWeight::Medium || edge.weight == BorderWeight::Thick;
  switch (edge.style) {
    case LineStyle::None:
      return {};
    case LineStyle::Continuous:
      switch (edge.weight) {
        case BorderWeight::Hairline:
          return "hair";
        case BorderWeight::Thin:
          return "thin";
        case BorderWeight::Medium:
          return "medium";
        case BorderWeight::Thick:
          return "thick";
      }
      return "thin";
    case LineStyle::Dash:
      return heavy ? "mediumDashed" : "dashed";
    case LineStyle::DashDot:
      return heavy ? "mediumDashDot" : "dashDot";
    case LineStyle::DashDotDot:
      return heavy ? "mediumDashDotDot" : "dashDotDot";
    case LineStyle::Dot:
      return edge.weight == BorderWeight::Hairline ? "hair" : "dotted";
    case LineStyle::Double:
      return "double";
    case LineStyle::SlantDashDot:
      return "slantDashDot";
  }
  return {};
}

void WriteEdge(CXmlWriter& xml, std::string_view tag, const BorderEdge& edge) {
  const std::string_view style = BorderStyleName(edge);
  xml.Start(tag);
  if (style.empty()) {
    xml.EndEmpty();
    return;
  }
  xml.AttributeAscii("style", style);
  if (edge.color.kind != Color::Kind::Rgb) {
    xml.EndEmpty();
    return;
  }
  xml.EndStart();
  WriteColor(xml, "color", edge.color);
  xml.End(tag);
}

void WriteBorder(CXmlWriter& xml, const Border& border) {
  xml.Raw("<border>");
  WriteEdge(xml, "left", border.left);
  WriteEdge(xml, "right", border.right);
  WriteEdge(xml, "top", border.top);
  WriteEdge(xml, "bottom", border.bottom);
  xml.Raw("<diagonal/></border>");
}

void WriteCount(CXmlWriter& xml, std::string_view tag, std::size_t count) {
  xml.Start(tag);
  xml.Attribute("count", static_cast<std::int64_t>(count));
  xml.EndStart();
}

}  // namespace

CStylesWriter::CStylesWriter(const CFormatTable& formats)
    : formats_(formats), fillShift_(IsMandatoryStart(formats) ? 0 : 2) {}

std::wstring CStylesWriter::Check() const {
  const auto sound = [this](const CellFormat& format, bool cell) {
    return format.font < formats_.Fonts().size() && format.fill < formats_.Fills().size() &&
           format.border < formats_.Borders().size() &&
           (!cell || format.namedStyle < formats_.NamedStyles().size());
  };
  for (const CellFormat& format : formats_.Formats()) {
    if (!sound(format, true)) {
      return L"a cell format refers to a font, fill, border or style that is missing";
    }
  }
  for (const NamedStyle& style : formats_.NamedStyles()) {
    if (!sound(style.format, false)) {
      return L"the style \"" + style.name + L"\" refers to a font, fill or border that is missing";
    }
  }
  if (formats_.NamedStyles().empty()) return L"the workbook has no Normal style";
  return {};
}

void CStylesWriter::Render(std::string& out) const {
  CXmlWriter xml(out);
  xml.Declaration();
  xml.Raw("<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">");

  const auto& custom = formats_.CustomNumberFormats();
  if (!custom.empty()) {
    WriteCount(xml, "numFmts", custom.size());
    for (const auto& [id, code] : custom) {
      xml.Start("numFmt");
      xml.Attribute("numFmtId", static_cast<std::int64_t>(id));
      xml.Attribute("formatCode", code);
      xml.EndEmpty();
    }
    xml.End("numFmts");
  }

  WriteCount(xml, "fonts", formats_.Fonts().size());
  for (const Font& font : formats_.Fonts()) WriteFont(xml, font);
  xml.End("fonts");

  WriteCount(xml, "fills", formats_.Fills().size() + fillShift_);
  if (fillShift_ != 0) {
    WriteFill(xml, Fill{L"none", Color{}});
    WriteFill(xml, Fill{L"gray125", Color{}});
  }
  for (const Fill& fill : formats_.Fills()) WriteFill(xml, fill);
  xml.End("fills");

  WriteCount(xml, "borders", formats_.Borders().size());
  for (const Border& border : formats_.Borders()) WriteBorder(xml, border);
  xml.End("borders");

  const auto writeXf = [&](const CellFormat& format, const CellFormat* style) {
    xml.Start("xf");
    xml.Attribute("numFmtId", static_cast<std::int64_t>(format.numberFormat));
    xml.Attribute("fontId", static_cast<std::int64_t>(format.font));
    xml.Attribute("fillId", static_cast<std::int64_t>(FillId(format.fill)));
    xml.Attribute("borderId", static_cast<std::int64_t>(format.border));
    if (style != nullptr) {
      xml.Attribute("xfId", static_cast<std::int64_t>(format.namedStyle));
      // A cell format says which of its parts override its style's.
      if (format.numberFormat != style->numberFormat) xml.Raw(" applyNumberFormat=\"1\"");
      if (format.font != style->font) xml.Raw(" applyFont=\"1\"");
      if (format.fill != style->fill) xml.Raw(" applyFill=\"1\"");
      if (format.border != style->border) xml.Raw(" applyBorder=\"1\"");
      if (format.locked != style->locked) xml.Raw(" applyProtection=\"1\"");
    }
    if (format.locked) {
      xml.EndEmpty();
    } else {
      xml.Raw("><protection locked=\"0\"/></xf>");
    }
  };

  const auto& styles = formats_.NamedStyles();
  WriteCount(xml, "cellStyleXfs", styles.size());
  for (const NamedStyle& style : styles) writeXf(style.format, nullptr);
  xml.End("cellStyleXfs");

  WriteCount(xml, "cellXfs", formats_.Formats().size());
  for (const CellFormat& format : formats_.Formats()) {
    writeXf(format, &styles[format.namedStyle].format);
  }
  xml.End("cellXfs");

  WriteCount(xml, "cellStyles", styles.size());
  for (std::size_t i = 0; i < styles.size(); ++i) {
    xml.Start("cellStyle");
    xml.Attribute("name", styles[i].name);
    xml.Attribute("xfId", static_cast<std::int64_t>(i));
    if (styles[i].builtinId) xml.Attribute("builtinId", std::int64_t{*styles[i].builtinId});
    xml.EndEmpty();
  }
  xml.End("cellStyles");

  xml.Raw(
      "<dxfs count=\"0\"/><tableStyles count=\"0\" defaultTableStyle=\"TableStyleMedium2\" "
      "defaultPivotStyle=\"PivotStyleLight16\"/></styleSheet>");
}

}  // namespace spreadsheet
