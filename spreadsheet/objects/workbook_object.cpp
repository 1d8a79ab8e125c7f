// Workbook: identity, file format, the collections of the workbook, and activation.
#include "spreadsheet/objects/workbook_object.h"

#include <algorithm>
#include <array>

#include "spreadsheet/objects/object_arguments.h"

namespace spreadsheet {
namespace {

enum Id : DISPID {
  kApplication = 1,
  kParent,
  kName,
  kFullName,
  kPath,
  kFileFormat,
  kWorksheets,
  kSheets,
  kNames,
  kStyles,
  kWindows,
  kActiveSheet,
  kActivate,
};

constexpr std::array kMembers = {
    Member{L"Application", kApplication, MemberKind::ReadOnlyProperty},
    Member{L"Parent", kParent, MemberKind::ReadOnlyProperty},
    Member{L"Name", kName, MemberKind::ReadOnlyProperty},
    Member{L"FullName", kFullName, MemberKind::ReadOnlyProperty},
    Member{L"Path", kPath, MemberKind::ReadOnlyProperty},
    Member{L"FileFormat", kFileFormat, MemberKind::ReadOnlyProperty},
    Member{L"Worksheets", kWorksheets, MemberKind::ReadOnlyProperty},
    Member{L"Sheets", kSheets, MemberKind::ReadOnlyProperty},
    Member{L"Names", kNames, MemberKind::ReadOnlyProperty},
    Member{L"Styles", kStyles, MemberKind::ReadOnlyProperty},
    Member{L"Windows", kWindows, MemberKind::ReadOnlyProperty},
    Member{L"ActiveSheet", kActiveSheet, MemberKind::ReadOnlyProperty},
    Member{L"Activate", kActivate, MemberKind::Method},
};

}  // namespace

std::span<const Member> CWorkbookObject::Members() const {
  return kMembers;
}

HRESULT CWorkbookObject::Call(const Member& member, bool, const CArguments& args,
                              CVariant* result) {
  if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
  CWorkbook& workbook = *context_.workbook;
  const ObjectContext book{context_.application, context_.workbook};
  switch (member.id) {
    case kApplication:
    case kParent:
      *result = ObjectValue(CreateApplicationObject(context_.application));
      return S_OK;
    case kName:
      *result = CVariant(std::wstring_view(workbook.Name()));
      return S_OK;
    case kFullName:
      *result = CVariant(std::wstring_view(workbook.FullName()));
      return S_OK;
    case kPath: {
      // The folder without its final separator; empty for a workbook never saved.
      const std::wstring& full = workbook.FullName();
      const auto slash = full.find_last_of(L"/\\");
      *result = CVariant(slash == std::wstring::npos ? std::wstring_view()
                                                     : std::wstring_view(full).substr(0, slash));
      return S_OK;
    }
    case kFileFormat:
      *result = CVariant(LONG{workbook.FileFormat()});
      return S_OK;
    case kWorksheets:
    case kSheets:
      *result = ObjectValue(CreateWorksheetsObject(book));
      return S_OK;
    case kNames:
      *result = ObjectValue(CreateNamesObject(book, 0));
      return S_OK;
    case kStyles:
      *result = ObjectValue(CreateStylesObject(book));
      return S_OK;
    case kWindows:
      *result = ObjectValue(CreateWindowsObject(book));
      return S_OK;
    case kActiveSheet: {
      const std::int32_t index = workbook.ActiveSheet();
      if (index < 1 || index > workbook.SheetCount()) {
        *result = ObjectValue(nullptr);
        return S_OK;
      }
      *result = ObjectValue(
          CreateWorksheetObject({context_.application, context_.workbook, &workbook.Sheet(index)}));
      return S_OK;
    }
    case kActivate: {
      const auto& open = context_.application->Workbooks();
      if (std::find(open.begin(), open.end(), context_.workbook) == open.end()) {
        return RuntimeError(L"The workbook has been closed.");
      }
      context_.application->Activate(context_.workbook);
      return S_OK;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

CComPtr<IDispatch> CreateWorkbookObject(const ObjectContext& context) {
  return NewObject<CWorkbookObject>(context);
}

}  // namespace spreadsheet
