// The three colour schemes of the window manager and the theme-based choice.
#include "wndmgr/window_manager_painters.h"

WndMgrColor CWndMgrPainterBlue::LineColor() const {
  return MakeWndMgrColor(114, 142, 173);
}
WndMgrColor CWndMgrPainterBlue::HeaderColor() const {
  return MakeWndMgrColor(218, 231, 245);
}
WndMgrColor CWndMgrPainterBlue::InactiveTabColor() const {
  return MakeWndMgrColor(245, 250, 255);
}
WndMgrColor CWndMgrPainterBlue::SeparatorColor() const {
  return MakeWndMgrColor(184, 201, 209);
}

WndMgrColor CWndMgrPainterSilver::LineColor() const {
  return MakeWndMgrColor(134, 134, 134);
}
WndMgrColor CWndMgrPainterSilver::HeaderColor() const {
  return MakeWndMgrColor(223, 227, 232);
}
WndMgrColor CWndMgrPainterSilver::InactiveTabColor() const {
  return MakeWndMgrColor(250, 250, 250);
}
WndMgrColor CWndMgrPainterSilver::SeparatorColor() const {
  return MakeWndMgrColor(202, 204, 207);
}

WndMgrColor CWndMgrPainterBlack::LineColor() const {
  return MakeWndMgrColor(53, 53, 53);
}
WndMgrColor CWndMgrPainterBlack::HeaderColor() const {
  return MakeWndMgrColor(106, 106, 106);
}
WndMgrColor CWndMgrPainterBlack::InactiveTabColor() const {
  return MakeWndMgrColor(163, 163, 163);
}
WndMgrColor CWndMgrPainterBlack::SeparatorColor() const {
  return MakeWndMgrColor(190, 190, 190);
}

std::unique_ptr<CWndMgrPainter> MakePainterForTheme(int majorVersion,
                                                    std::optional<std::uint32_t> theme) {
  constexpr int kLastVersionWithoutThemes = 11;
  if (majorVersion > kLastVersionWithoutThemes && theme) {
    if (*theme == 2) return std::make_unique<CWndMgrPainterSilver>();
    if (*theme == 3) return std::make_unique<CWndMgrPainterBlack>();
  }
  return std::make_unique<CWndMgrPainterBlue>();
}
