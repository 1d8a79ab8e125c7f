// CNUVAboutBoxDlg: the modal About box: the product's picture, name, version and notices, two
// links to its web sites, and Close.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "addin/addin_manager.h"
#include "platform/win32/scoped_handles.h"
#include "views/win32/window_base.h"

// The two web sites the box links to: the maker's, and the product's own pages (where help is).
inline constexpr const wchar_t* kMakerSiteAddress = L"https://trelvane.app/";
inline constexpr const wchar_t* kProductSiteAddress = kHelpSiteAddress;

class CNUVAboutBoxDlg final : public CDialogBase {
 public:
  // What a click on a link does with its address; the shell's "open" unless a test says.
  using LinkOpener = std::function<void(const std::wstring& address)>;
  static void OpenWithShell(const std::wstring& address);

  explicit CNUVAboutBoxDlg(LinkOpener opener = &CNUVAboutBoxDlg::OpenWithShell);

  // Shows the box over `owner` (disabled meanwhile) and returns when it is closed. A WM_QUIT
  // arriving meanwhile closes it and is posted again for the caller's loop. False when the box
  // could not be made.
  bool RunModal(HWND owner);

 protected:
  BOOL OnInitDialog() override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;

 private:
  bool IsLink(HWND control) const;
  void PaintPicture(HDC dc) const;

  LinkOpener opener_;
  bool closed_ = false;
  CScopedFont headerFont_;
  CScopedFont linkFont_;
  CScopedBitmap picture_;
  CScopedIcon icon_;  // drawn when the module has no picture
};

// The About command: the box, modal over `owner`.
void ShowAboutDialog(HWND owner);
