// Cell formats of the embedded spreadsheet: number formats, fonts, fills, borders and named
// styles, each interned once per workbook and referred to by index, as a .xlsx styles part does.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace spreadsheet {

// A colour as the object model reports it. Theme and indexed colours of a file are resolved to
// RGB when it is read, so only these three kinds remain.
struct Color {
  enum class Kind : std::uint8_t { None, Automatic, Rgb };
  Kind kind = Kind::None;
  std::uint32_t rgb = 0;  // 0xRRGGBB.

  static Color Rgb(std::uint32_t rgb) { return {Kind::Rgb, rgb}; }
  static Color Automatic() { return {Kind::Automatic, 0}; }
  friend bool operator==(const Color&, const Color&) = default;
};

// Underline styles with Excel's XlUnderlineStyle numbers.
enum class Underline : std::int32_t {
  None = -4142,
  Single = 2,
  Double = -4119,
  SingleAccounting = 4,
  DoubleAccounting = 5,
};

struct Font {
  std::wstring name = L"Calibri";
  double size = 11.0;
  bool bold = false;
  bool italic = false;
  bool strikethrough = false;
  Underline underline = Underline::None;
  Color color = Color::Automatic();
  friend bool operator==(const Font&, const Font&) = default;
};

// Solid fills only carry a colour the object model shows; other patterns keep their name so a
// saved file keeps them.
struct Fill {
  std::wstring pattern = L"none";  // The .xlsx patternType: "none", "solid", "gray125", ...
  Color color;                      // Foreground colour of the pattern; None without a fill.
  friend bool operator==(const Fill&, const Fill&) = default;
};

// Line styles and weights with Excel's XlLineStyle and XlBorderWeight numbers.
enum class LineStyle : std::int32_t {
  None = -4142,
  Continuous = 1,
  Dash = -4115,
  DashDot = 4,
  DashDotDot = 5,
  Dot = -4118,
  Double = -4119,
  SlantDashDot = 13,
};
enum class BorderWeight : std::int32_t { Hairline = 1, Thin = 2, Medium = -4138, Thick = 4 };

struct BorderEdge {
  LineStyle style = LineStyle::None;
  BorderWeight weight = BorderWeight::Thin;
  Color color = Color::Automatic();
  friend bool operator==(const BorderEdge&, const BorderEdge&) = default;
};

struct Border {
  BorderEdge left, right, top, bottom;
  friend bool operator==(const Border&, const Border&) = default;
};

// One cell format (a .xlsx "xf"): indexes into the workbook's tables.
struct CellFormat {
  std::uint32_t numberFormat = 0;  // The .xlsx numFmtId: 0-163 built in, 164 on custom.
  std::uint32_t font = 0;
  std::uint32_t fill = 0;
  std::uint32_t border = 0;
  std::uint32_t namedStyle = 0;  // Index into the named styles; 0 is "Normal".
  bool locked = true;
  friend bool operator==(const CellFormat&, const CellFormat&) = default;
};

struct NamedStyle {
  std::wstring name;
  CellFormat format;               // Its namedStyle field is unused.
  std::optional<std::int32_t> builtinId;  // The .xlsx builtinId of built-in styles.
};

// Interns formats so that equal formats share one index. Index 0 of every table is the default
// (and fill 1 the "gray125" pattern every .xlsx carries), so a fresh table is ready to use.
// Invariant: every index stored in a CellFormat is valid in the same table.
class CFormatTable {
 public:
  CFormatTable();

  std::uint32_t InternFont(const Font& font);
  std::uint32_t InternFill(const Fill& fill);
  std::uint32_t InternBorder(const Border& border);
  std::uint32_t InternFormat(const CellFormat& format);
  // A custom number format code gets an id from 164 on; a known code gets its existing id.
  std::uint32_t InternNumberFormat(const std::wstring& code);
  // Readers keep the ids a file uses.
  void SetNumberFormat(std::uint32_t id, const std::wstring& code);
  // Readers put the file's own default font (its font 0) in the place of the built-in one, so
  // that index 0 stays the workbook's default.
  void SetDefaultFont(const Font& font) { fonts_[0] = font; }
  std::uint32_t AddNamedStyle(NamedStyle style);  // Replaces a style of the same name.

  const Font& FontAt(std::uint32_t index) const { return fonts_.at(index); }
  const Fill& FillAt(std::uint32_t index) const { return fills_.at(index); }
  const Border& BorderAt(std::uint32_t index) const { return borders_.at(index); }
  const CellFormat& FormatAt(std::uint32_t index) const { return formats_.at(index); }
  // The format code of a number format id: custom codes, then the built-in ones ("General"
  // for an unknown id, as Excel shows it).
  std::wstring NumberFormatCode(std::uint32_t id) const;

  const std::vector<Font>& Fonts() const { return fonts_; }
  const std::vector<Fill>& Fills() const { return fills_; }
  const std::vector<Border>& Borders() const { return borders_; }
  const std::vector<CellFormat>& Formats() const { return formats_; }
  const std::map<std::uint32_t, std::wstring>& CustomNumberFormats() const { return custom_; }
  const std::vector<NamedStyle>& NamedStyles() const { return namedStyles_; }
  std::optional<std::uint32_t> FindNamedStyle(const std::wstring& name) const;

 private:
  std::vector<Font> fonts_;
  std::vector<Fill> fills_;
  std::vector<Border> borders_;
  std::vector<CellFormat> formats_;
  std::map<std::uint32_t, std::wstring> custom_;
  std::vector<NamedStyle> namedStyles_;
};

// The code of a built-in number format id, or nothing for ids Excel leaves to the locale.
std::optional<std::wstring> BuiltinNumberFormat(std::uint32_t id);

}  // namespace spreadsheet
