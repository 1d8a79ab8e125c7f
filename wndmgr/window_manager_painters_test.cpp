// The window manager's colour schemes and which theme number picks which.
#include "wndmgr/window_manager_painters.h"

#include <gtest/gtest.h>

#include <typeinfo>

namespace {

TEST(WndMgrPainters, ColoursAreTheSchemesRgbInColorRefLayout) {
  struct Case {
    const CWndMgrPainter& painter;
    WndMgrColor line, header, inactiveTab, separator;
  };
  const CWndMgrPainterBlue blue;
  const CWndMgrPainterSilver silver;
  const CWndMgrPainterBlack black;
  const Case cases[] = {
      {blue, 0xAD8E72, 0xF5E7DA, 0xFFFAF5, 0xD1C9B8},
      {silver, 0x868686, 0xE8E3DF, 0xFAFAFA, 0xCFCCCA},
      {black, 0x353535, 0x6A6A6A, 0xA3A3A3, 0xBEBEBE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(typeid(c.painter).name());
    EXPECT_EQ(c.line, c.painter.LineColor());
    EXPECT_EQ(c.header, c.painter.HeaderColor());
    EXPECT_EQ(c.inactiveTab, c.painter.InactiveTabColor());
    EXPECT_EQ(c.separator, c.painter.SeparatorColor());
  }
}

TEST(WndMgrPainters, ThemeChoosesOnlyAboveVersion11) {
  struct Case {
    int version;
    std::optional<std::uint32_t> theme;
    const std::type_info& expected;
  };
  const Case cases[] = {
      {12, 1, typeid(CWndMgrPainterBlue)},  {12, 2, typeid(CWndMgrPainterSilver)},
      {16, 3, typeid(CWndMgrPainterBlack)}, {14, 0, typeid(CWndMgrPainterBlue)},
      {14, 4, typeid(CWndMgrPainterBlue)},  {15, std::nullopt, typeid(CWndMgrPainterBlue)},
      {11, 2, typeid(CWndMgrPainterBlue)},  {11, 3, typeid(CWndMgrPainterBlue)},
  };
  for (const Case& c : cases) {
    const auto painter = MakePainterForTheme(c.version, c.theme);
    ASSERT_NE(nullptr, painter);
    EXPECT_EQ(c.expected, typeid(*painter)) << c.version << " " << c.theme.value_or(99);
  }
}

}  // namespace
