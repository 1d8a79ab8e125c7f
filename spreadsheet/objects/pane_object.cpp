// Pane: scroll position, visible cells and activation of one pane.
#include "spreadsheet/objects/pane_object.h"

#include <array>

#include "spreadsheet/objects/object_arguments.h"
#include "spreadsheet/objects/window_layout.h"
#include "spreadsheet/objects/window_object.h"

namespace spreadsheet {
namespace {

enum Id : DISPID {
  kApplication = 1,
  kParent,
  kIndex,
  kScrollRow,
  kScrollColumn,
  kVisibleRange,
  kActivate,
};

constexpr std::array kMembers = {
    Member{L"Application", kApplication, MemberKind::ReadOnlyProperty},
    Member{L"Parent", kParent, MemberKind::ReadOnlyProperty},
    Member{L"Index", kIndex, MemberKind::ReadOnlyProperty},
    Member{L"ScrollRow", kScrollRow, MemberKind::Property},
    Member{L"ScrollColumn", kScrollColumn, MemberKind::Property},
    Member{L"VisibleRange", kVisibleRange, MemberKind::ReadOnlyProperty},
    Member{L"Activate", kActivate, MemberKind::Method},
};

}  // namespace

std::span<const Member> CPaneObject::Members() const {
  return kMembers;
}

HRESULT CPaneObject::Call(const Member& member, bool put, const CArguments& args,
                          CVariant* result) {
  if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
  if (member.id == kApplication) {
    *result = ObjectValue(CreateApplicationObject(context_.application));
    return S_OK;
  }
  const auto view = ViewWindow(context_);
  if (!view) return RuntimeError(L"The window of '" + context_.workbook->Name() + L"' is closed.");
  CWindowLayout layout(*view->state, *view->sheet);
  if (index_ > layout.PaneCount()) return RuntimeError(L"The pane no longer exists.");
  switch (member.id) {
    case kParent:
      *result = ObjectValue(CreateWindowObject(context_));
      return S_OK;
    case kIndex:
      *result = CVariant(LONG{index_});
      return S_OK;
    case kScrollRow:
    case kScrollColumn: {
      const bool rows = member.id == kScrollRow;
      if (put) {
        std::int32_t value = 0;
        if (const HRESULT hr = ReadPutLong(args, &value); FAILED(hr)) return hr;
        const bool done = rows ? layout.SetPaneScrollRow(index_, value)
                               : layout.SetPaneScrollColumn(index_, value);
        if (!done) {
          return RuntimeError(L"Unable to set the " + std::wstring(member.name) +
                              L" property of the Pane class");
        }
        return S_OK;
      }
      const CellCoord origin = layout.PaneOrigin(index_);
      *result = CVariant(LONG{rows ? origin.row : origin.column});
      return S_OK;
    }
    case kVisibleRange: {
      const ObjectContext onSheet{context_.application, context_.workbook, view->sheet};
      *result = ObjectValue(CreateRangeObject(onSheet, layout.PaneVisibleRange(index_)));
      return S_OK;
    }
    case kActivate:
      layout.SetActivePane(index_);
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace spreadsheet
