// The styles part.
#include "spreadsheet/xlsx/styles_reader.h"

#include <charconv>
#include <unordered_map>

#include "spreadsheet/model/palette.h"
#include "spreadsheet/xlsx/reader_text.h"
#include "spreadsheet/xlsx/xml_stream_parser.h"

namespace spreadsheet {
namespace {

std::optional<std::uint32_t> ParseArgb(std::string_view text) {
  if (text.size() != 8 && text.size() != 6) return std::nullopt;
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value & 0xFFFFFFu;  // The alpha byte does not change the colour Excel reports.
}

bool ElementFlag(const XmlAttributes& attributes) {
  // <b/> is on; <b val="0"/> off.
  return ParseXmlBoolean(attributes.Value("val")).value_or(true);
}

Underline UnderlineOf(const XmlAttributes& attributes) {
  const std::string_view value = attributes.Value("val");
  if (value.empty() || value == "single") return Underline::Single;
  if (value == "double") return Underline::Double;
  if (value == "singleAccounting") return Underline::SingleAccounting;
  if (value == "doubleAccounting") return Underline::DoubleAccounting;
  return Underline::None;
}

// The line style and weight Excel's Border object reports for an ST_BorderStyle.
std::pair<LineStyle, BorderWeight> LineOf(std::string_view style) {
  struct Known {
    std::string_view name;
    LineStyle style;
    BorderWeight weight;
  };
  static constexpr Known kStyles[] = {
      {"thin", LineStyle::Continuous, BorderWeight::Thin},
      {"medium", LineStyle::Continuous, BorderWeight::Medium},
      {"thick", LineStyle::Continuous, BorderWeight::Thick},
      {"hair", LineStyle::Continuous, BorderWeight::Hairline},
      {"dotted", LineStyle::Dot, BorderWeight::Thin},
      {"dashed", LineStyle::Dash, BorderWeight::Thin},
      {"mediumDashed", LineStyle::Dash, BorderWeight::Medium},
      {"dashDot", LineStyle::DashDot, BorderWeight::Thin},
      {"mediumDashDot", LineStyle::DashDot, BorderWeight::Medium},
      {"dashDotDot", LineStyle::DashDotDot, BorderWeight::Thin},
      {"mediumDashDotDot", LineStyle::DashDotDot, BorderWeight::Medium},
      {"slantDashDot", LineStyle::SlantDashDot, BorderWeight::Medium},
      {"double", LineStyle::Double, BorderWeight::Thick},
  };
  for (const Known& known : kStyles) {
    if (known.name == style) return {known.style, known.weight};
  }
  return {LineStyle::None, BorderWeight::Thin};
}

std::uint32_t Index(const XmlAttributes& attributes, std::string_view name) {
  return ParseXmlUnsigned(attributes.Value(name)).value_or(0);
}

}  // namespace

CStylesReader::RawColor CStylesReader::ReadColor(const XmlAttributes& attributes) {
  RawColor color;
  color.tint = ParseXmlNumber(attributes.Value("tint")).value_or(0.0);
  if (ParseXmlBoolean(attributes.Value("auto")).value_or(false)) {
    color.kind = RawColor::Kind::Automatic;
  } else if (const auto rgb = attributes.Find("rgb")) {
    const auto value = ParseArgb(*rgb);
    color.kind = value ? RawColor::Kind::Rgb : RawColor::Kind::Automatic;
    color.value = value.value_or(0);
  } else if (const auto theme = attributes.Find("theme")) {
    color.kind = RawColor::Kind::Theme;
    color.value = ParseXmlUnsigned(*theme).value_or(1);
  } else if (const auto indexed = attributes.Find("indexed")) {
    color.kind = RawColor::Kind::Indexed;
    color.value = ParseXmlUnsigned(*indexed).value_or(64);
  } else {
    color.kind = RawColor::Kind::Automatic;
  }
  return color;
}

Color CStylesReader::Resolve(const RawColor& raw, const CThemeColors& theme) const {
  switch (raw.kind) {
    case RawColor::Kind::None: return Color{};
    case RawColor::Kind::Automatic: return Color::Automatic();
    case RawColor::Kind::Rgb: return Color::Rgb(ApplyTint(raw.value, raw.tint));
    case RawColor::Kind::Theme:
      if (raw.value >= CThemeColors::kCount) return Color::Automatic();
      return Color::Rgb(ApplyTint(theme.At(raw.value), raw.tint));
    case RawColor::Kind::Indexed: {
      std::optional<std::uint32_t> rgb;
      if (raw.value < palette_.size()) {
        rgb = palette_[raw.value];
      } else {
        rgb = IndexedColor(static_cast<std::int32_t>(std::min<std::uint32_t>(raw.value, 1000)));
      }
      // 64 and 65, the system's foreground and background, are what Excel calls automatic.
      return rgb ? Color::Rgb(ApplyTint(*rgb, raw.tint)) : Color::Automatic();
    }
  }
  return Color::Automatic();
}

bool CStylesReader::Count(CXmlStreamParser& parser, std::size_t size, const char* what) {
  if (size < limits_.maxStyleRecords) return true;
  parser.Fail(std::string("more ") + what + " than the " +
              std::to_string(limits_.maxStyleRecords) + " allowed");
  return false;
}

CStylesReader::RawEdge* CStylesReader::EdgeOf(std::string_view local) {
  RawBorder& border = borders_.back();
  if (local == "left" || local == "start") return &border.left;
  if (local == "right" || local == "end") return &border.right;
  if (local == "top") return &border.top;
  if (local == "bottom") return &border.bottom;
  return nullptr;  // diagonal, vertical, horizontal: not reported by the object model.
}

void CStylesReader::OnStart(CXmlStreamParser& parser, const XmlName& name,
                            const XmlAttributes& attributes) {
  if (name.ns != XmlNamespace::Main) {
    parser.SkipElement();
    return;
  }
  const std::string_view local = name.local;
  if (section_ == Section::None) {
    if (local == "styleSheet") return;
    if (local == "numFmts") section_ = Section::NumberFormats;
    else if (local == "fonts") section_ = Section::Fonts;
    else if (local == "fills") section_ = Section::Fills;
    else if (local == "borders") section_ = Section::Borders;
    else if (local == "cellStyleXfs") section_ = Section::StyleXfs;
    else if (local == "cellXfs") section_ = Section::CellXfs;
    else if (local == "cellStyles") section_ = Section::CellStyles;
    else if (local == "colors") section_ = Section::Colors;
    else parser.SkipElement();  // dxfs, tableStyles, extLst: formats of other features.
    return;
  }
  switch (section_) {
    case Section::NumberFormats:
      if (local == "numFmt" && Count(parser, numberFormats_.size(), "number formats")) {
        const auto id = ParseXmlUnsigned(attributes.Value("numFmtId"));
        if (id) numberFormats_.emplace_back(*id, WideFromUtf8(attributes.Value("formatCode")));
      }
      parser.SkipElement();
      return;
    case Section::Fonts:
      if (!inRecord_) {
        if (local != "font") {
          parser.SkipElement();
        } else if (Count(parser, fonts_.size(), "fonts")) {
          fonts_.emplace_back();
          inRecord_ = true;
        }
        return;
      }
      {
        Font& font = fonts_.back().font;
        if (local == "b") font.bold = ElementFlag(attributes);
        else if (local == "i") font.italic = ElementFlag(attributes);
        else if (local == "strike") font.strikethrough = ElementFlag(attributes);
        else if (local == "u") font.underline = UnderlineOf(attributes);
        else if (local == "sz") font.size = ParseXmlNumber(attributes.Value("val")).value_or(11.0);
        else if (local == "name") font.name = WideFromUtf8(attributes.Value("val"));
        else if (local == "color") fonts_.back().color = ReadColor(attributes);
      }
      parser.SkipElement();
      return;
    case Section::Fills:
      if (!inRecord_) {
        if (local != "fill") {
          parser.SkipElement();
        } else if (Count(parser, fills_.size(), "fills")) {
          fills_.emplace_back();
          inRecord_ = true;
        }
        return;
      }
      if (local == "patternFill") {
        const auto pattern = attributes.Find("patternType");
        fills_.back().pattern = pattern ? WideFromUtf8(*pattern) : L"none";
      } else if (local == "fgColor") {
        fills_.back().color = ReadColor(attributes);
        parser.SkipElement();
      } else if (local == "gradientFill") {
        // A gradient reads as a solid fill of its first stop's colour.
        fills_.back().pattern = L"solid";
        gradientColorSeen_ = false;
      } else if (local == "stop") {
        inGradientStop_ = true;
      } else if (local == "color" && inGradientStop_) {
        if (!gradientColorSeen_) fills_.back().color = ReadColor(attributes);
        gradientColorSeen_ = true;
        parser.SkipElement();
      } else {
        parser.SkipElement();  // bgColor: the object model reports the pattern's colour.
      }
      return;
    case Section::Borders:
      if (!inRecord_) {
        if (local != "border") {
          parser.SkipElement();
        } else if (Count(parser, borders_.size(), "borders")) {
          borders_.emplace_back();
          inRecord_ = true;
        }
        return;
      }
      if (edge_ == nullptr) {
        edge_ = EdgeOf(local);
        if (edge_ == nullptr) {
          parser.SkipElement();
          return;
        }
        const auto [style, weight] = LineOf(attributes.Value("style"));
        edge_->style = style;
        edge_->weight = weight;
        edge_->color.kind = RawColor::Kind::Automatic;
        return;
      }
      if (local == "color") edge_->color = ReadColor(attributes);
      parser.SkipElement();
      return;
    case Section::StyleXfs:
    case Section::CellXfs: {
      std::vector<RawXf>& table = section_ == Section::StyleXfs ? styleXfs_ : cellXfs_;
      if (!inRecord_) {
        if (local != "xf") {
          parser.SkipElement();
        } else if (Count(parser, table.size(), "cell formats")) {
          RawXf xf;
          xf.numberFormat = Index(attributes, "numFmtId");
          xf.font = Index(attributes, "fontId");
          xf.fill = Index(attributes, "fillId");
          xf.border = Index(attributes, "borderId");
          xf.styleXf = Index(attributes, "xfId");
          table.push_back(xf);
          inRecord_ = true;
        }
        return;
      }
      if (local == "protection") {
        table.back().locked = ParseXmlBoolean(attributes.Value("locked")).value_or(true);
      }
      parser.SkipElement();
      return;
    }
    case Section::CellStyles:
      if (local == "cellStyle" && Count(parser, cellStyles_.size(), "named styles")) {
        RawCellStyle style;
        style.name = WideFromUtf8(attributes.Value("name"));
        style.styleXf = Index(attributes, "xfId");
        if (const auto builtin = ParseXmlInteger(attributes.Value("builtinId"))) {
          style.builtinId = static_cast<std::int32_t>(*builtin);
        }
        cellStyles_.push_back(std::move(style));
      }
      parser.SkipElement();
      return;
    case Section::Colors:
      if (local == "indexedColors") {
        palette_.clear();
      } else if (local == "rgbColor" && palette_.size() < 64) {
        palette_.push_back(ParseArgb(attributes.Value("rgb")).value_or(0));
        parser.SkipElement();
      } else {
        parser.SkipElement();  // mruColors.
      }
      return;
    case Section::None: return;
  }
}

void CStylesReader::OnEnd(CXmlStreamParser&, const XmlName& name, std::string_view) {
  if (name.ns != XmlNamespace::Main) return;
  const std::string_view local = name.local;
  if (section_ == Section::Borders && edge_ != nullptr && EdgeOf(local) == edge_) {
    edge_ = nullptr;
    return;
  }
  if (local == "stop") inGradientStop_ = false;
  if (inRecord_ && (local == "font" || local == "fill" || local == "border" || local == "xf")) {
    inRecord_ = false;
    return;
  }
  if (local == "numFmts" || local == "fonts" || local == "fills" || local == "borders" ||
      local == "cellStyleXfs" || local == "cellXfs" || local == "cellStyles" || local == "colors") {
    section_ = Section::None;
  }
}

std::vector<std::uint32_t> CStylesReader::Build(const CThemeColors& theme,
                                                CFormatTable& formats) const {
  for (const auto& [id, code] : numberFormats_) formats.SetNumberFormat(id, code);

  // File indexes to model indexes, table by table.
  std::vector<std::uint32_t> fontMap;
  fontMap.reserve(fonts_.size());
  for (const RawFont& raw : fonts_) {
    Font font = raw.font;
    font.color = raw.color.kind == RawColor::Kind::None ? Color::Automatic()
                                                        : Resolve(raw.color, theme);
    if (fontMap.empty()) {
      // The file's font 0 is the workbook's default font, the model's font 0.
      formats.SetDefaultFont(font);
      fontMap.push_back(0);
    } else {
      fontMap.push_back(formats.InternFont(font));
    }
  }
  std::vector<std::uint32_t> fillMap;
  fillMap.reserve(fills_.size());
  for (const RawFill& raw : fills_) {
    Fill fill;
    fill.pattern = raw.pattern;
    if (raw.pattern != L"none") fill.color = Resolve(raw.color, theme);
    fillMap.push_back(formats.InternFill(fill));
  }
  std::vector<std::uint32_t> borderMap;
  borderMap.reserve(borders_.size());
  for (const RawBorder& raw : borders_) {
    const auto edge = [&](const RawEdge& from) {
      BorderEdge to;
      if (from.style == LineStyle::None) return to;
      to.style = from.style;
      to.weight = from.weight;
      to.color = Resolve(from.color, theme);
      return to;
    };
    Border border;
    border.left = edge(raw.left);
    border.right = edge(raw.right);
    border.top = edge(raw.top);
    border.bottom = edge(raw.bottom);
    borderMap.push_back(formats.InternBorder(border));
  }
  const auto mapped = [](const std::vector<std::uint32_t>& map, std::uint32_t index) {
    return index < map.size() ? map[index] : 0u;
  };
  const auto formatOf = [&](const RawXf& xf) {
    CellFormat format;
    format.numberFormat = xf.numberFormat;
    format.font = mapped(fontMap, xf.font);
    format.fill = mapped(fillMap, xf.fill);
    format.border = mapped(borderMap, xf.border);
    format.locked = xf.locked;
    return format;
  };

  // Named styles; a cell format names its style by the style's cellStyleXfs entry.
  std::unordered_map<std::uint32_t, std::uint32_t> styleOfStyleXf;
  for (const RawCellStyle& raw : cellStyles_) {
    if (raw.name.empty()) continue;
    NamedStyle style;
    style.name = raw.name;
    if (raw.styleXf < styleXfs_.size()) style.format = formatOf(styleXfs_[raw.styleXf]);
    style.builtinId = raw.builtinId;
    const std::uint32_t index = formats.AddNamedStyle(std::move(style));
    styleOfStyleXf.emplace(raw.styleXf, index);
  }

  std::vector<std::uint32_t> xfMap;
  xfMap.reserve(cellXfs_.size());
  for (const RawXf& raw : cellXfs_) {
    CellFormat format = formatOf(raw);
    const auto style = styleOfStyleXf.find(raw.styleXf);
    format.namedStyle = style == styleOfStyleXf.end() ? 0 : style->second;
    xfMap.push_back(formats.InternFormat(format));
  }
  return xfMap;
}

}  // namespace spreadsheet
