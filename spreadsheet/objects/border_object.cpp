// The Border object.
#include "spreadsheet/objects/border_object.h"

#include <array>

namespace spreadsheet {
namespace {

enum Id : DISPID { kLineStyle = 1, kWeight, kColor, kColorIndex, kApplication, kParent };

constexpr std::array<Member, 6> kMembers = {{
    {L"LineStyle", kLineStyle, MemberKind::Property},
    {L"Weight", kWeight, MemberKind::Property},
    {L"Color", kColor, MemberKind::Property},
    {L"ColorIndex", kColorIndex, MemberKind::Property},
    {L"Application", kApplication, MemberKind::ReadOnlyProperty},
    {L"Parent", kParent, MemberKind::ReadOnlyProperty},
}};

std::optional<BorderProperty> PropertyOf(DISPID id) {
  switch (id) {
    case kLineStyle:
      return BorderProperty::LineStyle;
    case kWeight:
      return BorderProperty::Weight;
    case kColor:
      return BorderProperty::Color;
    case kColorIndex:
      return BorderProperty::ColorIndex;
    default:
      return std::nullopt;
  }
}

}  // namespace

RangeOutcome CallBorderProperty(CWorksheet& sheet, const std::vector<EdgePart>& parts,
                                DISPID member, bool put, std::int32_t value, CVariant* result) {
  const auto property = PropertyOf(member);
  if (!property) return RangeOutcome::Failed(DISP_E_MEMBERNOTFOUND);
  if (put) return WriteBorderProperty(sheet, parts, *property, value);
  const auto read = ReadBorderProperty(sheet, parts, *property);
  result->Clear();
  if (read) {
    *result = CVariant(static_cast<LONG>(*read));
  } else {
    result->GetMutable()->vt = VT_NULL;
  }
  return RangeOutcome::Ok();
}

std::span<const Member> CBorderObject::Members() const {
  return kMembers;
}

HRESULT CBorderObject::CallMember(const Member& member, bool put, const CArguments& args,
                                  CVariant* result) {
  if (HRESULT hr = AllowArguments(args, 0); FAILED(hr)) return hr;
  if (member.id == kApplication) return ApplicationResult(result);
  if (member.id == kParent) return RangeResult(Range(), result);
  std::int32_t value = 0;
  if (put) {
    if (HRESULT hr = PutLong(args, &value); FAILED(hr)) return hr;
  }
  return Report(CallBorderProperty(Sheet(), BorderEdgeParts(Range(), index_, put), member.id, put,
                                   value, result));
}

}  // namespace spreadsheet
