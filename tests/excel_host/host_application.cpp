// The host's Application: its own members, the forwarding of the others, the event point.
#include "tests/excel_host/host_application.h"

#include <array>
#include <cstdint>
#include <cwctype>
#include <new>

#include "addin/win32/office_interfaces.h"
#include "platform/text_case.h"
#include "spreadsheet/objects/object_arguments.h"
#include "spreadsheet/objects/object_factory.h"
#include "tests/excel_host/excel4_macros.h"
#include "tests/support/workbook_dispatch.h"

namespace {

using spreadsheet::Member;
using spreadsheet::MemberKind;

enum HostApplicationId : DISPID {
  kHostHwnd = kHostMemberIdBase,
  kHostVersion,
  kHostLanguageSettings,
  kHostComAddIns,
  kHostExecuteExcel4Macro,
  kHostCommandBars,
};

constexpr std::array kHostApplicationMembers = {
    Member{L"Hwnd", kHostHwnd, MemberKind::ReadOnlyProperty},
    Member{L"Version", kHostVersion, MemberKind::ReadOnlyProperty},
    Member{L"LanguageSettings", kHostLanguageSettings, MemberKind::ReadOnlyProperty},
    Member{L"COMAddIns", kHostComAddIns, MemberKind::ReadOnlyProperty},
    Member{L"ExecuteExcel4Macro", kHostExecuteExcel4Macro, MemberKind::Method},
    Member{L"CommandBars", kHostCommandBars, MemberKind::ReadOnlyProperty},
};

bool IsHostMember(DISPID id) {
  return id >= kHostMemberIdBase &&
         id < kHostMemberIdBase + static_cast<DISPID>(kHostApplicationMembers.size());
}

}  // namespace

CComPtr<CHostApplication> CHostApplication::Create(
    std::shared_ptr<spreadsheet::CSpreadsheetApplication> spreadsheet, HWND mainWindow) {
  CComPtr<CHostApplication> application;
  application.Attach(new CHostApplication(std::move(spreadsheet), mainWindow));
  return application;
}

CHostApplication::CHostApplication(
    std::shared_ptr<spreadsheet::CSpreadsheetApplication> spreadsheet, HWND mainWindow)
    : spreadsheet_(std::move(spreadsheet)),
      embedded_(spreadsheet::CreateApplicationObject(spreadsheet_)),
      mainWindow_(mainWindow),
      commandBars_(CCommandBarsObject::Create(mainWindow)),
      events_(CAppEventsPoint::Create(this)) {
  comAddIns_.Attach(new CComAddInsObject());
}

std::optional<int> CHostApplication::VersionMajor() const {
  if (!version_) return std::nullopt;
  int major = 0;
  std::size_t digits = 0;
  for (; digits < version_->size() && iswdigit((*version_)[digits]) != 0 && major < 10000;
       ++digits) {
    major = major * 10 + ((*version_)[digits] - L'0');
  }
  if (digits == 0) return std::nullopt;
  return major;
}

CHostApplication::~CHostApplication() {
  events_->Orphan();
}

std::vector<HRESULT> CHostApplication::RaiseEvent(DISPID event, const std::vector<CVariant>& args) {
  if (!spreadsheet_->EnableEvents()) return {};
  return events_->Raise(event, args);
}

HRESULT CHostApplication::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
    *object = static_cast<IDispatch*>(static_cast<CDispatchObject*>(this));
  } else if (IsEqualIID(iid, IID_IConnectionPointContainer)) {
    *object = static_cast<IConnectionPointContainer*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

HRESULT CHostApplication::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                        DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  try {
    if (names[0] != nullptr) lookedUp_.emplace_back(names[0]);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  if (SUCCEEDED(CDispatchObject::GetIDsOfNames(iid, names, 1, locale, ids))) {
    for (UINT i = 1; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
  }
  const HRESULT hr = embedded_->GetIDsOfNames(iid, names, count, locale, ids);
  // An embedded id in the host's range would be taken for the host's own member.
  if (SUCCEEDED(hr) && ids[0] >= kHostMemberIdBase) {
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  return hr;
}

bool CHostApplication::WasAskedFor(std::wstring_view name) const {
  const std::wstring wanted = UpperCase(name);
  for (const std::wstring& asked : lookedUp_) {
    if (UpperCase(asked) == wanted) return true;
  }
  return false;
}

HRESULT CHostApplication::Invoke(DISPID member, REFIID iid, LCID locale, WORD flags,
                                 DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                 UINT* argumentError) {
  if (IsHostMember(member)) {
    return CDispatchObject::Invoke(member, iid, locale, flags, params, result, exception,
                                   argumentError);
  }
  return embedded_->Invoke(member, iid, locale, flags, params, result, exception, argumentError);
}

HRESULT CHostApplication::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (points != nullptr) *points = nullptr;
  return E_NOTIMPL;
}

HRESULT CHostApplication::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  if (point == nullptr) return E_POINTER;
  *point = nullptr;
  if (!IsEqualIID(iid, DIID_AppEvents)) return CONNECT_E_NOCONNECTION;
  *point = events_.Get();
  events_->AddRef();
  return S_OK;
}

std::span<const Member> CHostApplication::Members() const {
  return kHostApplicationMembers;
}

HRESULT CHostApplication::Call(const Member& member, bool, const spreadsheet::CArguments& args,
                               CVariant* result) {
  if (member.id == kHostExecuteExcel4Macro) return ExecuteExcel4Macro(args, result);
  if (const HRESULT hr = spreadsheet::CheckArguments(args, 0, 0); FAILED(hr)) return hr;
  switch (member.id) {
    case kHostHwnd:
      // Excel answers a Long; window handles keep their meaning in 32 bits.
      *result = CVariant(static_cast<LONG>(reinterpret_cast<std::intptr_t>(mainWindow_)));
      return S_OK;
    case kHostVersion:
      if (!version_) return RuntimeError(L"Method 'Version' of object '_Application' failed");
      *result = CVariant(*version_);
      return S_OK;
    case kHostLanguageSettings: {
      if (!languageSettingsReadable_) {
        return RuntimeError(L"Method 'LanguageSettings' of object '_Application' failed");
      }
      test_support::DispatchAnswer answer = test_support::Get(embedded_.Get(), member.name);
      if (answer.Succeeded()) *result = answer.value;
      return answer.hr;
    }
    case kHostComAddIns:
      *result = CVariant(static_cast<IDispatch*>(comAddIns_.Get()));
      return S_OK;
    case kHostCommandBars:
      *result = CVariant(
          static_cast<IDispatch*>(static_cast<spreadsheet::CDispatchObject*>(commandBars_.Get())));
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT CHostApplication::ExecuteExcel4Macro(const spreadsheet::CArguments& args,
                                             CVariant* result) {
  if (const HRESULT hr = spreadsheet::CheckArguments(args, 1, 1); FAILED(hr)) return hr;
  std::wstring macro;
  if (const HRESULT hr = args.GetText(0, &macro); FAILED(hr)) return hr;
  const std::optional<double> answer = EvaluateExcel4Macro(*spreadsheet_, macro);
  // Excel answers a macro it cannot evaluate with the error value #VALUE!.
  *result = answer ? CVariant(*answer)
                   : spreadsheet::CellValueToVariant(
                         spreadsheet::CellValue::Error(spreadsheet::ErrorCode::Value));
  return S_OK;
}
