// The Interior object.
#include "spreadsheet/objects/interior_object.h"

#include <array>
#include <string_view>

#include "spreadsheet/model/palette.h"
#include "spreadsheet/objects/range_color.h"
#include "spreadsheet/objects/range_format_editor.h"

namespace spreadsheet {
namespace {

enum Id : DISPID { kColor = 1, kColorIndex, kPattern, kApplication, kParent };

constexpr std::array<Member, 5> kMembers = {{
    {L"Color", kColor, MemberKind::Property},
    {L"ColorIndex", kColorIndex, MemberKind::Property},
    {L"Pattern", kPattern, MemberKind::Property},
    {L"Application", kApplication, MemberKind::ReadOnlyProperty},
    {L"Parent", kParent, MemberKind::ReadOnlyProperty},
}};

// What an unfilled cell's Color reads as: white, the colour it shows.
constexpr std::int32_t kNoFillColor = 0xFFFFFF;
constexpr std::int32_t kPatternNone = -4142;
constexpr std::int32_t kPatternSolid = 1;

// The .xlsx pattern names and Excel's XlPattern numbers.
struct PatternName {
  std::wstring_view name;
  std::int32_t pattern;
};
constexpr std::array<PatternName, 19> kPatterns = {{
    {L"none", kPatternNone},  {L"solid", kPatternSolid}, {L"mediumGray", -4125},
    {L"darkGray", -4126},     {L"lightGray", -4124},     {L"darkHorizontal", -4128},
    {L"darkVertical", -4166}, {L"darkDown", -4121},      {L"darkUp", -4162},
    {L"darkGrid", 9},         {L"darkTrellis", 16},      {L"lightHorizontal", 11},
    {L"lightVertical", 12},   {L"lightDown", 13},        {L"lightUp", 14},
    {L"lightGrid", 15},       {L"lightTrellis", 10},     {L"gray125", 17},
    {L"gray0625", 18},
}};

bool IsFilled(const Fill& fill) {
  return fill.pattern != L"none";
}

std::int32_t PatternOf(const Fill& fill) {
  for (const PatternName& known : kPatterns) {
    if (known.name == fill.pattern) return known.pattern;
  }
  return kPatternSolid;  // A pattern this table does not know still fills the cell.
}

std::int32_t ColorOf(const Fill& fill) {
  if (!IsFilled(fill) || fill.color.kind != Color::Kind::Rgb) return kNoFillColor;
  return ExcelColorFromRgb(fill.color.rgb);
}

std::int32_t ColorIndexOfFill(const Fill& fill) {
  if (!IsFilled(fill)) return kColorIndexNone;
  return ColorIndexOf(fill.color);
}

}  // namespace

std::span<const Member> CInteriorObject::Members() const {
  return kMembers;
}

HRESULT CInteriorObject::CallMember(const Member& member, bool put, const CArguments& args,
                                    CVariant* result) {
  if (HRESULT hr = AllowArguments(args, 0); FAILED(hr)) return hr;
  if (member.id == kApplication) return ApplicationResult(result);
  if (member.id == kParent) return RangeResult(Range(), result);

  CRangeFormatEditor editor(Sheet(), Range());
  const CFormatTable& formats = Workbook().Formats();
  if (!put) {
    const auto value = editor.Uniform<std::int32_t>([&](const CellFormat& format) {
      const Fill& fill = formats.FillAt(format.fill);
      if (member.id == kColor) return ColorOf(fill);
      if (member.id == kColorIndex) return ColorIndexOfFill(fill);
      return PatternOf(fill);
    });
    if (value) {
      *result = CVariant(static_cast<LONG>(*value));
    } else {
      SetNull(result);
    }
    return S_OK;
  }

  std::int32_t value = 0;
  if (HRESULT hr = PutLong(args, &value); FAILED(hr)) return hr;
  std::optional<Color> color;
  std::optional<std::wstring_view> pattern;
  switch (member.id) {
    case kColor:
      if (value < 0 || value > kMaxExcelColor) {
        return RuntimeError(L"Unable to set the Color property of the Interior class");
      }
      color = Color::Rgb(RgbFromExcelColor(value));
      break;
    case kColorIndex:
      // Automatic is no fill for an interior: the window's background shows.
      color = value == kColorIndexAutomatic ? Color{} : ColorOfIndex(value);
      if (!color)
        return RuntimeError(L"Unable to set the ColorIndex property of the Interior class");
      break;
    default:
      for (const PatternName& known : kPatterns) {
        if (known.pattern == value) pattern = known.name;
      }
      if (!pattern)
        return RuntimeError(L"Unable to set the Pattern property of the Interior class");
      break;
  }
  if (Sheet().IsProtected()) return RuntimeError(kProtectedSheetError);
  const bool applied = editor.Apply([&](CellFormat& format, CFormatTable& table) {
    Fill fill = table.FillAt(format.fill);
    if (color) {
      if (color->kind == Color::Kind::None) {
        fill = Fill{};
      } else {
        if (!IsFilled(fill)) fill.pattern = L"solid";
        fill.color = *color;
      }
    } else if (*pattern == L"none") {
      fill = Fill{};
    } else {
      fill.pattern = std::wstring(*pattern);
      if (fill.color.kind == Color::Kind::None) fill.color = Color::Automatic();
    }
    format.fill = table.InternFill(fill);
  });
  if (!applied) return RuntimeError(L"Out of memory");
  return S_OK;
}

}  // namespace spreadsheet
