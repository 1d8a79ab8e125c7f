// CHostApplication: the Application object the test host hands to the add-in. It answers what
// the add-in reads of Excel that the embedded spreadsheet does not play (the main window's
// handle, a version the test chooses, a LanguageSettings that can fail, COMAddIns, the command
// bars of Excel before the ribbon, the Excel 4 macro functions that place cells on the screen,
// and the AppEvents connection point) and passes
// every other member to the embedded spreadsheet's own Application, by name.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/variant.h"
#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/spreadsheet_application.h"
#include "tests/excel_host/app_events_point.h"
#include "tests/excel_host/com_addins.h"
#include "tests/excel_host/command_bars.h"

// Dispatch ids of the host's own members start here; the embedded Application's ids stay below,
// so that one Invoke tells whose member is called.
inline constexpr DISPID kHostMemberIdBase = 0x10000;

// Invariant: embedded_ is the spreadsheet's Application over spreadsheet_; events_ lives as long
// as this object and is orphaned when it goes.
class CHostApplication final : public spreadsheet::CDispatchObject,
                               public IConnectionPointContainer {
 public:
  static CComPtr<CHostApplication> Create(
      std::shared_ptr<spreadsheet::CSpreadsheetApplication> spreadsheet, HWND mainWindow);

  // Version's text; nothing makes the read fail, as an Application that cannot tell would.
  void SetVersion(std::optional<std::wstring> version) { version_ = std::move(version); }
  // The number before the first dot of the chosen version; nothing when it cannot be read.
  std::optional<int> VersionMajor() const;
  void SetLanguageSettingsReadable(bool readable) { languageSettingsReadable_ = readable; }

  const std::shared_ptr<spreadsheet::CSpreadsheetApplication>& Spreadsheet() const {
    return spreadsheet_;
  }
  // The embedded spreadsheet's Application, where every member the host does not play goes.
  IDispatch* Embedded() const { return embedded_.Get(); }
  CComAddInsObject& ComAddIns() const { return *comAddIns_.Get(); }
  CCommandBarsObject& CommandBars() const { return *commandBars_.Get(); }
  std::size_t AdvisedSinkCount() const { return events_->SinkCount(); }
  // Every member name the Application was asked to look up, in order, its own and forwarded.
  const std::vector<std::wstring>& LookedUpNames() const { return lookedUp_; }
  bool WasAskedFor(std::wstring_view name) const;

  // Raises an application event on every advised sink, unless EnableEvents is off, as Excel
  // does; answers each sink's result.
  std::vector<HRESULT> RaiseEvent(DISPID event, const std::vector<CVariant>& args);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return CDispatchObject::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return CDispatchObject::Release(); }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override;
  // Not offered: the add-in asks for its one connection point by id.
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

 protected:
  ~CHostApplication() override;
  std::span<const spreadsheet::Member> Members() const override;
  HRESULT Call(const spreadsheet::Member& member, bool put, const spreadsheet::CArguments& args,
               CVariant* result) override;

 private:
  CHostApplication(std::shared_ptr<spreadsheet::CSpreadsheetApplication> spreadsheet,
                   HWND mainWindow);
  // GET.CELL(42) and GET.CELL(43) from the host's window layout; #VALUE! for anything else.
  HRESULT ExecuteExcel4Macro(const spreadsheet::CArguments& args, CVariant* result);

  std::shared_ptr<spreadsheet::CSpreadsheetApplication> spreadsheet_;
  CComPtr<IDispatch> embedded_;
  HWND mainWindow_;
  std::optional<std::wstring> version_ = L"16.0";
  bool languageSettingsReadable_ = true;
  CComPtr<CComAddInsObject> comAddIns_;
  CComPtr<CCommandBarsObject> commandBars_;
  CComPtr<CAppEventsPoint> events_;
  std::vector<std::wstring> lookedUp_;
};
