// CVisualStyles: the visual-style library (UxTheme.dll), loaded at run time so that the add-in
// also runs where it is missing; callers then draw the classic way with the plain system colours.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <uxtheme.h>

#include "platform/win32/scoped_handles.h"

class CVisualStyles;

struct ThemeTraits {
  using Handle = HTHEME;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle);
};
// Theme data of one class list for one window, closed when it goes. Empty when the library is
// missing or no visual style is active.
using CScopedTheme = CScopedHandle<ThemeTraits>;

// Invariant: the functions are either all found, or the service is unavailable and every call
// answers "not drawn" / the fallback. The library stays loaded for the life of the process.
class CVisualStyles {
 public:
  // The one service of the process; the library is loaded at the first call.
  static const CVisualStyles& Get();

  CVisualStyles(const CVisualStyles&) = delete;
  CVisualStyles& operator=(const CVisualStyles&) = delete;

  bool IsAvailable() const { return openThemeData_ != nullptr; }

  CScopedTheme OpenTheme(HWND window, const wchar_t* classList) const;
  // False when nothing was drawn (no library, no theme, or the call failed).
  bool DrawBackground(HTHEME theme, HDC dc, int part, int state, const RECT& rect) const;
  bool DrawParentBackground(HWND child, HDC dc, const RECT& rect) const;
  // The theme's system colour `colorIndex` (a COLOR_* index); `fallback` without a theme.
  COLORREF SystemColor(HTHEME theme, int colorIndex, COLORREF fallback) const;

 private:
  friend struct ThemeTraits;

  using OpenThemeDataFunction = HTHEME(WINAPI*)(HWND, LPCWSTR);
  using CloseThemeDataFunction = HRESULT(WINAPI*)(HTHEME);
  using DrawThemeBackgroundFunction = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*,
                                                       const RECT*);
  using GetThemeSysColorFunction = COLORREF(WINAPI*)(HTHEME, int);
  using DrawThemeParentBackgroundFunction = HRESULT(WINAPI*)(HWND, HDC, const RECT*);

  CVisualStyles();
  ~CVisualStyles() = default;
  void CloseTheme(HTHEME theme) const;

  CScopedModule library_;
  OpenThemeDataFunction openThemeData_ = nullptr;
  CloseThemeDataFunction closeThemeData_ = nullptr;
  DrawThemeBackgroundFunction drawThemeBackground_ = nullptr;
  GetThemeSysColorFunction getThemeSysColor_ = nullptr;
  DrawThemeParentBackgroundFunction drawThemeParentBackground_ = nullptr;
};
