// The Font object.
#include "spreadsheet/objects/font_object.h"

#include <array>
#include <variant>

#include "spreadsheet/model/palette.h"
#include "spreadsheet/objects/range_color.h"
#include "spreadsheet/objects/range_format_editor.h"

namespace spreadsheet {
namespace {

enum Id : DISPID {
  kName = 1,
  kSize,
  kBold,
  kItalic,
  kUnderline,
  kStrikethrough,
  kColor,
  kColorIndex,
  kFontStyle,
  kApplication,
  kParent,
};

constexpr std::array<Member, 11> kMembers = {{
    {L"Name", kName, MemberKind::Property},
    {L"Size", kSize, MemberKind::Property},
    {L"Bold", kBold, MemberKind::Property},
    {L"Italic", kItalic, MemberKind::Property},
    {L"Underline", kUnderline, MemberKind::Property},
    {L"Strikethrough", kStrikethrough, MemberKind::Property},
    {L"Color", kColor, MemberKind::Property},
    {L"ColorIndex", kColorIndex, MemberKind::Property},
    {L"FontStyle", kFontStyle, MemberKind::ReadOnlyProperty},
    {L"Application", kApplication, MemberKind::ReadOnlyProperty},
    {L"Parent", kParent, MemberKind::ReadOnlyProperty},
}};

// Excel's limits: font names of at most 31 characters, sizes from 1 to 409 points.
constexpr std::size_t kMaxFontNameLength = 31;
constexpr double kMinFontSize = 1.0;
constexpr double kMaxFontSize = 409.0;

// What one font property reads as; comparing them finds mixed ranges.
using FontValue = std::variant<std::wstring, double, bool, std::int32_t>;

FontValue ValueOf(const Font& font, DISPID id) {
  switch (id) {
    case kName:
      return font.name;
    case kSize:
      return font.size;
    case kBold:
      return font.bold;
    case kItalic:
      return font.italic;
    case kStrikethrough:
      return font.strikethrough;
    case kUnderline:
      return static_cast<std::int32_t>(font.underline);
    // Automatic reads as black, the colour it shows on a white cell.
    case kColor:
      return font.color.kind == Color::Kind::Rgb ? ExcelColorFromRgb(font.color.rgb) : 0;
    case kColorIndex:
      return font.color.kind == Color::Kind::Rgb ? NearestColorIndex(font.color.rgb)
                                                 : kColorIndexAutomatic;
    case kFontStyle:
      return std::wstring(font.bold && font.italic ? L"Bold Italic"
                          : font.bold              ? L"Bold"
                          : font.italic            ? L"Italic"
                                                   : L"Regular");
    default:
      return false;
  }
}

CVariant ToVariant(const FontValue& value) {
  if (const auto* text = std::get_if<std::wstring>(&value))
    return CVariant(std::wstring_view(*text));
  if (const auto* number = std::get_if<double>(&value)) return CVariant(*number);
  if (const auto* truth = std::get_if<bool>(&value)) return CVariant(*truth);
  return CVariant(static_cast<LONG>(std::get<std::int32_t>(value)));
}

std::optional<Underline> UnderlineOf(std::int32_t value) {
  for (const Underline style : {Underline::None, Underline::Single, Underline::Double,
                                Underline::SingleAccounting, Underline::DoubleAccounting}) {
    if (static_cast<std::int32_t>(style) == value) return style;
  }
  return std::nullopt;
}

std::wstring Refusal(std::wstring_view property) {
  return L"Unable to set the " + std::wstring(property) + L" property of the Font class";
}

}  // namespace

std::span<const Member> CFontObject::Members() const {
  return kMembers;
}

HRESULT CFontObject::CallMember(const Member& member, bool put, const CArguments& args,
                                CVariant* result) {
  if (HRESULT hr = AllowArguments(args, 0); FAILED(hr)) return hr;
  if (member.id == kApplication) return ApplicationResult(result);
  if (member.id == kParent) return RangeResult(Range(), result);
  return put ? Write(member, args) : Read(member, result);
}

HRESULT CFontObject::Read(const Member& member, CVariant* result) {
  const CRangeFormatEditor editor(Sheet(), Range());
  const CFormatTable& formats = Workbook().Formats();
  const auto value = editor.Uniform<FontValue>(
      [&](const CellFormat& format) { return ValueOf(formats.FontAt(format.font), member.id); });
  if (value) {
    *result = ToVariant(*value);
  } else {
    SetNull(result);
  }
  return S_OK;
}

HRESULT CFontObject::Write(const Member& member, const CArguments& args) {
  // The change each cell's font gets, checked before any cell is touched.
  std::function<void(Font&)> change;
  switch (member.id) {
    case kName: {
      std::wstring name;
      if (HRESULT hr = PutText(args, &name); FAILED(hr)) return hr;
      if (name.empty() || name.size() > kMaxFontNameLength) return RuntimeError(Refusal(L"Name"));
      change = [name](Font& font) { font.name = name; };
      break;
    }
    case kSize: {
      double size = 0.0;
      if (HRESULT hr = PutDouble(args, &size); FAILED(hr)) return hr;
      if (!(size >= kMinFontSize && size <= kMaxFontSize)) return RuntimeError(Refusal(L"Size"));
      change = [size](Font& font) { font.size = size; };
      break;
    }
    case kBold:
    case kItalic:
    case kStrikethrough: {
      bool on = false;
      if (HRESULT hr = PutBool(args, &on); FAILED(hr)) return hr;
      const DISPID id = member.id;
      change = [id, on](Font& font) {
        (id == kBold ? font.bold : id == kItalic ? font.italic : font.strikethrough) = on;
      };
      break;
    }
    case kUnderline: {
      // True and False stand for single and none, as Excel takes them.
      std::optional<Underline> style;
      const VARIANT* value = args.PutValue();
      if (value != nullptr && value->vt == VT_BOOL) {
        style = value->boolVal != VARIANT_FALSE ? Underline::Single : Underline::None;
      } else {
        std::int32_t number = 0;
        if (HRESULT hr = PutLong(args, &number); FAILED(hr)) return hr;
        style = UnderlineOf(number);
      }
      if (!style) return RuntimeError(Refusal(L"Underline"));
      change = [style](Font& font) { font.underline = *style; };
      break;
    }
    case kColor: {
      std::int32_t color = 0;
      if (HRESULT hr = PutLong(args, &color); FAILED(hr)) return hr;
      if (color < 0 || color > kMaxExcelColor) return RuntimeError(Refusal(L"Color"));
      change = [color](Font& font) { font.color = Color::Rgb(RgbFromExcelColor(color)); };
      break;
    }
    case kColorIndex: {
      std::int32_t index = 0;
      if (HRESULT hr = PutLong(args, &index); FAILED(hr)) return hr;
      std::optional<Color> color = ColorOfIndex(index);
      if (!color) return RuntimeError(Refusal(L"ColorIndex"));
      // A font always has a colour: "none" is the automatic one.
      if (color->kind == Color::Kind::None) color = Color::Automatic();
      change = [color](Font& font) { font.color = *color; };
      break;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
  if (Sheet().IsProtected()) return RuntimeError(kProtectedSheetError);
  CRangeFormatEditor editor(Sheet(), Range());
  const bool applied = editor.Apply([&](CellFormat& format, CFormatTable& table) {
    Font font = table.FontAt(format.font);
    change(font);
    format.font = table.InternFont(font);
  });
  if (!applied) return RuntimeError(L"Out of memory");
  return S_OK;
}

}  // namespace spreadsheet
