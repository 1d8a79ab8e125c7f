// ListObjects: Count and Item over a sheet's tables.
#include "spreadsheet/objects/list_objects_object.h"

#include <array>

#include "spreadsheet/objects/list_object_object.h"
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

std::span<const Member> CListObjectsObject::Members() const {
  return kMembers;
}

HRESULT CListObjectsObject::Call(const Member& member, bool, const CArguments& args,
                                 CVariant* result) {
  const auto& tables = context_.sheet->Tables();
  switch (member.id) {
    case kApplication:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = ObjectValue(CreateApplicationObject(context_.application));
      return S_OK;
    case kParent:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = ObjectValue(CreateWorksheetObject(context_));
      return S_OK;
    case kCount:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = CVariant(static_cast<LONG>(tables.size()));
      return S_OK;
    case kItem: {
      if (const HRESULT hr = CheckArguments(args, 1, 1); FAILED(hr)) return hr;
      std::int32_t position = 0;
      const HRESULT hr = ReadItemPosition(
          args, 0, static_cast<std::int32_t>(tables.size()),
          [&](std::wstring_view name) -> std::optional<std::int32_t> {
            for (std::size_t i = 0; i < tables.size(); ++i) {
              if (SameIdentifier(tables[i].name, name)) return static_cast<std::int32_t>(i + 1);
            }
            return std::nullopt;
          },
          &position);
      if (FAILED(hr)) return hr;
      *result = ObjectValue(NewObject<CListObjectObject>(
          context_, tables[static_cast<std::size_t>(position - 1)].name));
      return S_OK;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

CComPtr<IDispatch> CreateListObjectsObject(const ObjectContext& context) {
  return NewObject<CListObjectsObject>(context);
}

}  // namespace spreadsheet
