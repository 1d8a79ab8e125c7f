// Workbooks: Count, Item, Open and Add.
#include "spreadsheet/objects/workbooks_object.h"

#include <array>
#include <filesystem>
#include <system_error>

#include "spreadsheet/objects/object_arguments.h"

namespace spreadsheet {
namespace {

enum Id : DISPID { kItem = DISPID_VALUE, kApplication = 1, kParent, kCount, kOpen, kAdd };

constexpr std::array kMembers = {
    Member{L"Item", kItem, MemberKind::ReadOnlyProperty},
    Member{L"Application", kApplication, MemberKind::ReadOnlyProperty},
    Member{L"Parent", kParent, MemberKind::ReadOnlyProperty},
    Member{L"Count", kCount, MemberKind::ReadOnlyProperty},
    Member{L"Open", kOpen, MemberKind::Method},
    Member{L"Add", kAdd, MemberKind::Method},
};

// Workbooks.Open takes Excel's fifteen arguments; only the file name matters here, as the
// reader never writes to the file it opens.
constexpr std::size_t kOpenArguments = 15;
// xlWBATWorksheet: a new workbook of one worksheet.
constexpr std::int32_t kTemplateWorksheet = -4167;

bool HasDirectory(const std::wstring& path) {
  return path.find_first_of(L"/\\") != std::wstring::npos;
}

}  // namespace

std::span<const Member> CWorkbooksObject::Members() const {
  return kMembers;
}

HRESULT CWorkbooksObject::Call(const Member& member, bool, const CArguments& args,
                               CVariant* result) {
  const auto& open = context_.application->Workbooks();
  switch (member.id) {
    case kApplication:
    case kParent:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = ObjectValue(CreateApplicationObject(context_.application));
      return S_OK;
    case kCount:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = CVariant(static_cast<LONG>(open.size()));
      return S_OK;
    case kItem: {
      if (const HRESULT hr = CheckArguments(args, 1, 1); FAILED(hr)) return hr;
      std::int32_t position = 0;
      const HRESULT hr = ReadItemPosition(
          args, 0, static_cast<std::int32_t>(open.size()),
          [&](std::wstring_view name) -> std::optional<std::int32_t> {
            for (std::size_t i = 0; i < open.size(); ++i) {
              if (SameIdentifier(open[i]->Name(), name)) return static_cast<std::int32_t>(i + 1);
            }
            return std::nullopt;
          },
          &position);
      if (FAILED(hr)) return hr;
      *result = ObjectValue(CreateWorkbookObject(
          {context_.application, open[static_cast<std::size_t>(position - 1)]}));
      return S_OK;
    }
    case kOpen:
      return Open(args, result);
    case kAdd:
      return Add(args, result);
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT CWorkbooksObject::Open(const CArguments& args, CVariant* result) {
  if (const HRESULT hr = CheckArguments(args, 1, kOpenArguments); FAILED(hr)) return hr;
  std::wstring path;
  if (const HRESULT hr = args.GetText(0, &path); FAILED(hr)) return hr;
  if (path.empty()) return RuntimeError(L"Workbooks.Open needs a file name.");
  CSpreadsheetApplication& app = *context_.application;
  // Opening a workbook that is open already brings it to the front, as in Excel.
  for (const auto& workbook : app.Workbooks()) {
    if (SameIdentifier(workbook->FullName(), path)) {
      app.Activate(workbook);
      *result = ObjectValue(CreateWorkbookObject({context_.application, workbook}));
      return S_OK;
    }
  }
  if (!app.Opener())
    return RuntimeError(L"No workbook reader is installed to open '" + path + L"'.");
  std::wstring error;
  std::shared_ptr<CWorkbook> workbook = app.Opener()(path, &error);
  if (!workbook) {
    return RuntimeError(error.empty() ? L"'" + path + L"' could not be opened." : error);
  }
  if (!HasDirectory(workbook->FullName())) {
    std::error_code failed;
    const std::filesystem::path absolute = std::filesystem::absolute(path, failed);
    workbook->SetPath(failed ? path : absolute.wstring());
  }
  // Workbooks are told apart by name (Workbooks.Item, the add-in's per-workbook data), so two
  // open workbooks never share one, as Excel insists.
  for (const auto& other : app.Workbooks()) {
    if (SameIdentifier(other->Name(), workbook->Name())) {
      return RuntimeError(L"A document with the name '" + workbook->Name() +
                          L"' is already open. You cannot open two documents with the same "
                          L"name, even if the documents are in different folders.");
    }
  }
  app.AddWorkbook(workbook);
  *result = ObjectValue(CreateWorkbookObject({context_.application, workbook}));
  return S_OK;
}

HRESULT CWorkbooksObject::Add(const CArguments& args, CVariant* result) {
  if (const HRESULT hr = CheckArguments(args, 0, 1); FAILED(hr)) return hr;
  if (!args.IsMissing(0)) {
    const VARIANT* kind = args.At(0);
    std::int32_t type = 0;
    if (kind->vt == VT_BSTR) {
      return RuntimeError(L"New workbooks from templates are not supported by this spreadsheet.");
    }
    if (const HRESULT hr = args.GetLong(0, &type); FAILED(hr)) return hr;
    if (type != kTemplateWorksheet) {
      return RuntimeError(L"This spreadsheet makes workbooks of worksheets only.");
    }
  }
  CSpreadsheetApplication& app = *context_.application;
  std::wstring name;
  for (bool taken = true; taken;) {
    name = L"Book" + std::to_wstring(app.NextNewWorkbookNumber());
    taken = false;
    for (const auto& open : app.Workbooks()) taken = taken || SameIdentifier(open->Name(), name);
  }
  auto workbook = std::make_shared<CWorkbook>(name);
  workbook->AddSheet(L"Sheet1");
  app.AddWorkbook(workbook);
  *result = ObjectValue(CreateWorkbookObject({context_.application, workbook}));
  return S_OK;
}

CComPtr<IDispatch> CreateWorkbooksObject(const ObjectContext& context) {
  return NewObject<CWorkbooksObject>(context);
}

}  // namespace spreadsheet
