// The Application object: settings, the active workbook, sheet, window and selection, and the
// application-wide methods.
#include "spreadsheet/objects/application_object.h"

#include <array>

#include "spreadsheet/objects/language_settings_object.h"
#include "spreadsheet/objects/object_arguments.h"
#include "spreadsheet/objects/object_factory.h"
#include "spreadsheet/objects/range_areas.h"
#include "spreadsheet/objects/worksheet_object.h"

namespace spreadsheet {
namespace {

// Excel's Intersect and Union take up to thirty ranges.
constexpr std::size_t kMaxRangeArguments = 30;

enum Id : DISPID {
  kApplication = 1,
  kParent,
  kName,
  kVersion,
  kHwnd,
  kScreenUpdating,
  kCalculation,
  kEnableEvents,
  kSelection,
  kActiveWorkbook,
  kActiveSheet,
  kActiveWindow,
  kActiveCell,
  kWorkbooks,
  kWorksheets,
  kSheets,
  kWindows,
  kLanguageSettings,
  kIntersect,
  kUnion,
  kCalculate,
  kEvaluate,
};

constexpr std::array kMembers = {
    Member{L"Application", kApplication, MemberKind::ReadOnlyProperty},
    Member{L"Parent", kParent, MemberKind::ReadOnlyProperty},
    Member{L"Name", kName, MemberKind::ReadOnlyProperty},
    Member{L"Version", kVersion, MemberKind::ReadOnlyProperty},
    Member{L"Hwnd", kHwnd, MemberKind::ReadOnlyProperty},
    Member{L"ScreenUpdating", kScreenUpdating, MemberKind::Property},
    Member{L"Calculation", kCalculation, MemberKind::Property},
    Member{L"EnableEvents", kEnableEvents, MemberKind::Property},
    Member{L"Selection", kSelection, MemberKind::ReadOnlyProperty},
    Member{L"ActiveWorkbook", kActiveWorkbook, MemberKind::ReadOnlyProperty},
    Member{L"ActiveSheet", kActiveSheet, MemberKind::ReadOnlyProperty},
    Member{L"ActiveWindow", kActiveWindow, MemberKind::ReadOnlyProperty},
    Member{L"ActiveCell", kActiveCell, MemberKind::ReadOnlyProperty},
    Member{L"Workbooks", kWorkbooks, MemberKind::ReadOnlyProperty},
    Member{L"Worksheets", kWorksheets, MemberKind::ReadOnlyProperty},
    Member{L"Sheets", kSheets, MemberKind::ReadOnlyProperty},
    Member{L"Windows", kWindows, MemberKind::ReadOnlyProperty},
    Member{L"LanguageSettings", kLanguageSettings, MemberKind::ReadOnlyProperty},
    Member{L"Intersect", kIntersect, MemberKind::Method},
    Member{L"Union", kUnion, MemberKind::Method},
    Member{L"Calculate", kCalculate, MemberKind::Method},
    Member{L"Evaluate", kEvaluate, MemberKind::Method},
};

bool IsCalculationMode(std::int32_t mode) {
  return mode == kCalculationAutomatic || mode == kCalculationManual ||
         mode == kCalculationSemiautomatic;
}

}  // namespace

std::span<const Member> CApplicationObject::Members() const {
  return kMembers;
}

HRESULT CApplicationObject::Call(const Member& member, bool put, const CArguments& args,
                                 CVariant* result) {
  CSpreadsheetApplication& app = *application_;
  if (member.kind != MemberKind::Method) {
    if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
  }
  const std::shared_ptr<CWorkbook> active = app.ActiveWorkbook();
  const auto activeSheet = [&]() -> CWorksheet* {
    if (!active || active->ActiveSheet() < 1 || active->ActiveSheet() > active->SheetCount()) {
      return nullptr;
    }
    return &active->Sheet(active->ActiveSheet());
  };
  switch (member.id) {
    case kApplication:
    case kParent:
      *result = CVariant(static_cast<IDispatch*>(this));
      return S_OK;
    case kName:
      *result = CVariant(kApplicationName);
      return S_OK;
    case kVersion:
      *result = CVariant(std::wstring_view(app.Version()));
      return S_OK;
    case kHwnd:
      *result = CVariant(LONG{app.Hwnd()});
      return S_OK;
    case kScreenUpdating:
    case kEnableEvents: {
      const bool screen = member.id == kScreenUpdating;
      if (put) {
        bool on = false;
        if (const HRESULT hr = ReadPutBool(args, &on); FAILED(hr)) return hr;
        screen ? app.SetScreenUpdating(on) : app.SetEnableEvents(on);
        return S_OK;
      }
      *result = CVariant(screen ? app.ScreenUpdating() : app.EnableEvents());
      return S_OK;
    }
    case kCalculation:
      if (put) {
        std::int32_t mode = 0;
        if (const HRESULT hr = ReadPutLong(args, &mode); FAILED(hr)) return hr;
        if (!IsCalculationMode(mode)) {
          return RuntimeError(L"Unable to set the Calculation property of the Application class");
        }
        app.SetCalculation(mode);
        return S_OK;
      }
      *result = CVariant(LONG{app.Calculation()});
      return S_OK;
    case kSelection:
    case kActiveCell: {
      const Selection& selection = app.CurrentSelection();
      const auto& workbook = selection.workbook;
      if (!workbook || selection.sheet < 1 || selection.sheet > workbook->SheetCount()) {
        *result = ObjectValue(nullptr);  // Nothing is selected without a workbook.
        return S_OK;
      }
      const ObjectContext context{application_, workbook, &workbook->Sheet(selection.sheet)};
      const CellRect range =
          member.id == kSelection ? selection.range : CellRect::Of(selection.range.first);
      *result = ObjectValue(CreateRangeObject(context, range));
      return S_OK;
    }
    case kActiveWorkbook:
      *result = ObjectValue(active ? CreateWorkbookObject({application_, active}) : nullptr);
      return S_OK;
    case kActiveSheet: {
      CWorksheet* sheet = activeSheet();
      *result = ObjectValue(sheet ? CreateWorksheetObject({application_, active, sheet}) : nullptr);
      return S_OK;
    }
    case kActiveWindow:
      *result = ObjectValue(active ? CreateWindowObject({application_, active}) : nullptr);
      return S_OK;
    case kWorkbooks:
      *result = ObjectValue(CreateWorkbooksObject({application_, nullptr}));
      return S_OK;
    case kWorksheets:
    case kSheets:
      *result = ObjectValue(active ? CreateWorksheetsObject({application_, active}) : nullptr);
      return S_OK;
    case kWindows:
      *result = ObjectValue(CreateWindowsObject({application_, nullptr}));
      return S_OK;
    case kLanguageSettings:
      *result = ObjectValue(NewObject<CLanguageSettingsObject>(application_));
      return S_OK;
    case kIntersect:
      return Intersect(args, result);
    case kUnion:
      return Union(args, result);
    case kCalculate:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      app.Calculate();
      return S_OK;
    case kEvaluate: {
      if (const HRESULT hr = CheckArguments(args, 1, 1); FAILED(hr)) return hr;
      std::wstring expression;
      if (const HRESULT hr = args.GetText(0, &expression); FAILED(hr)) return hr;
      CWorksheet* sheet = activeSheet();
      if (sheet == nullptr) return RuntimeError(L"Evaluate needs an open workbook.");
      *result = EvaluateOnSheet({application_, active, sheet}, expression);
      return S_OK;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT CApplicationObject::ReadRanges(const CArguments& args, std::wstring_view method,
                                       ObjectContext* common,
                                       std::vector<std::vector<CellRect>>* ranges) {
  if (const HRESULT hr = CheckArguments(args, 2, kMaxRangeArguments); FAILED(hr)) return hr;
  for (std::size_t i = 0; i < args.Count(); ++i) {
    const VARIANT* value = args.At(i);
    if (value == nullptr) continue;  // Arguments after the second are optional.
    ObjectContext context;
    std::vector<CellRect> areas;
    if (value->vt != VT_DISPATCH || !ReadRangeAreas(value->pdispVal, &context, &areas)) {
      return DISP_E_TYPEMISMATCH;
    }
    if (ranges->empty()) {
      *common = context;
    } else if (context.sheet != common->sheet) {
      return RuntimeError(L"Method '" + std::wstring(method) +
                          L"' of object '_Application' failed");
    }
    ranges->push_back(std::move(areas));
  }
  return S_OK;
}

HRESULT CApplicationObject::Intersect(const CArguments& args, CVariant* result) {
  ObjectContext common;
  std::vector<std::vector<CellRect>> ranges;
  if (const HRESULT hr = ReadRanges(args, L"Intersect", &common, &ranges); FAILED(hr)) return hr;
  std::vector<CellRect> overlap = std::move(ranges.front());
  for (std::size_t i = 1; i < ranges.size() && !overlap.empty(); ++i) {
    auto next = IntersectAreas(overlap, ranges[i]);
    if (!next) return RuntimeError(L"Method 'Intersect' of object '_Application' failed");
    overlap = std::move(*next);
  }
  // No common cell is Excel's Nothing, which GetObject reads as a failure.
  *result = ObjectValue(overlap.empty() ? nullptr : CreateAreasRangeObject(common, overlap));
  return S_OK;
}

HRESULT CApplicationObject::Union(const CArguments& args, CVariant* result) {
  ObjectContext common;
  std::vector<std::vector<CellRect>> ranges;
  if (const HRESULT hr = ReadRanges(args, L"Union", &common, &ranges); FAILED(hr)) return hr;
  std::vector<CellRect> areas;
  for (const std::vector<CellRect>& range : ranges)
    areas.insert(areas.end(), range.begin(), range.end());
  *result = ObjectValue(CreateAreasRangeObject(common, JoinAreas(areas)));
  return S_OK;
}

CComPtr<IDispatch> CreateApplicationObject(std::shared_ptr<CSpreadsheetApplication> application) {
  return NewObject<CApplicationObject>(std::move(application));
}

}  // namespace spreadsheet
