// Where a trace window covering the selected cells moves, and the search for the workbook window.
#include "views/move_aside.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

std::wstring Describe(const std::optional<ScreenRect>& r) {
  if (!r) return L"stays";
  return std::to_wstring(r->left) + L"," + std::to_wstring(r->top) + L"," +
         std::to_wstring(r->right) + L"," + std::to_wstring(r->bottom);
}

TEST(MoveAside, TakesTheFirstSideThatFitsBelowAboveLeftRight) {
  const ScreenRect screen{0, 0, 1000, 800};
  // A 200 x 100 window; h = 105 and w = 205 must be strictly less than the room on a side.
  struct Case {
    const char* name;
    ScreenRect window;
    ScreenRect cells;
    std::optional<ScreenRect> workArea;
    std::optional<ScreenRect> expected;
  };
  const Case cases[] = {
      {"below", {300, 300, 500, 400}, {350, 350, 450, 380}, screen,
       ScreenRect{300, 385, 500, 485}},
      // 800 - 695 = 105 is not more than h: above instead.
      {"above when below is one pixel short", {300, 600, 500, 700}, {350, 650, 450, 695}, screen,
       ScreenRect{300, 545, 500, 645}},
      {"below when it just fits", {300, 600, 500, 700}, {350, 650, 450, 694}, screen,
       ScreenRect{300, 699, 500, 799}},
      // Cells from row 50 to 790: neither below nor above; 206 pixels to the left.
      {"left", {250, 0, 450, 100}, {206, 50, 300, 790}, screen, ScreenRect{1, 0, 201, 100}},
      // 105 above is one short.
      {"left when above is one short", {250, 50, 450, 150}, {206, 105, 300, 790}, screen,
       ScreenRect{1, 50, 201, 150}},
      // 205 to the left is one short.
      {"right", {100, 0, 300, 100}, {205, 50, 300, 790}, screen, ScreenRect{305, 0, 505, 100}},
      {"stays when no side has room", {0, 0, 1000, 800}, {10, 10, 990, 790}, screen,
       std::nullopt},
      // Without the work area below and right are never tried.
      {"above without the work area", {300, 300, 500, 400}, {350, 350, 450, 380}, std::nullopt,
       ScreenRect{300, 245, 500, 345}},
      {"stays without the work area", {100, 0, 300, 100}, {205, 50, 300, 790}, std::nullopt,
       std::nullopt},
      {"no overlap", {0, 0, 100, 100}, {100, 0, 200, 100}, screen, std::nullopt},
      {"cells not measured", {0, 0, 100, 100}, {0, 0, 0, 0}, screen, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Describe(c.expected), Describe(ChooseAsidePosition(c.window, c.cells, c.workArea)))
        << c.name;
  }
}

class CTestWindowTree final : public IWindowTree {
 public:
  struct Window {
    std::wstring text;
    std::wstring className;
    std::vector<WindowNode> children;
  };
  std::wstring Text(WindowNode w) const override { return windows.at(w).text; }
  std::wstring ClassName(WindowNode w) const override { return windows.at(w).className; }
  std::vector<WindowNode> Children(WindowNode w) const override { return windows.at(w).children; }
  std::map<WindowNode, Window> windows;
};

TEST(MoveAside, FindsTheWorkbookWindowDepthFirst) {
  CTestWindowTree tree;
  // XLMAIN 1 holds XLDESK 2 and EXCEL7 5; 2 holds EXCEL7 4 (with its child 3) and EXCEL7 6.
  tree.windows = {
      {1, {L"Book1.xlsx - Excel", L"XLMAIN", {2, 5}}},
      {2, {L"", L"XLDESK", {4, 6}}},
      {4, {L"Other.xlsx", L"EXCEL7", {3}}},
      {3, {L"book1.xlsx:2", L"EXCEL7", {}}},
      {6, {L"Book1.xlsx", L"EXCEL7", {}}},
      {5, {L"BOOK1.XLSX", L"EXCEL7", {}}},
  };
  // The main window's text begins with the caption but its class is not EXCEL7; window 3 is
  // reached before its uncle 6 and its cousin 5.
  EXPECT_EQ(std::optional<WindowNode>(3), FindWorkbookWindow(tree, 1, L"Book1.xlsx"));
  EXPECT_EQ(std::optional<WindowNode>(4), FindWorkbookWindow(tree, 1, L"other"));
  EXPECT_EQ(std::optional<WindowNode>(5), FindWorkbookWindow(tree, 5, L"book1"));
  EXPECT_EQ(std::nullopt, FindWorkbookWindow(tree, 1, L"Book1.xlsx:22"));
  EXPECT_EQ(std::nullopt, FindWorkbookWindow(tree, 2, L"Book2"));
}

TEST(MoveAside, SearchesADeepTreeWithoutDeepRecursion) {
  CTestWindowTree tree;
  constexpr WindowNode kDepth = 50000;
  for (WindowNode w = 1; w < kDepth; ++w) tree.windows[w] = {L"x", L"Static", {w + 1}};
  tree.windows[kDepth] = {L"Deep.xlsx", L"EXCEL7", {}};
  EXPECT_EQ(std::optional<WindowNode>(kDepth), FindWorkbookWindow(tree, 1, L"deep.XLSX"));
}

}  // namespace
