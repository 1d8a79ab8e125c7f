// The About box's modal loop, its fonts, links and picture.
#include "addin/win32/about_dialog.h"

#include <shellapi.h>

#include "platform/win32/module_instance.h"
#include "resources/resource_ids.h"

namespace {

// The product's name stands out at this many times the dialog's font height.
constexpr int kHeaderScale = 2;

// The links' text colour, the blue web pages give links.
constexpr COLORREF kLinkBlue = RGB(0, 0, 204);

CScopedFont DerivedFont(HWND dialog, bool header) {
  auto font = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
  LOGFONTW look{};
  if (font == nullptr || ::GetObjectW(font, sizeof look, &look) == 0) return {};
  if (header) {
    look.lfHeight *= kHeaderScale;
    look.lfWeight = FW_BOLD;
  } else {
    look.lfUnderline = TRUE;
  }
  return CScopedFont(::CreateFontIndirectW(&look));
}

}  // namespace

void CNUVAboutBoxDlg::OpenWithShell(const std::wstring& address) {
  ::ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

CNUVAboutBoxDlg::CNUVAboutBoxDlg(LinkOpener opener) : opener_(std::move(opener)) {}

bool CNUVAboutBoxDlg::RunModal(HWND owner) {
  closed_ = false;
  if (!CreateModeless(IDD_ABOUT_BOX, owner)) return false;
  const bool ownerWasEnabled = owner != nullptr && ::IsWindowEnabled(owner) != FALSE;
  if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
  ::ShowWindow(Hwnd(), SW_SHOW);
  MSG message{};
  bool quit = false;
  WPARAM quitCode = 0;
  while (!closed_ && Hwnd() != nullptr) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      quit = got == 0;
      quitCode = message.wParam;
      break;
    }
    if (::IsDialogMessageW(Hwnd(), &message) != FALSE) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  // The owner comes back before the box goes, so that it is the one activated.
  if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
  Destroy();
  if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
  return true;
}

BOOL CNUVAboutBoxDlg::OnInitDialog() {
  headerFont_ = DerivedFont(Hwnd(), true);
  linkFont_ = DerivedFont(Hwnd(), false);
  if (headerFont_) {
    ::SendDlgItemMessageW(Hwnd(), IDC_ABOUT_PRODUCT, WM_SETFONT,
                          reinterpret_cast<WPARAM>(headerFont_.Get()), FALSE);
  }
  if (linkFont_) {
    for (int link : {IDC_ABOUT_MAKER_LINK, IDC_ABOUT_PRODUCT_LINK}) {
      ::SendDlgItemMessageW(Hwnd(), link, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.Get()),
                            FALSE);
    }
  }
  picture_.Reset(static_cast<HBITMAP>(::LoadImageW(
      ModuleInstance(), ResourceName(IDB_ABOUT_PICTURE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!picture_) {
    icon_.Reset(static_cast<HICON>(
        ::LoadImageW(ModuleInstance(), ResourceName(IDI_WINDOW_MANAGER), IMAGE_ICON, 64, 64, 0)));
  }
  return TRUE;
}

bool CNUVAboutBoxDlg::IsLink(HWND control) const {
  return control != nullptr && (control == ::GetDlgItem(Hwnd(), IDC_ABOUT_MAKER_LINK) ||
                                control == ::GetDlgItem(Hwnd(), IDC_ABOUT_PRODUCT_LINK));
}

void CNUVAboutBoxDlg::PaintPicture(HDC dc) const {
  RECT place{};
  HWND placeholder = ::GetDlgItem(Hwnd(), IDC_ABOUT_PICTURE);
  if (placeholder == nullptr || ::GetWindowRect(placeholder, &place) == FALSE) return;
  ::MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&place), 2);
  if (picture_) {
    BITMAP size{};
    ::GetObjectW(picture_.Get(), sizeof size, &size);
    const CScopedMemoryDc memory(::CreateCompatibleDC(dc));
    if (!memory) return;
    const CSelectedObject selected(memory.Get(), picture_.Get());
    // Centred across the placeholder, at its top.
    const int x = place.left + ((place.right - place.left) - size.bmWidth) / 2;
    ::BitBlt(dc, x, place.top, size.bmWidth, size.bmHeight, memory.Get(), 0, 0, SRCCOPY);
  } else if (icon_) {
    const int x = place.left + ((place.right - place.left) - 64) / 2;
    ::DrawIconEx(dc, x, place.top, icon_.Get(), 64, 64, 0, nullptr, DI_NORMAL);
  }
}

LRESULT CNUVAboutBoxDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == IDCANCEL || id == IDOK) {
        *handled = true;
        closed_ = true;
        return 0;
      }
      if ((id == IDC_ABOUT_MAKER_LINK || id == IDC_ABOUT_PRODUCT_LINK) &&
          HIWORD(wParam) == STN_CLICKED) {
        *handled = true;
        if (opener_) {
          opener_(id == IDC_ABOUT_MAKER_LINK ? kMakerSiteAddress : kProductSiteAddress);
        }
        return 0;
      }
      break;
    }
    case WM_CTLCOLORSTATIC: {
      if (!IsLink(reinterpret_cast<HWND>(lParam))) break;
      const auto dc = reinterpret_cast<HDC>(wParam);
      ::SetTextColor(dc, kLinkBlue);
      ::SetBkMode(dc, TRANSPARENT);
      *handled = true;
      return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR:
      if (!IsLink(reinterpret_cast<HWND>(wParam))) break;
      ::SetCursor(::LoadCursorW(nullptr, ResourceName(32649)));  // IDC_HAND
      *handled = true;
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = ::BeginPaint(Hwnd(), &paint);
      if (dc != nullptr) PaintPicture(dc);
      ::EndPaint(Hwnd(), &paint);
      *handled = true;
      return 0;
    }
    case WM_CLOSE:
      *handled = true;
      closed_ = true;
      return 0;
    default:
      break;
  }
  return CDialogBase::OnMessage(message, wParam, lParam, handled);
}

void ShowAboutDialog(HWND owner) {
  CNUVAboutBoxDlg box;
  box.RunModal(owner);
}
