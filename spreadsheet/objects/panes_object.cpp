// Panes: Count and Item over a window's panes.
#include "spreadsheet/objects/panes_object.h"

#include <array>

#include "spreadsheet/objects/object_arguments.h"
#include "spreadsheet/objects/pane_object.h"
#include "spreadsheet/objects/window_layout.h"
#include "spreadsheet/objects/window_object.h"

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

CComPtr<IDispatch> CreatePaneObject(const ObjectContext& context, std::int32_t index) {
  return NewObject<CPaneObject>(context, index);
}

std::span<const Member> CPanesObject::Members() const {
  return kMembers;
}

HRESULT CPanesObject::Call(const Member& member, bool, const CArguments& args, CVariant* result) {
  if (member.id == kApplication) {
    if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
    *result = ObjectValue(CreateApplicationObject(context_.application));
    return S_OK;
  }
  const auto view = ViewWindow(context_);
  if (!view) return RuntimeError(L"The window of '" + context_.workbook->Name() + L"' is closed.");
  const std::int32_t count = CWindowLayout(*view->state, *view->sheet).PaneCount();
  switch (member.id) {
    case kParent:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = ObjectValue(CreateWindowObject(context_));
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
      *result = ObjectValue(CreatePaneObject(context_, position));
      return S_OK;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace spreadsheet
