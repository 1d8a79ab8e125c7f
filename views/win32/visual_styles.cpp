// Loading the visual-style library and calling it through the functions found by name.
#include "views/win32/visual_styles.h"

#include <string>

namespace {

// From the system folder only, so that no UxTheme.dll beside a workbook is picked up.
HMODULE LoadSystemVisualStyles() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\UxTheme.dll";
  return ::LoadLibraryW(path.c_str());
}

// GetProcAddress answers a generic function pointer; void (*)() converts to any other without
// the cast-function-type warning.
template <class Function>
Function FindVisualStylesFunction(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(library, name)));
}

}  // namespace

void ThemeTraits::Close(Handle handle) {
  CVisualStyles::Get().CloseTheme(handle);
}

const CVisualStyles& CVisualStyles::Get() {
  static const CVisualStyles styles;
  return styles;
}

CVisualStyles::CVisualStyles() : library_(LoadSystemVisualStyles()) {
  if (!library_) return;
  const auto open =
      FindVisualStylesFunction<OpenThemeDataFunction>(library_.Get(), "OpenThemeData");
  const auto close =
      FindVisualStylesFunction<CloseThemeDataFunction>(library_.Get(), "CloseThemeData");
  const auto draw =
      FindVisualStylesFunction<DrawThemeBackgroundFunction>(library_.Get(), "DrawThemeBackground");
  const auto color =
      FindVisualStylesFunction<GetThemeSysColorFunction>(library_.Get(), "GetThemeSysColor");
  const auto parent = FindVisualStylesFunction<DrawThemeParentBackgroundFunction>(
      library_.Get(), "DrawThemeParentBackground");
  if (open == nullptr || close == nullptr || draw == nullptr || color == nullptr ||
      parent == nullptr) {
    library_.Reset();
    return;
  }
  openThemeData_ = open;
  closeThemeData_ = close;
  drawThemeBackground_ = draw;
  getThemeSysColor_ = color;
  drawThemeParentBackground_ = parent;
}

void CVisualStyles::CloseTheme(HTHEME theme) const {
  if (closeThemeData_ != nullptr) closeThemeData_(theme);
}

CScopedTheme CVisualStyles::OpenTheme(HWND window, const wchar_t* classList) const {
  if (!IsAvailable()) return CScopedTheme();
  return CScopedTheme(openThemeData_(window, classList));
}

bool CVisualStyles::DrawBackground(HTHEME theme, HDC dc, int part, int state,
                                   const RECT& rect) const {
  if (!IsAvailable() || theme == nullptr) return false;
  return SUCCEEDED(drawThemeBackground_(theme, dc, part, state, &rect, nullptr));
}

bool CVisualStyles::DrawParentBackground(HWND child, HDC dc, const RECT& rect) const {
  if (!IsAvailable()) return false;
  return SUCCEEDED(drawThemeParentBackground_(child, dc, &rect));
}

COLORREF CVisualStyles::SystemColor(HTHEME theme, int colorIndex, COLORREF fallback) const {
  if (!IsAvailable() || theme == nullptr) return fallback;
  return getThemeSysColor_(theme, colorIndex);
}
