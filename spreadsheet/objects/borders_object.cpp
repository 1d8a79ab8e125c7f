// The Borders collection.
#include "spreadsheet/objects/borders_object.h"

#include <array>

#include "spreadsheet/objects/border_object.h"

namespace spreadsheet {
namespace {

// The border properties keep the Border object's identifiers, so one dispatch serves both.
enum Id : DISPID { kDefault = DISPID_VALUE, kItem = 101, kCount, kApplication, kParent };

constexpr std::array<Member, 9> kMembers = {{
    {L"_Default", kDefault, MemberKind::ReadOnlyProperty},
    {L"Item", kItem, MemberKind::ReadOnlyProperty},
    {L"Count", kCount, MemberKind::ReadOnlyProperty},
    {L"LineStyle", 1, MemberKind::Property},
    {L"Weight", 2, MemberKind::Property},
    {L"Color", 3, MemberKind::Property},
    {L"ColorIndex", 4, MemberKind::Property},
    {L"Application", kApplication, MemberKind::ReadOnlyProperty},
    {L"Parent", kParent, MemberKind::ReadOnlyProperty},
}};

// Excel describes the collection as the four borders of the range.
constexpr LONG kBorderCount = 4;

}  // namespace

std::span<const Member> CBordersObject::Members() const {
  return kMembers;
}

RangeOutcome CBordersObject::EdgeObject(const ObjectContext& context, const CellRect& range,
                                        const CArguments& args, std::size_t index,
                                        CComPtr<IDispatch>* border) {
  std::int32_t edge = 0;
  if (HRESULT hr = args.GetLong(index, &edge); FAILED(hr)) return RangeOutcome::Failed(hr);
  // Diagonal lines are not kept by the workbook model, so they are refused with the others.
  if (edge < static_cast<std::int32_t>(BorderIndex::EdgeLeft) ||
      edge > static_cast<std::int32_t>(BorderIndex::InsideHorizontal)) {
    return RangeOutcome::Runtime(L"Unable to get the Item property of the Borders class");
  }
  border->Attach(new CBorderObject(context, range, static_cast<BorderIndex>(edge)));
  return RangeOutcome::Ok();
}

HRESULT CBordersObject::CallMember(const Member& member, bool put, const CArguments& args,
                                   CVariant* result) {
  switch (member.id) {
    case kDefault:
    case kItem: {
      if (HRESULT hr = AllowArguments(args, 1); FAILED(hr)) return hr;
      CComPtr<IDispatch> border;
      if (RangeOutcome made = EdgeObject(Context(), Range(), args, 0, &border); !made.Succeeded()) {
        return Report(std::move(made));
      }
      return ObjectResult(border, result);
    }
    case kCount:
      if (HRESULT hr = AllowArguments(args, 0); FAILED(hr)) return hr;
      *result = CVariant(kBorderCount);
      return S_OK;
    case kApplication:
      return ApplicationResult(result);
    case kParent:
      return RangeResult(Range(), result);
    default: {
      if (HRESULT hr = AllowArguments(args, 0); FAILED(hr)) return hr;
      std::int32_t value = 0;
      if (put) {
        if (HRESULT hr = PutLong(args, &value); FAILED(hr)) return hr;
      }
      return Report(
          CallBorderProperty(Sheet(), AllEdgeParts(Range()), member.id, put, value, result));
    }
  }
}

}  // namespace spreadsheet
