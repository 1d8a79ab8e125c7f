// CStylesReader: the styles part (xl/styles.xml) into the workbook's CFormatTable. Reading
// gathers the file's tables as written; Build then resolves colours (theme with tint, indexed
// through the file's own palette when it has one, rgb, auto) and interns fonts, fills, borders,
// named styles and cell formats, giving the model index of every cellXfs entry.
//
// Bad input: an index past its table (a fontId with no font) falls back to entry 0, as a
// cosmetic fault; more records than XlsxReadLimits::maxStyleRecords refuse the part.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "spreadsheet/model/formats.h"
#include "spreadsheet/xlsx/theme_colors.h"
#include "spreadsheet/xlsx/xlsx_reader_limits.h"
#include "spreadsheet/xlsx/xml_content_handler.h"

namespace spreadsheet {

class CStylesReader final : public IXmlContentHandler {
 public:
  explicit CStylesReader(const XlsxReadLimits& limits) : limits_(limits) {}

  void OnStart(CXmlStreamParser& parser, const XmlName& name,
               const XmlAttributes& attributes) override;
  void OnEnd(CXmlStreamParser& parser, const XmlName& name, std::string_view text) override;

  // Fills `formats` and returns the model's format index of each cellXfs entry, in file order.
  std::vector<std::uint32_t> Build(const CThemeColors& theme, CFormatTable& formats) const;

 private:
  struct RawColor {
    enum class Kind : std::uint8_t { None, Automatic, Rgb, Theme, Indexed };
    Kind kind = Kind::None;
    std::uint32_t value = 0;
    double tint = 0.0;
  };
  struct RawFont {
    Font font;
    RawColor color;
  };
  struct RawFill {
    std::wstring pattern = L"none";
    RawColor color;
  };
  struct RawEdge {
    LineStyle style = LineStyle::None;
    BorderWeight weight = BorderWeight::Thin;
    RawColor color;
  };
  struct RawBorder {
    RawEdge left, right, top, bottom;
  };
  struct RawXf {
    std::uint32_t numberFormat = 0;
    std::uint32_t font = 0;
    std::uint32_t fill = 0;
    std::uint32_t border = 0;
    std::uint32_t styleXf = 0;
    bool locked = true;
  };
  struct RawCellStyle {
    std::wstring name;
    std::uint32_t styleXf = 0;
    std::optional<std::int32_t> builtinId;
  };
  enum class Section : std::uint8_t {
    None, NumberFormats, Fonts, Fills, Borders, StyleXfs, CellXfs, CellStyles, Colors,
  };

  static RawColor ReadColor(const XmlAttributes& attributes);
  Color Resolve(const RawColor& raw, const CThemeColors& theme) const;
  bool Count(CXmlStreamParser& parser, std::size_t size, const char* what);
  RawEdge* EdgeOf(std::string_view local);

  const XlsxReadLimits& limits_;
  Section section_ = Section::None;
  std::vector<std::pair<std::uint32_t, std::wstring>> numberFormats_;
  std::vector<RawFont> fonts_;
  std::vector<RawFill> fills_;
  std::vector<RawBorder> borders_;
  std::vector<RawXf> styleXfs_;
  std::vector<RawXf> cellXfs_;
  std::vector<RawCellStyle> cellStyles_;
  std::vector<std::uint32_t> palette_;  // The file's indexedColors, when it has its own.
  bool inRecord_ = false;               // Inside a font, fill, border or xf of the section.
  bool inGradientStop_ = false;
  bool gradientColorSeen_ = false;
  RawEdge* edge_ = nullptr;             // The border edge being read.
};

}  // namespace spreadsheet
