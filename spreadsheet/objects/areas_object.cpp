// Areas: Count and Item over the rectangles of a range.
#include "spreadsheet/objects/areas_object.h"

#include <array>

#include "spreadsheet/objects/object_arguments.h"

namespace spreadsheet {
namespace {

enum Id : DISPID { kItem = DISPID_VALUE, kApplication = 1, kParent, kCount };

constexpr std::array kMembers = {
    Member{L"Item", kItem, MemberKind::ReadOnlyProperty},
    Member{L"Application", kApplication, MemberKind::ReadOnlyProperty},
    Member{L"Parent", kParent, MemberKind::ReadOnlyProperty},
    Member{L"Count", kCount, MemberKind::ReadOnlyProperty},
};

}  // namespace

std::span<const Member> CAreasObject::Members() const {
  return kMembers;
}

HRESULT CAreasObject::Call(const Member& member, bool, const CArguments& args, CVariant* result) {
  const auto count = static_cast<std::int32_t>(areas_.size());
  switch (member.id) {
    case kApplication:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = ObjectValue(CreateApplicationObject(context_.application));
      return S_OK;
    case kParent:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = ObjectValue(CreateAreasRangeObject(context_, areas_));
      return S_OK;
    case kCount:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = CVariant(LONG{count});
      return S_OK;
    case kItem: {
      if (const HRESULT hr = CheckArguments(args, 1, 1); FAILED(hr)) return hr;
      std::int32_t position = 0;
      if (const HRESULT hr = ReadItemPosition(args, 0, count, nullptr, &position); FAILED(hr)) {
        return hr;
      }
      const CellRect& area = areas_[static_cast<std::size_t>(position - 1)];
      *result = ObjectValue(CreateRangeObject(context_, area));
      return S_OK;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace spreadsheet
