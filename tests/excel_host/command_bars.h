// CCommandBarsObject and CCommandBar: Application.CommandBars of Excel before the ribbon, with the
// built-in "Worksheet Menu Bar" (its Tools menu as in Excel 2003) and "Cell" context bar, and the
// toolbars an add-in adds. Tests look inside from C++ and act as the user would:
//
//   host.Application().SetVersion(L"11.0");          // Excel 2003: StartAddIn skips the ribbon
//   CCommandBarsObject& bars = host.Application().CommandBars();
//   bars.SetToolsMenuCaptions({L"&Spelling...", L"Formula A&uditing", L"&Options..."});
//   ASSERT_EQ(S_OK, host.StartAddIn());
//   CCommandBarControl* tools = bars.ToolsMenu();
//   CCommandBarControl* submenu = tools->Controls()->Find(L"Trelvane");
//   CCommandBar* toolbar = bars.Find(L"Trelvane");
//   CCommandBarControl* button = toolbar->Controls().At(2);
//   EXPECT_EQ(ButtonFaceRoute::PasteFace, button->Face().route);
//   EXPECT_EQ(1u, button->ClickSinkCount());
//   button->FireClick();                              // the user clicks it
//   toolbar->PlaceAsUser(kBarPositionLeft, 3, 10, 200);  // the user drags the toolbar away
//   bars.SetPictureSupported(false);                  // Office 2000: no Picture or Mask
//   // A control the add-in holds as IDispatch, seen from C++:
//   CCommandBarControl* same = CCommandBarControl::As<CCommandBarControl>(dispatch);
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com_ptr.h"
#include "spreadsheet/objects/dispatch_object.h"
#include "tests/excel_host/command_bar_controls.h"

// MsoBarPosition values.
inline constexpr LONG kBarPositionLeft = 0;
inline constexpr LONG kBarPositionTop = 1;
inline constexpr LONG kBarPositionFloating = 4;
inline constexpr LONG kBarPositionPopup = 5;

inline constexpr wchar_t kWorksheetMenuBarName[] = L"Worksheet Menu Bar";
inline constexpr wchar_t kCellBarName[] = L"Cell";
inline constexpr std::size_t kWorksheetToolsMenuPosition = 6;

class CCommandBarsObject;

// One command bar. Invariant: owner_ lists the bar, or is null once it was deleted; a built-in
// bar keeps the captions it is reset to.
class CCommandBar final : public spreadsheet::CDispatchObject {
 public:
  struct BuiltInControl {
    LONG type;
    std::wstring caption;
    std::vector<std::wstring> contents;  // a popup's own buttons
  };

  static CComPtr<CCommandBar> Create(std::wstring name, bool builtIn,
                                     std::shared_ptr<CommandBarSettings> settings);

  const std::wstring& Name() const { return name_; }
  bool IsBuiltIn() const { return builtIn_; }
  CCommandBarControls& Controls() const { return *controls_.Get(); }
  bool IsVisible() const { return visible_; }
  LONG Position() const { return position_; }
  LONG RowIndex() const { return rowIndex_; }
  LONG Left() const { return left_; }
  LONG Top() const { return top_; }
  LONG Protection() const { return protection_; }
  // Whether its controls lie side by side on the screen (a shown toolbar or menu bar).
  bool ShowsControlsInARow() const { return visible_ && position_ != kBarPositionPopup; }
  int ResetCount() const { return resets_; }

  // The user shows, hides, docks or drags the bar.
  void PlaceAsUser(LONG position, LONG rowIndex, LONG left, LONG top);
  void SetVisibleAsUser(bool visible) { visible_ = visible; }

  // The controls Reset brings back; they are put in place at once.
  void SetBuiltInControls(std::vector<BuiltInControl> controls);
  void SetPlacement(LONG position, LONG rowIndex, LONG left, LONG top, bool visible);
  void AttachTo(CCommandBarsObject* owner) { owner_ = owner; }

 protected:
  ~CCommandBar() override;
  std::span<const spreadsheet::Member> Members() const override;
  HRESULT Call(const spreadsheet::Member& member, bool put, const spreadsheet::CArguments& args,
               CVariant* result) override;

 private:
  CCommandBar(std::wstring name, bool builtIn, std::shared_ptr<CommandBarSettings> settings);
  void Reset();
  LONG Width() const;

  std::wstring name_;
  bool builtIn_;
  std::vector<BuiltInControl> builtInControls_;
  CComPtr<CCommandBarControls> controls_;
  CCommandBarsObject* owner_ = nullptr;
  bool visible_ = false;
  bool enabled_ = true;
  LONG position_ = kBarPositionTop;
  LONG rowIndex_ = 2;
  LONG left_ = 0;
  LONG top_ = 0;
  LONG width_ = 0;  // 0 until written: then the controls decide
  LONG height_ = kToolbarButtonHeight + 4;
  LONG protection_ = 0;
  int resets_ = 0;
};

// Application.CommandBars: Count, Item by name (ignoring case) or position from 1, Add.
class CCommandBarsObject final : public spreadsheet::CDispatchObject {
 public:
  // Fresh built-in bars; new toolbars are placed below the top edge of `mainWindow`.
  static CComPtr<CCommandBarsObject> Create(HWND mainWindow);

  std::size_t Count() const { return bars_.size(); }
  // The bar of a name (ignoring case), or null.
  CCommandBar* Find(std::wstring_view name) const;
  // The sixth menu of the worksheet menu bar.
  CCommandBarControl* ToolsMenu() const;
  // Replaces the Tools menu's items (also what Reset restores).
  void SetToolsMenuCaptions(const std::vector<std::wstring>& captions);
  void SetPictureSupported(bool supported) { settings_->pictureSupported = supported; }
  void Remove(CCommandBar* bar);

 protected:
  ~CCommandBarsObject() override;
  std::span<const spreadsheet::Member> Members() const override;
  HRESULT Call(const spreadsheet::Member& member, bool put, const spreadsheet::CArguments& args,
               CVariant* result) override;

 private:
  explicit CCommandBarsObject(HWND mainWindow);
  HRESULT Add(const spreadsheet::CArguments& args, CVariant* result);
  std::vector<CCommandBar::BuiltInControl> WorksheetMenuControls(
      const std::vector<std::wstring>& toolsCaptions) const;

  HWND mainWindow_;
  std::shared_ptr<CommandBarSettings> settings_;
  std::vector<CComPtr<CCommandBar>> bars_;
};
