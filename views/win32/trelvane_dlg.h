// CTrelvaneDlg: the common base of the trace and evaluate windows: the toolbar and context menu,
// the commands on the selected item, selecting its range in Excel with arrows and the frame, and
// the window's placement.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "container/dependency_container.h"
#include "engine/related.h"
#include "export/cell_highlighter.h"
#include "formula/cell_reference.h"
#include "platform/win32/scoped_handles.h"
#include "views/container_view.h"
#include "views/population_tree_progress.h"
#include "views/tree_structure.h"
#include "views/win32/image_lists.h"
#include "views/win32/trelvane_controller.h"
#include "views/win32/window_base.h"
#include "views/win32/wnd_mgr_item.h"

// Posted to a window: refresh its tree (the container was refreshed).
inline constexpr UINT kRefreshWindowMessage = kViewRefreshMessage;
// Sent to a window: close it (its workbook's container is going).
inline constexpr UINT kCloseWindowMessage = kViewCloseMessage;

// The registry values of the two switches every window shares.
inline constexpr const wchar_t* kShowArrowsValue = L"ShowTracingErrors";
inline constexpr const wchar_t* kAutoActivateValue = L"AutoSelectRange";

// Lives on the add-in's UI thread; every workbook access goes through the controller's Excel
// thread. The container's calls arrive on Excel's thread and only post or send messages.
class CTrelvaneDlg : public CDialogBase,
                     public IWndMgrItem,
                     public CPopulationTreeProgress,
                     public IContainerView {
 public:
  CTrelvaneDlg(ITrelvaneController& controller, std::shared_ptr<CDependencyContainer> container,
               const CellReference& pendingRoot);
  ~CTrelvaneDlg() override;

  // IWndMgrItem.
  HWND CreateInManager(HWND parent) override;  // CreateModeless(TemplateId(), parent)
  HWND Hwnd() const override { return CDialogBase::Hwnd(); }

  // IContainerView (on Excel's thread).
  void PostRefresh() override;
  void SendClose() override;
  bool WindowRect(ScreenRect* rect) const override;

  bool ShowArrowsOn() const { return showArrows_; }
  bool AutoActivateOn() const { return autoActivate_; }
  const CellReference& RootReference() const { return root_; }
  HWND ToolbarHwnd() const { return toolbar_; }
  // Whether the toolbar button of `command` is enabled (false when there is none).
  bool ToolbarButtonEnabled(int command) const;
  bool ToolbarButtonChecked(int command) const;
  // The context menu of the selected item, as a right click shows it.
  CScopedMenu BuildContextMenu();

 protected:
  // The virtual operations the windows supply.
  virtual int TemplateId() const = 0;  // 1000 or 1012
  virtual std::vector<int> ToolbarCommands() const = 0;
  virtual std::vector<int> ContextMenuCommands() const = 0;
  virtual bool IsCommandEnabled(int command) const = 0;
  virtual int ArrowKind() const = 0;  // 0, 2 (dependents arrows) or 4 (precedents arrows)
  virtual int HelpTopic() const = 0;
  virtual int IconResourceId() const = 0;
  virtual TraceKind WindowKind() const = 0;
  virtual const CellReference* SelectedReference() const = 0;
  virtual TreeItem SelectedItem() const = 0;
  virtual void ExpandAll() = 0;
  virtual void Refresh() = 0;
  virtual void SavePlacement() = 0;
  virtual BOOL OnInitWindow() = 0;  // the window's own part of initialisation

  // What the windows may add.
  // The window's own closing steps, before the common ones.
  virtual void OnClosing() {}
  // A command of the window itself; the base handles the common ones when this answers false.
  virtual bool OnWindowCommand(int command, int code, HWND control);
  // The workbook-wide flat lists save the whole list from the root.
  virtual bool SavesWholeList() const { return false; }
  // The check state of a toolbar switch the window owns (the base answers its own two).
  virtual bool SwitchState(int command) const;

  // CWindowBase: the derived windows handle their messages first and pass the rest here.
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;

  // Accessors.
  ITrelvaneController& Controller() const { return controller_; }
  CDependencyContainer& Container() const { return *container_; }
  const std::shared_ptr<CDependencyContainer>& SharedContainer() const { return container_; }
  const CellReference& Root() const { return root_; }
  HIMAGELIST ImageStrip() const { return imageStrip_.Get(); }
  HFONT BoldFont() const { return boldFont_.Get(); }
  HWND Toolbar() const { return toolbar_; }
  CCellHighlighter* Highlighter() const { return highlighter_.get(); }

  // Runs `call` on Excel's thread, keeping exceptions inside.
  void OnExcel(const std::function<void()>& call);

  // The common commands.
  void UpdateCommandStates();
  void SetToolbarCheck(int command, bool checked);
  void ShowContextMenu(POINT screen);
  void OpenWindowOnSelected(TraceKind kind);
  // Selects the reference's range in Excel (Excel's thread inside); nothing while
  // select-in-Excel is disabled.
  void SelectInExcel(const CellReference& reference, bool bringToFront);
  void SelectSelectedInExcel(bool bringToFront);
  // Moves the window out of the way of Excel's selected cells.
  void MoveAside();
  void SetSelectInExcelEnabled(bool enabled) { selectInExcelEnabled_ = enabled; }
  bool SelectInExcelEnabled() const { return selectInExcelEnabled_; }
  // The tree gained or lost the keyboard focus: the frame in Excel follows.
  void SetHighlightEnabled(bool enabled);
  void SaveBranch(int command);
  // Placement under prefix + "_left" ... prefix + "_bottom".
  void SavePlacementUnder(const std::wstring& prefix) const;
  bool RestorePlacementFrom(const std::wstring& prefix);
  // Moves the window where the container places a new view: 10 pixels below the view
  // registered last (this one, once registered), when that one lies on the screen.
  void Cascade();
  // Closing: the window's own steps, placement, unregistering, destroying.
  void CloseWindow();
  // Set once the window's own initialisation has run.
  bool Initialised() const { return initialised_; }

 private:
  BOOL OnInitDialog() final;
  void CreateToolbar();
  void AddToolbarTooltips();
  void HandleCommand(int command);
  bool WindowRectSound(const RECT& rect) const;
  // A rectangle in screen coordinates; a child window is placed in its parent's.
  void MoveToScreenRect(RECT rect);
  // Unregisters from the container (unless it is going) and lets go of the frame, on Excel's
  // thread; once.
  void LeaveContainer();

  ITrelvaneController& controller_;
  std::shared_ptr<CDependencyContainer> container_;
  CellReference pendingRoot_;
  CellReference root_;
  bool showArrows_ = false;
  bool autoActivate_ = true;
  bool selectInExcelEnabled_ = true;
  bool registered_ = false;
  bool closing_ = false;
  bool initialised_ = false;
  CScopedImageList imageStrip_;
  CScopedImageList toolbarImages_;
  CScopedImageList toolbarHotImages_;
  CScopedImageList toolbarDisabledImages_;
  CScopedFont boldFont_;
  CScopedIcon bigIcon_;
  CScopedIcon smallIcon_;
  HWND toolbar_ = nullptr;
  std::unique_ptr<CCellHighlighter> highlighter_;
};

// The toolbar image of a command, or -1 for none.
int ToolbarImageOf(int command);
// Whether the toolbar button of a command is a check button.
bool IsToolbarCheckCommand(int command);
// The placement test: a saved or a cascaded rectangle is used only when it passes.
bool PlacementSound(const RECT& rect, int screenWidth, int screenHeight);
