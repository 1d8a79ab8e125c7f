// Windows: Count and Item over the workbook windows.
#include "spreadsheet/objects/windows_object.h"

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

std::span<const Member> CWindowsObject::Members() const {
  return kMembers;
}

std::vector<std::shared_ptr<CWorkbook>> CWindowsObject::Listed() const {
  std::vector<std::shared_ptr<CWorkbook>> listed;
  for (const auto& workbook : context_.application->Workbooks()) {
    if (!context_.workbook || workbook == context_.workbook) listed.push_back(workbook);
  }
  return listed;
}

HRESULT CWindowsObject::Call(const Member& member, bool, const CArguments& args, CVariant* result) {
  const std::vector<std::shared_ptr<CWorkbook>> listed = Listed();
  switch (member.id) {
    case kApplication:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = ObjectValue(CreateApplicationObject(context_.application));
      return S_OK;
    case kParent:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = ObjectValue(context_.workbook ? CreateWorkbookObject(context_)
                                              : CreateApplicationObject(context_.application));
      return S_OK;
    case kCount:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = CVariant(static_cast<LONG>(listed.size()));
      return S_OK;
    case kItem: {
      // A position, or the window's caption (its workbook's name).
      if (const HRESULT hr = CheckArguments(args, 1, 1); FAILED(hr)) return hr;
      std::int32_t position = 0;
      const HRESULT hr = ReadItemPosition(
          args, 0, static_cast<std::int32_t>(listed.size()),
          [&](std::wstring_view caption) -> std::optional<std::int32_t> {
            for (std::size_t i = 0; i < listed.size(); ++i) {
              if (SameIdentifier(listed[i]->Name(), caption))
                return static_cast<std::int32_t>(i + 1);
            }
            return std::nullopt;
          },
          &position);
      if (FAILED(hr)) return hr;
      *result = ObjectValue(CreateWindowObject(
          {context_.application, listed[static_cast<std::size_t>(position - 1)]}));
      return S_OK;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

CComPtr<IDispatch> CreateWindowsObject(const ObjectContext& context) {
  return NewObject<CWindowsObject>(context);
}

}  // namespace spreadsheet
