// Window: panes, visible cells, selection, splits, frozen panes, scrolling and display.
#include "spreadsheet/objects/window_object.h"

#include <algorithm>
#include <array>

#include "spreadsheet/objects/object_arguments.h"
#include "spreadsheet/objects/panes_object.h"
#include "spreadsheet/objects/window_layout.h"

namespace spreadsheet {
namespace {

enum Id : DISPID {
  kApplication = 1,
  kParent,
  kCaption,
  kHwnd,
  kVisible,
  kIndex,
  kZoom,
  kUsableWidth,
  kUsableHeight,
  kActivePane,
  kPanes,
  kVisibleRange,
  kRangeSelection,
  kActiveCell,
  kActiveSheet,
  kFreezePanes,
  kSplit,
  kDisplayHeadings,
  kDisplayOutline,
  kDisplayGridlines,
  kSplitVertical,
  kSplitHorizontal,
  kSplitColumn,
  kSplitRow,
  kScrollRow,
  kScrollColumn,
  kActivate,
};

constexpr std::array kMembers = {
    Member{L"Application", kApplication, MemberKind::ReadOnlyProperty},
    Member{L"Parent", kParent, MemberKind::ReadOnlyProperty},
    Member{L"Caption", kCaption, MemberKind::ReadOnlyProperty},
    Member{L"Hwnd", kHwnd, MemberKind::ReadOnlyProperty},
    Member{L"Visible", kVisible, MemberKind::ReadOnlyProperty},
    Member{L"Index", kIndex, MemberKind::ReadOnlyProperty},
    Member{L"Zoom", kZoom, MemberKind::Property},
    Member{L"UsableWidth", kUsableWidth, MemberKind::ReadOnlyProperty},
    Member{L"UsableHeight", kUsableHeight, MemberKind::ReadOnlyProperty},
    Member{L"ActivePane", kActivePane, MemberKind::ReadOnlyProperty},
    Member{L"Panes", kPanes, MemberKind::ReadOnlyProperty},
    Member{L"VisibleRange", kVisibleRange, MemberKind::ReadOnlyProperty},
    Member{L"RangeSelection", kRangeSelection, MemberKind::ReadOnlyProperty},
    Member{L"ActiveCell", kActiveCell, MemberKind::ReadOnlyProperty},
    Member{L"ActiveSheet", kActiveSheet, MemberKind::ReadOnlyProperty},
    Member{L"FreezePanes", kFreezePanes, MemberKind::Property},
    Member{L"Split", kSplit, MemberKind::Property},
    Member{L"DisplayHeadings", kDisplayHeadings, MemberKind::Property},
    Member{L"DisplayOutline", kDisplayOutline, MemberKind::Property},
    Member{L"DisplayGridlines", kDisplayGridlines, MemberKind::Property},
    Member{L"SplitVertical", kSplitVertical, MemberKind::Property},
    Member{L"SplitHorizontal", kSplitHorizontal, MemberKind::Property},
    Member{L"SplitColumn", kSplitColumn, MemberKind::Property},
    Member{L"SplitRow", kSplitRow, MemberKind::Property},
    Member{L"ScrollRow", kScrollRow, MemberKind::Property},
    Member{L"ScrollColumn", kScrollColumn, MemberKind::Property},
    Member{L"Activate", kActivate, MemberKind::Method},
};

// Excel's zoom range, in percent.
constexpr double kMinZoomPercent = 10.0;
constexpr double kMaxZoomPercent = 400.0;

}  // namespace

std::optional<WindowView> ViewWindow(const ObjectContext& context) {
  CSpreadsheetApplication& app = *context.application;
  const auto& open = app.Workbooks();
  if (std::find(open.begin(), open.end(), context.workbook) == open.end()) return std::nullopt;
  CWorkbook& workbook = *context.workbook;
  const std::int32_t index = workbook.ActiveSheet();
  if (index < 1 || index > workbook.SheetCount()) return std::nullopt;
  WindowView view{&app.Window(workbook), &workbook.Sheet(index), index, CellRect::Of({1, 1})};
  const Selection& selection = app.CurrentSelection();
  if (selection.workbook == context.workbook && selection.sheet == index &&
      IsOnSheet(selection.range)) {
    view.selection = selection.range;
  }
  return view;
}

std::span<const Member> CWindowObject::Members() const {
  return kMembers;
}

HRESULT CWindowObject::Call(const Member& member, bool put, const CArguments& args,
                            CVariant* result) {
  if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
  if (member.id == kApplication || member.id == kParent) {
    *result = ObjectValue(CreateApplicationObject(context_.application));
    return S_OK;
  }
  const auto view = ViewWindow(context_);
  if (!view) return RuntimeError(L"The window of '" + context_.workbook->Name() + L"' is closed.");
  if (put) return Put(member, args, *view);
  WindowState& state = *view->state;
  CWindowLayout layout(state, *view->sheet);
  const ObjectContext onSheet{context_.application, context_.workbook, view->sheet};
  switch (member.id) {
    case kCaption:
      *result = CVariant(std::wstring_view(context_.workbook->Name()));
      return S_OK;
    case kHwnd:
      *result = CVariant(LONG{context_.application->Hwnd()});
      return S_OK;
    case kVisible:
      *result = CVariant(true);
      return S_OK;
    case kIndex: {
      const auto& open = context_.application->Workbooks();
      const auto at = std::find(open.begin(), open.end(), context_.workbook);
      *result = CVariant(static_cast<LONG>(at - open.begin() + 1));
      return S_OK;
    }
    case kZoom:
      *result = CVariant(state.zoom);
      return S_OK;
    case kUsableWidth:
      *result = CVariant(state.usableWidth);
      return S_OK;
    case kUsableHeight:
      *result = CVariant(state.usableHeight);
      return S_OK;
    case kActivePane:
      *result = ObjectValue(CreatePaneObject(context_, layout.ActivePane()));
      return S_OK;
    case kPanes:
      *result = ObjectValue(NewObject<CPanesObject>(context_));
      return S_OK;
    case kVisibleRange:
      *result =
          ObjectValue(CreateRangeObject(onSheet, layout.PaneVisibleRange(layout.ActivePane())));
      return S_OK;
    case kRangeSelection:
      *result = ObjectValue(CreateRangeObject(onSheet, view->selection));
      return S_OK;
    case kActiveCell:
      *result = ObjectValue(CreateRangeObject(onSheet, CellRect::Of(view->selection.first)));
      return S_OK;
    case kActiveSheet:
      *result = ObjectValue(CreateWorksheetObject(onSheet));
      return S_OK;
    case kFreezePanes:
      *result = CVariant(layout.IsFrozen());
      return S_OK;
    case kSplit:
      *result = CVariant(layout.IsSplit());
      return S_OK;
    case kDisplayHeadings:
      *result = CVariant(state.displayHeadings);
      return S_OK;
    case kDisplayOutline:
      *result = CVariant(state.displayOutline);
      return S_OK;
    case kDisplayGridlines:
      *result = CVariant(view->sheet->DisplayGridlines());
      return S_OK;
    case kSplitVertical:
      *result = CVariant(layout.SplitVertical());
      return S_OK;
    case kSplitHorizontal:
      *result = CVariant(layout.SplitHorizontal());
      return S_OK;
    case kSplitColumn:
      *result = CVariant(LONG{layout.SplitColumn()});
      return S_OK;
    case kSplitRow:
      *result = CVariant(LONG{layout.SplitRow()});
      return S_OK;
    case kScrollRow:
      *result = CVariant(LONG{layout.ScrollRow()});
      return S_OK;
    case kScrollColumn:
      *result = CVariant(LONG{layout.ScrollColumn()});
      return S_OK;
    case kActivate:
      context_.application->Activate(context_.workbook);
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT CWindowObject::Put(const Member& member, const CArguments& args, const WindowView& view) {
  WindowState& state = *view.state;
  CWindowLayout layout(state, *view.sheet);
  const std::wstring refused =
      L"Unable to set the " + std::wstring(member.name) + L" property of the Window class";
  switch (member.id) {
    case kFreezePanes:
    case kSplit:
    case kDisplayHeadings:
    case kDisplayOutline:
    case kDisplayGridlines: {
      bool on = false;
      if (const HRESULT hr = ReadPutBool(args, &on); FAILED(hr)) return hr;
      if (member.id == kFreezePanes) layout.SetFrozen(on, view.selection.first);
      if (member.id == kSplit) layout.SetSplit(on, view.selection.first);
      if (member.id == kDisplayHeadings) state.displayHeadings = on;
      if (member.id == kDisplayOutline) state.displayOutline = on;
      // Gridlines belong to the sheet, so the workbook saves them with it.
      if (member.id == kDisplayGridlines) view.sheet->SetDisplayGridlines(on);
      return S_OK;
    }
    case kZoom:
    case kSplitVertical:
    case kSplitHorizontal: {
      double value = 0.0;
      if (const HRESULT hr = ReadPutDouble(args, &value); FAILED(hr)) return hr;
      bool done = false;
      if (member.id == kZoom) {
        done = value >= kMinZoomPercent && value <= kMaxZoomPercent;
        if (done) state.zoom = value;
      }
      if (member.id == kSplitVertical) done = layout.SetSplitVertical(value);
      if (member.id == kSplitHorizontal) done = layout.SetSplitHorizontal(value);
      return done ? S_OK : RuntimeError(refused);
    }
    case kSplitColumn:
    case kSplitRow:
    case kScrollRow:
    case kScrollColumn: {
      std::int32_t value = 0;
      if (const HRESULT hr = ReadPutLong(args, &value); FAILED(hr)) return hr;
      bool done = false;
      if (member.id == kSplitColumn) done = layout.SetSplitColumn(value);
      if (member.id == kSplitRow) done = layout.SetSplitRow(value);
      if (member.id == kScrollRow) done = layout.SetScrollRow(value);
      if (member.id == kScrollColumn) done = layout.SetScrollColumn(value);
      return done ? S_OK : RuntimeError(refused);
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

CComPtr<IDispatch> CreateWindowObject(const ObjectContext& context) {
  return NewObject<CWindowObject>(context);
}

}  // namespace spreadsheet
