// The window manager's colour schemes, one per Office theme, and the choice among them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

// A colour in the 0x00BBGGRR layout of a Win32 COLORREF.
using WndMgrColor = std::uint32_t;

constexpr WndMgrColor MakeWndMgrColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<WndMgrColor>(red) | (static_cast<WndMgrColor>(green) << 8) |
         (static_cast<WndMgrColor>(blue) << 16);
}

// The colours the tab strip is painted with, in their order of use.
class CWndMgrPainter {
 public:
  virtual ~CWndMgrPainter() = default;
  virtual WndMgrColor LineColor() const = 0;
  virtual WndMgrColor HeaderColor() const = 0;
  virtual WndMgrColor InactiveTabColor() const = 0;
  virtual WndMgrColor SeparatorColor() const = 0;
};

class CWndMgrPainterBlue final : public CWndMgrPainter {
 public:
  WndMgrColor LineColor() const override;
  WndMgrColor HeaderColor() const override;
  WndMgrColor InactiveTabColor() const override;
  WndMgrColor SeparatorColor() const override;
};

class CWndMgrPainterSilver final : public CWndMgrPainter {
 public:
  WndMgrColor LineColor() const override;
  WndMgrColor HeaderColor() const override;
  WndMgrColor InactiveTabColor() const override;
  WndMgrColor SeparatorColor() const override;
};

class CWndMgrPainterBlack final : public CWndMgrPainter {
 public:
  WndMgrColor LineColor() const override;
  WndMgrColor HeaderColor() const override;
  WndMgrColor InactiveTabColor() const override;
  WndMgrColor SeparatorColor() const override;
};

// Office versions above 11 keep a theme number under Common\Theme: 1 blue, 2 silver, 3 black.
// Anything else, no value at all, and every older version get the blue scheme.
std::unique_ptr<CWndMgrPainter> MakePainterForTheme(int majorVersion,
                                                    std::optional<std::uint32_t> theme);
