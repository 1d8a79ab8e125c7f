// CAddInManager: the command handlers every user command ends in. They read what the user
// selected, find or create the workbook's dependency container, and open windows through the
// desktop; a few act on the workbook directly. Runs on Excel's main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "addin/command_ids.h"
#include "addin/desktop.h"
#include "addin/recent_items.h"
#include "addin/settings_store.h"
#include "container/dependency_container.h"
#include "excel/excel_object.h"
#include "formula/cell_reference.h"

class CLegacyCommandBars;

inline constexpr wchar_t kHelpSiteAddress[] = L"https://trelvane.app/help/";
inline constexpr wchar_t kSupportMailAddress[] = L"mailto:support@trelvane.app";

// The help page of a topic, appended to the help site's address; empty for the site itself.
std::wstring HelpPage(int32_t topic);

class CAddInManager {
 public:
  CAddInManager(const ExcelObject& application, IAddInDesktop& desktop);
  ~CAddInManager();
  CAddInManager(const CAddInManager&) = delete;
  CAddInManager& operator=(const CAddInManager&) = delete;

  // The manager made last and not yet destroyed: the route of objects that outlive the one that
  // made them, such as the trace items scripts hold.
  static CAddInManager* Current();
  // A message box with the product's title.
  void ShowMessage(const std::wstring& text) { desktop_.ShowMessage(text); }

  // The connection to Excel: keeps the Application, reads its window handle and major version,
  // and, when LanguageSettings can be read, registers OFFSET and INDIRECT as the functions whose
  // result is a reference, so that the parser resolves their targets. A read that fails leaves
  // its field as it was. The host window is the desktop's own and is made with its UI thread.
  void Attach(const ExcelObject& application);
  // Application.Hwnd as last read; 0 until then.
  LONG ExcelWindow() const { return excelWindow_; }
  // The leading number of Application.Version ("16.0" gives 16); 0 until read.
  int32_t MajorVersion() const { return majorVersion_; }
  // Excel before version 12 has command bars instead of the ribbon; so does an Excel whose
  // version cannot be read.
  bool UsesLegacyCommandBars() const { return majorVersion_ < 12; }
  // The command bars built at start when UsesLegacyCommandBars; they must outlive this
  // manager's use of them or be set back to null.
  void SetLegacyCommandBars(CLegacyCommandBars* bars) { legacyBars_ = bars; }

  // The one entry of the ribbon, the legacy controls and the recent-items menu.
  void ExecuteCommand(int32_t number);
  // Trace windows and trace items: the trace commands 0 to 4 and 9, on the given range or, with
  // none, on the selection once the posted command arrives.
  void PostCommand(int32_t number, const CellReference* range);
  void EvaluateSelection(const CellReference* range);
  // The hidden window's handler of posted commands; false for a message it does not take.
  bool OnPostedMessage(uint32_t message, uintptr_t wParam);

  // The workers; without a range they read the selection.
  void OpenTraceWindow(int32_t number, const CellReference* range);
  void OpenEvaluateWindow(const CellReference* range);
  void FilterByColor(bool fill);
  void RefreshContents();
  void CopyAddress();
  void ShowHelpTopic(int32_t topic);

  // Records a command just run on a range of a workbook at the front of the recent items, and
  // has the desktop show the new order.
  void AddRecentItem(int32_t command, const ExcelObject& workbook, const std::wstring& address);
  // The list as the store holds it, appended (at start), and the list saved (at shutdown).
  void LoadRecentItems(ISettingsStore& store, const TraceSink& trace = {});
  void SaveRecentItems(ISettingsStore& store, const TraceSink& trace = {}) const;
  size_t RecentItemCount() const { return recentItems_->Count(); }
  std::vector<std::wstring> RecentItemCaptions() const;
  // The caption of the item at `index` from 0; empty beyond the end.
  std::wstring RecentItemCaption(size_t index) const;
  // Null beyond the end.
  const CMruItem* RecentItem(size_t index) const { return recentItems_->Item(index); }
  // The popup of every recent item (17); the chosen one runs.
  void ShowRecentItemsMenu();
  // Item `number` - 18 again (18 to 27 from the ribbon and menus, more from the popup): its
  // workbook, sheet and range selected, then its command run on them.
  void RunRecentItem(int32_t number);

  // The container of a workbook, found by Workbook.Name (case-sensitive); made and attached when
  // `create` is set and there is none. Null when the name cannot be read.
  std::shared_ptr<CDependencyContainer> GetContainer(const ExcelObject& workbook, bool create);
  // The open workbook whose name equals `name` ignoring case.
  std::shared_ptr<CDependencyContainer> FindContainerByWorkbookName(std::wstring_view name,
                                                                    bool create);
  bool IsWorkbookOpen() const;

  // Excel's application events. A recalculated sheet makes its workbook's error list be walked
  // again when next asked for; a changed sheet makes the next window on its workbook start from
  // freshly read data (windows already open stay as they are); the first workbook opened builds
  // the legacy cell menu; a closing workbook with a container closes the window manager and
  // drops the container. Reads that fail end the reaction without a word.
  void OnSheetCalculate(const ExcelObject& sheet);
  void OnSheetChange(const ExcelObject& sheet);
  void OnWorkbookOpen();
  void OnWorkbookBeforeClose(const std::wstring& name);
  bool CellMenuBuilt() const { return cellMenuBuilt_; }
  const std::vector<std::shared_ptr<CDependencyContainer>>& Containers() const {
    return containers_;
  }

 private:
  void ShowMessageId(int32_t id);
  // The active workbook's container, made when needed; null unless ActiveWorkbook, Selection
  // and ActiveSheet can all be read. The workbook is kept for the recent items.
  std::shared_ptr<CDependencyContainer> ActiveContainer(ExcelObject* workbook);

  ExcelObject application_;
  IAddInDesktop& desktop_;
  LONG excelWindow_ = 0;
  int32_t majorVersion_ = 0;
  bool cellMenuBuilt_ = false;
  CLegacyCommandBars* legacyBars_ = nullptr;
  std::vector<std::shared_ptr<CDependencyContainer>> containers_;
  const std::shared_ptr<CMruList> recentItems_ = std::make_shared<CMruList>();
};
