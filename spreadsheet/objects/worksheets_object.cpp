// Worksheets: Count, Item and Add.
#include "spreadsheet/objects/worksheets_object.h"

#include <algorithm>
#include <array>

#include "platform/char_class.h"
#include "spreadsheet/objects/object_arguments.h"
#include "spreadsheet/objects/worksheet_object.h"

namespace spreadsheet {
namespace {

enum Id : DISPID { kItem = DISPID_VALUE, kApplication = 1, kParent, kCount, kAdd };

constexpr std::array kMembers = {
    Member{L"Item", kItem, MemberKind::ReadOnlyProperty},
    Member{L"Application", kApplication, MemberKind::ReadOnlyProperty},
    Member{L"Parent", kParent, MemberKind::ReadOnlyProperty},
    Member{L"Count", kCount, MemberKind::ReadOnlyProperty},
    Member{L"Add", kAdd, MemberKind::Method},
};

// xlWorksheet, the one sheet type this spreadsheet has.
constexpr std::int32_t kSheetTypeWorksheet = -4167;
// Sheet numbers longer than this are not Excel's own names and are not counted.
constexpr std::size_t kMaxSheetNumberDigits = 6;

}  // namespace

std::wstring NewSheetName(const CWorkbook& workbook) {
  std::int32_t highest = 0;
  constexpr std::wstring_view kPrefix = L"Sheet";
  for (std::int32_t i = 1; i <= workbook.SheetCount(); ++i) {
    const std::wstring_view name = workbook.Sheet(i).Name();
    if (name.size() <= kPrefix.size() || name.size() > kPrefix.size() + kMaxSheetNumberDigits ||
        !SameIdentifier(name.substr(0, kPrefix.size()), kPrefix)) {
      continue;
    }
    std::int32_t number = 0;
    bool digits = true;
    for (const wchar_t c : name.substr(kPrefix.size())) {
      digits = digits && IsAsciiDigit(c);
      if (digits) number = number * 10 + (c - L'0');
    }
    if (digits) highest = std::max(highest, number);
  }
  for (std::int32_t number = highest + 1;; ++number) {
    std::wstring candidate = std::wstring(kPrefix) + std::to_wstring(number);
    if (!workbook.FindSheet(candidate)) return candidate;
  }
}

std::span<const Member> CWorksheetsObject::Members() const {
  return kMembers;
}

HRESULT CWorksheetsObject::Call(const Member& member, bool, const CArguments& args,
                                CVariant* result) {
  CWorkbook& workbook = *context_.workbook;
  switch (member.id) {
    case kApplication:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = ObjectValue(CreateApplicationObject(context_.application));
      return S_OK;
    case kParent:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = ObjectValue(CreateWorkbookObject({context_.application, context_.workbook}));
      return S_OK;
    case kCount:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = CVariant(LONG{workbook.SheetCount()});
      return S_OK;
    case kItem: {
      if (const HRESULT hr = CheckArguments(args, 1, 1); FAILED(hr)) return hr;
      std::int32_t position = 0;
      const HRESULT hr = ReadItemPosition(
          args, 0, workbook.SheetCount(),
          [&](std::wstring_view name) { return workbook.FindSheet(name); }, &position);
      if (FAILED(hr)) return hr;
      *result = ObjectValue(CreateWorksheetObject(
          {context_.application, context_.workbook, &workbook.Sheet(position)}));
      return S_OK;
    }
    case kAdd:
      return Add(args, result);
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT CWorksheetsObject::Add(const CArguments& args, CVariant* result) {
  if (const HRESULT hr = CheckArguments(args, 0, 4); FAILED(hr)) return hr;
  // Before and After are sheet objects; the new sheets go into the workbook they belong to.
  const CWorksheetObject* anchors[2] = {nullptr, nullptr};
  for (std::size_t i = 0; i < 2; ++i) {
    const VARIANT* value = args.At(i);
    if (value == nullptr) continue;
    if (value->vt != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
    anchors[i] = CDispatchObject::As<CWorksheetObject>(value->pdispVal);
    if (anchors[i] == nullptr) return DISP_E_TYPEMISMATCH;
  }
  if (anchors[0] != nullptr && anchors[1] != nullptr) {
    return RuntimeError(L"Method 'Add' of object 'Sheets' failed");
  }
  std::int32_t count = 1;
  if (!args.IsMissing(2)) {
    if (const HRESULT hr = args.GetLong(2, &count); FAILED(hr)) return hr;
  }
  std::int32_t type = kSheetTypeWorksheet;
  if (!args.IsMissing(3)) {
    if (const HRESULT hr = args.GetLong(3, &type); FAILED(hr)) return hr;
  }
  if (type != kSheetTypeWorksheet) {
    return RuntimeError(
        L"This spreadsheet has worksheets only; other sheet types cannot be added.");
  }
  const CWorksheetObject* anchor = anchors[0] != nullptr ? anchors[0] : anchors[1];
  const ObjectContext& target = anchor != nullptr ? anchor->Context() : context_;
  CWorkbook& workbook = *target.workbook;
  if (count < 1 || count > kMaxSheets - workbook.SheetCount()) {
    return RuntimeError(L"Method 'Add' of object 'Sheets' failed");
  }
  std::int32_t position = std::clamp(workbook.ActiveSheet(), 1, workbook.SheetCount() + 1);
  if (anchors[0] != nullptr) position = workbook.IndexOf(*anchors[0]->Context().sheet);
  if (anchors[1] != nullptr) position = workbook.IndexOf(*anchors[1]->Context().sheet) + 1;
  // Each sheet goes in at the same place, before the one added just before it, so the last
  // added comes first and is the one returned and activated, as in Excel.
  CWorksheet* added = nullptr;
  for (std::int32_t i = 0; i < count; ++i)
    added = &workbook.AddSheet(NewSheetName(workbook), position);
  const std::int32_t index = workbook.IndexOf(*added);
  workbook.SetActiveSheet(index);
  // Sheets moved along: the calculator's knowledge of positions is gone.
  context_.application->StructureChanged(workbook);
  CSpreadsheetApplication& app = *context_.application;
  const auto& open = app.Workbooks();
  if (std::find(open.begin(), open.end(), target.workbook) != open.end()) {
    app.Select({target.workbook, index, CellRect::Of({1, 1})});
  }
  *result = ObjectValue(CreateWorksheetObject({context_.application, target.workbook, added}));
  return S_OK;
}

CComPtr<IDispatch> CreateWorksheetsObject(const ObjectContext& context) {
  return NewObject<CWorksheetsObject>(context);
}

}  // namespace spreadsheet
