// The column tree in a plain window: its parts and their layout, horizontal scrolling, the
// refused width steps, notifications passed on as control 3002's, column texts, the saved widths,
// the first field cut with an ellipsis, the owner's colours, rows without columns, and pictures.
#include "views/win32/column_tree_ctrl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/scoped_handles.h"
#include "tests/support/window_screenshot.h"
#include "tests/support/scratch_current_user.h"
#include "views/win32/cell_tree_ctrl.h"
#include "views/win32/column_tree_test_host.h"
#include "views/win32/column_width_settings.h"
#include "views/win32/evaluation_tree_ctrl.h"

namespace {

using column_tree_test::CTestHost;
using column_tree_test::InsertItem;
using column_tree_test::kStaticId;
using column_tree_test::Pump;
using column_tree_test::WindowRectIn;

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

class ColumnTree : public testing::Test {
 protected:
  // A static of kWidth x kHeight holding the tree, with columns of the given widths.
  void Open(const std::vector<int>& widths, CColumnTreeCtrl& tree) {
    ASSERT_TRUE(host_.Open(kWidth, kHeight));
    ASSERT_TRUE(tree.Attach(host_.Static()));
    const wchar_t* titles[] = {L"Cell", L"Sheet", L"Value", L"Formula"};
    for (size_t i = 0; i < widths.size(); ++i) {
      tree.InsertColumn(static_cast<int>(i), titles[i % 4],
                        i == 2 ? CColumnTreeCtrl::kFormatRight : 0, widths[i]);
    }
    Pump();
  }
  void Open(const std::vector<int>& widths) { Open(widths, tree_); }
  RECT PlaceOf(HWND part) const { return WindowRectIn(part, host_.Static()); }
  void Scroll(int code) {
    ::SendMessageW(host_.Static(), WM_HSCROLL, static_cast<WPARAM>(code),
                   reinterpret_cast<LPARAM>(tree_.ScrollBarHwnd()));
  }
  int VerticalBar() const { return ::GetSystemMetrics(SM_CXVSCROLL); }

  static constexpr int kWidth = 300;
  static constexpr int kHeight = 160;
  CTestHost host_;
  CColumnTreeCtrl tree_;
};

TEST_F(ColumnTree, BuildsItsFourPartsInsideTheStaticOnce) {
  Open({100, 60});
  struct Part {
    int id;
    const wchar_t* className;
    bool visible;
  };
  const Part parts[] = {{CColumnTreeCtrl::kHeaderId, WC_HEADERW, true},
                        {CColumnTreeCtrl::kTreeId, WC_TREEVIEWW, true},
                        {CColumnTreeCtrl::kScrollBarId, L"ScrollBar", false},
                        {CColumnTreeCtrl::kFillerHeaderId, WC_HEADERW, false}};
  for (const Part& part : parts) {
    HWND child = ::GetDlgItem(host_.Static(), part.id);
    ASSERT_NE(nullptr, child) << part.id;
    EXPECT_EQ(0, ::lstrcmpiW(part.className, ClassName(child).c_str())) << part.id;
    EXPECT_EQ(part.visible, ::IsWindowVisible(child) != FALSE) << part.id;
  }
  EXPECT_EQ(tree_.TreeHwnd(), ::GetDlgItem(host_.Static(), CColumnTreeCtrl::kTreeId));
  EXPECT_FALSE(tree_.Attach(host_.Static()));
  EXPECT_EQ(2, tree_.ColumnCount());
  EXPECT_EQ(60, tree_.ColumnWidth(1));
  EXPECT_EQ(0, tree_.ColumnWidth(2));
  EXPECT_EQ(160, tree_.TotalWidth());
  EXPECT_TRUE(tree_.TextOffset() == 6 || tree_.TextOffset() == 9);
  EXPECT_GT(tree_.HeaderHeight(), 0);
  // The tree starts under the header and fills the rest.
  const RECT treePlace = PlaceOf(tree_.TreeHwnd());
  EXPECT_EQ(tree_.HeaderHeight(), treePlace.top);
  EXPECT_EQ(kHeight, treePlace.bottom);
  EXPECT_EQ(kWidth, treePlace.right);
  tree_.DeleteAllColumns();
  EXPECT_EQ(0, tree_.ColumnCount());
  EXPECT_EQ(0, tree_.TotalWidth());
  EXPECT_EQ(0, tree_.Tree().FirstColumnWidth());
}

TEST_F(ColumnTree, WideColumnsScrollHeaderAndTreeTogetherByFifteenPixelLines) {
  Open({200, 150, 250, 200});
  ASSERT_EQ(800, tree_.TotalWidth());
  EXPECT_TRUE(::IsWindowVisible(tree_.ScrollBarHwnd()));
  const int limit = 800 - kWidth;  // no vertical bar yet
  struct Step {
    int code;
    int offset;
  };
  const Step steps[] = {
      {SB_LINERIGHT, 15},    {SB_LINERIGHT, 30},           {SB_LINELEFT, 15}, {SB_PAGERIGHT, 315},
      {SB_PAGERIGHT, limit}, {SB_LINERIGHT, limit},        {SB_LEFT, 0},      {SB_LINELEFT, 0},
      {SB_RIGHT, limit},     {SB_PAGELEFT, limit - kWidth}};
  for (const Step& step : steps) {
    Scroll(step.code);
    EXPECT_EQ(step.offset, tree_.ScrollOffset()) << step.code;
    EXPECT_EQ(step.offset, ::GetScrollPos(tree_.ScrollBarHwnd(), SB_CTL)) << step.code;
    const RECT header = PlaceOf(tree_.HeaderHwnd());
    const RECT tree = PlaceOf(tree_.TreeHwnd());
    EXPECT_EQ(-step.offset, header.left) << step.code;
    EXPECT_EQ(-step.offset, tree.left) << step.code;
    // The tree reaches the right edge however far it has moved.
    EXPECT_EQ(kWidth, tree.right) << step.code;
  }
  // The scroll bar takes the bottom; the tree ends above it.
  const RECT bar = PlaceOf(tree_.ScrollBarHwnd());
  EXPECT_EQ(kHeight, bar.bottom);
  EXPECT_EQ(bar.top, PlaceOf(tree_.TreeHwnd()).bottom);
}

TEST_F(ColumnTree, NarrowColumnsNeedNoScrollBarAndTheFillerCoversTheVerticalBar) {
  Open({80, 60, 60, 60});
  EXPECT_FALSE(::IsWindowVisible(tree_.ScrollBarHwnd()));
  EXPECT_FALSE(::IsWindowVisible(tree_.FillerHeaderHwnd()));
  Scroll(SB_LINERIGHT);
  EXPECT_EQ(0, tree_.ScrollOffset());
  EXPECT_EQ(kWidth, PlaceOf(tree_.HeaderHwnd()).right);

  for (int i = 0; i < 40; ++i) {
    InsertItem(tree_.TreeHwnd(), TVI_ROOT, L"A" + std::to_wstring(i) + L"\tSheet1\t1\t");
  }
  ::UpdateWindow(tree_.TreeHwnd());
  Pump();
  ASSERT_TRUE(tree_.Tree().HasVerticalBar());
  EXPECT_TRUE(::IsWindowVisible(tree_.FillerHeaderHwnd()));
  const RECT filler = PlaceOf(tree_.FillerHeaderHwnd());
  EXPECT_EQ(kWidth - VerticalBar(), filler.left);
  EXPECT_EQ(kWidth, filler.right);
  EXPECT_EQ(kWidth - VerticalBar(), PlaceOf(tree_.HeaderHwnd()).right);
  EXPECT_EQ(1, static_cast<int>(::SendMessageW(tree_.FillerHeaderHwnd(), HDM_GETITEMCOUNT, 0, 0)));
  // Wider columns now: both scroll bars, and the filler stays over the vertical one.
  tree_.InsertColumn(4, L"More", 0, 150);
  ::UpdateWindow(host_.Hwnd());
  Pump();
  EXPECT_TRUE(::IsWindowVisible(tree_.ScrollBarHwnd()));
  EXPECT_EQ(kWidth - VerticalBar(), PlaceOf(tree_.ScrollBarHwnd()).right);
  EXPECT_EQ(kWidth - VerticalBar(), PlaceOf(tree_.FillerHeaderHwnd()).left);
  test_support::SaveScreenshotIfAsked(host_.Hwnd(), L"column_tree_scroll_bars");
}

TEST_F(ColumnTree, EveryOtherWidthChangeOfTheHeaderIsRefused) {
  Open({100, 60});
  EXPECT_TRUE(tree_.RefusesNextChange());
  const size_t changingBefore = host_.Count(HDN_ITEMCHANGINGW);
  // Each step asks the header for 10 more pixels, as a drag does.
  const bool accepted[] = {false, true, false, true};
  int expected = 100;
  for (size_t step = 0; step < 4; ++step) {
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = tree_.ColumnWidth(0) + 10;
    ::SendMessageW(tree_.HeaderHwnd(), HDM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    if (accepted[step]) expected += 10;
    EXPECT_EQ(expected, tree_.ColumnWidth(0)) << step;
    EXPECT_EQ(expected + 60, tree_.TotalWidth()) << step;
    EXPECT_EQ(expected, tree_.Tree().FirstColumnWidth()) << step;
    EXPECT_EQ(accepted[step], tree_.RefusesNextChange()) << step;
  }
  // Each step was shown to the parent as well.
  EXPECT_EQ(changingBefore + 4, host_.Count(HDN_ITEMCHANGINGW));
}

TEST_F(ColumnTree, PartsNotifyTheParentAsControl3002) {
  Open({100, 60, 60, 60});
  const HTREEITEM top = InsertItem(tree_.TreeHwnd(), TVI_ROOT, L"A1\tSheet1\t1\t");
  InsertItem(tree_.TreeHwnd(), top, L"B1\tSheet1\t2\t");
  host_.notices.clear();
  ::SendMessageW(tree_.TreeHwnd(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(top));
  ::SendMessageW(tree_.TreeHwnd(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top));
  ::SetFocus(host_.Static());
  ::UpdateWindow(tree_.TreeHwnd());
  Pump();
  EXPECT_EQ(tree_.TreeHwnd(), ::GetFocus());
  for (UINT code : {static_cast<UINT>(TVN_SELCHANGEDW), static_cast<UINT>(TVN_ITEMEXPANDINGW),
                    static_cast<UINT>(TVN_ITEMEXPANDEDW), static_cast<UINT>(NM_SETFOCUS)}) {
    EXPECT_GE(host_.Count(code), 1u) << code;
  }
  ASSERT_FALSE(host_.notices.empty());
  for (const column_tree_test::Notice& notice : host_.notices) {
    EXPECT_EQ(host_.Static(), notice.from) << notice.code;
    EXPECT_EQ(static_cast<UINT_PTR>(kStaticId), notice.id) << notice.code;
  }
}

TEST_F(ColumnTree, ColumnTextsAreTheTabSeparatedFieldsOfTheItemText) {
  Open({100, 60, 60, 60});
  struct Case {
    const wchar_t* text;
    int column;
    const wchar_t* replacement;
    const wchar_t* result;
  };
  const Case cases[] = {
      {L"A1\tSheet1\t1\t=B1\t", 2, L"7", L"A1\tSheet1\t7\t=B1\t"},
      {L"A1", 1, L"Sheet2", L"A1\tSheet2\t\t\t"},
      {L"", 0, L"C3", L"C3\t\t\t\t"},
      {L"A1\tSheet1\t1\t=B1\tspare", 3, L"", L"A1\tSheet1\t1\t\t"},
  };
  for (const Case& c : cases) {
    const HTREEITEM item = InsertItem(tree_.TreeHwnd(), TVI_ROOT, c.text);
    tree_.SetItemText(item, c.column, c.replacement);
    EXPECT_EQ(c.result, tree_.ItemText(item)) << c.text;
    EXPECT_EQ(c.replacement, tree_.ItemColumnText(item, c.column)) << c.text;
    EXPECT_EQ(L"", tree_.ItemColumnText(item, 9)) << c.text;
  }
}


TEST_F(ColumnTree, TreesWriteTheirWidthsWhenDestroyedAndTheDialogsReadThemBack) {
  test_support::CScratchCurrentUser scratch{L"ColumnTree"};
  ASSERT_TRUE(scratch.IsActive());
  std::vector<int> widths{1, 2, 3, 4};
  EXPECT_EQ(0, CCellTreeCtrl::ReadSavedWidths(CCellTreeCtrl::WidthNames(), widths));
  EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), widths);

  CCellTreeCtrl cells;
  Open({91, 52, 63, 124}, cells);
  ::DestroyWindow(host_.Static());
  EXPECT_EQ(4, CCellTreeCtrl::ReadSavedWidths(CCellTreeCtrl::WidthNames(), widths));
  EXPECT_EQ((std::vector<int>{91, 52, 63, 124}), widths);

  // The evaluate tree keeps its own two; a missing value leaves its width alone.
  CTestHost second;
  ASSERT_TRUE(second.Open(200, 100));
  CEvaluationTreeCtrl evaluation;
  ASSERT_TRUE(evaluation.Attach(second.Static()));
  evaluation.InsertColumn(0, L"Formula", 0, 140);
  ::DestroyWindow(second.Static());
  std::vector<int> pair{5, 6};
  EXPECT_EQ(1, ReadSavedWidths(CEvaluationTreeCtrl::WidthNames(), pair));
  EXPECT_EQ((std::vector<int>{140, 6}), pair);
}

TEST(ColumnTreeWidths, StartingWidthsShareTheUsableWidth) {
  const int usable = 420 - ::GetSystemMetrics(SM_CXVSCROLL);
  const int twentieth = usable / 20;
  EXPECT_EQ((std::vector<int>{7 * twentieth - 7, 3 * twentieth - 3, 3 * twentieth - 3,
                              8 * twentieth - 8}),
            CCellTreeCtrl::DefaultWidths(420));
  const int tenth = usable / 10;
  EXPECT_EQ((std::vector<int>{7 * tenth - 7, 3 * tenth - 3}),
            CEvaluationTreeCtrl::DefaultWidths(420));
}

// The tree's own painting, as the screen would get it.
test_support::WindowImage PaintedTree(HWND tree) {
  RECT client{};
  ::GetClientRect(tree, &client);
  test_support::WindowImage image;
  CWindowDc screen(tree);
  CScopedMemoryDc memory(::CreateCompatibleDC(screen.Get()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = client.right;
  info.bmiHeader.biHeight = -client.bottom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  CScopedBitmap bitmap(::CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) return image;
  {
    CSelectedObject selected(memory.Get(), bitmap.Get());
    ::SendMessageW(tree, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.Get()), PRF_CLIENT);
  }
  image.width = client.right;
  image.height = client.bottom;
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  image.pixels.assign(
      pixels, pixels + static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
  for (std::uint32_t& pixel : image.pixels) pixel &= 0x00FFFFFFu;
  return image;
}

bool IsInk(std::uint32_t pixel) {
  const std::uint32_t r = pixel >> 16 & 0xFF;
  const std::uint32_t g = pixel >> 8 & 0xFF;
  const std::uint32_t b = pixel & 0xFF;
  return r + g + b < 3 * 200;
}

TEST_F(ColumnTree, LongFirstFieldEndsWithAnEllipsisInsideColumnZero) {
  Open({90, 70, 60, 70});
  const HTREEITEM item = InsertItem(tree_.TreeHwnd(), TVI_ROOT,
                                    L"Sheet1!A1:Z999 holds a first field far too long\tS\t1\t=X");
  RECT row{};
  ASSERT_TRUE(TreeItemRect(tree_.TreeHwnd(), item, false, &row));
  const test_support::WindowImage image = PaintedTree(tree_.TreeHwnd());
  ASSERT_FALSE(image.IsEmpty());
  int rightmost = -1;
  for (int y = row.top + 1; y < row.bottom - 2; ++y) {
    for (int x = 0; x < 88; ++x) {
      if (IsInk(image.At(x, y))) rightmost = std::max(rightmost, x);
    }
  }
  // The text runs up to the label's end, 4 pixels before column 0 ends, and no further; its
  // last marks are the ellipsis, close to that end.
  EXPECT_LE(rightmost, 90 - 4 - 1);
  EXPECT_GE(rightmost, 90 - 4 - 12);
  // The second column's text starts after the text offset.
  int firstInSecond = -1;
  for (int x = 90; x < 160 && firstInSecond < 0; ++x) {
    for (int y = row.top + 1; y < row.bottom - 2; ++y) {
      if (IsInk(image.At(x, y))) {
        firstInSecond = x;
        break;
      }
    }
  }
  EXPECT_GE(firstInSecond, 90 + tree_.TextOffset() + 1);
}

TEST_F(ColumnTree, WhiteSpaceRightOfAShortFirstFieldSelectsNothing) {
  Open({150, 60, 60});
  const HTREEITEM item = InsertItem(tree_.TreeHwnd(), TVI_ROOT, L"A1\tSheet1\t1\t");
  const HTREEITEM other = InsertItem(tree_.TreeHwnd(), TVI_ROOT, L"A2\tSheet1\t2\t");
  ::SendMessageW(tree_.TreeHwnd(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(other));
  RECT label{};
  TreeItemRect(tree_.TreeHwnd(), item, true, &label);
  const int y = (label.top + label.bottom) / 2;
  ::SendMessageW(tree_.TreeHwnd(), WM_LBUTTONDBLCLK, 0, MAKELPARAM(140, y));
  EXPECT_EQ(reinterpret_cast<LRESULT>(other),
            ::SendMessageW(tree_.TreeHwnd(), TVM_GETNEXTITEM, TVGN_CARET, 0));
  EXPECT_EQ(tree_.TreeHwnd(), ::GetFocus());
  EXPECT_EQ(nullptr, tree_.Tree().ItemAt(POINT{140, y}));
  EXPECT_EQ(item, tree_.Tree().ItemAt(POINT{label.left + 3, y}));
}

TEST_F(ColumnTree, PictureOfAFourColumnTree) {
  Open({120, 55, 50, 70});
  ::SetWindowLongPtrW(tree_.TreeHwnd(), GWL_STYLE,
                      ::GetWindowLongPtrW(tree_.TreeHwnd(), GWL_STYLE) | TVS_HASBUTTONS |
                          TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_FULLROWSELECT);
  const HWND tree = tree_.TreeHwnd();
  const HTREEITEM root = InsertItem(tree, TVI_ROOT, L"D1\tSheet1\t11.25\t=SUM(A1:B5)+C1");
  const HTREEITEM range = InsertItem(tree, root, L"A1:B5\tSheet1\t\t");
  InsertItem(tree, range, L"A1\tSheet1\t7\t");
  InsertItem(tree, range, L"B5\tSheet1\t1\t");
  const HTREEITEM c1 = InsertItem(tree, root, L"C1\tSheet1\t3\t=E1*3\r\n+1");
  InsertItem(tree, c1, L"E1\tSheet2\t1\t");
  InsertItem(tree, TVI_ROOT, L"A long reference text cut short\tSheet1\t0\t");
  for (HTREEITEM item : {root, range, c1}) {
    ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  }
  ::SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(c1));
  ::SetForegroundWindow(host_.Hwnd());
  ::SetFocus(tree);
  ::RedrawWindow(host_.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump();
  const test_support::WindowImage image = PaintedTree(tree);
  ASSERT_FALSE(image.IsEmpty());
  // The selected row is filled across every column with the highlight colour.
  RECT row{};
  TreeItemRect(tree, c1, false, &row);
  // (with the focus; else in the show-selection-always colour).
  const int selectedColor = ::GetFocus() == tree ? COLOR_HIGHLIGHT : COLOR_INACTIVEBORDER;
  EXPECT_EQ(test_support::PixelOf(::GetSysColor(selectedColor)), image.At(280, row.top + 2));

  test_support::SaveScreenshotIfAsked(host_.Hwnd(), L"column_tree");
}

}  // namespace

namespace {

// Paints every item red and remembers what it was asked.
class CRedItems final : public ITreeUIManager {
 public:
  HFONT ItemColor(HTREEITEM item, bool highlighted, HDC dc, HFONT font) override {
    asked.push_back({item, highlighted});
    ::SetTextColor(dc, RGB(255, 0, 0));
    return font;
  }
  std::vector<std::pair<HTREEITEM, bool>> asked;
};

bool RowHas(const test_support::WindowImage& image, const RECT& row, int left, int right,
            std::uint32_t pixel) {
  for (int y = row.top; y < row.bottom - 1; ++y) {
    for (int x = left; x < right; ++x) {
      if (image.At(x, y) == pixel) return true;
    }
  }
  return false;
}

TEST_F(ColumnTree, OwnerColoursTheFirstFieldAndRowsWithoutTabsGetNoColumnLines) {
  CCellTreeCtrl cells;
  CRedItems red;
  cells.SetUIManager(&red);
  Open({90, 70, 60}, cells);
  const HTREEITEM tabbed = InsertItem(cells.TreeHwnd(), TVI_ROOT, L"A1\tSheet1\t7\t");
  const HTREEITEM plain = InsertItem(cells.TreeHwnd(), TVI_ROOT, L"plain");
  const test_support::WindowImage image = PaintedTree(cells.TreeHwnd());
  ASSERT_FALSE(image.IsEmpty());
  RECT tabbedRow{};
  RECT plainRow{};
  ASSERT_TRUE(TreeItemRect(cells.TreeHwnd(), tabbed, false, &tabbedRow));
  ASSERT_TRUE(TreeItemRect(cells.TreeHwnd(), plain, false, &plainRow));

  ASSERT_EQ(2u, red.asked.size());
  EXPECT_EQ(tabbed, red.asked[0].first);
  EXPECT_EQ(plain, red.asked[1].first);
  EXPECT_FALSE(red.asked[0].second);  // nothing selected
  const std::uint32_t redPixel = test_support::PixelOf(RGB(255, 0, 0));
  EXPECT_TRUE(RowHas(image, tabbedRow, 0, 90, redPixel));
  // Without full-row select the further columns keep the menu-text colour.
  EXPECT_FALSE(RowHas(image, tabbedRow, 90, 220, redPixel));

  // The column edge at x = 89 is drawn in the tabbed row only.
  const int middle = (plainRow.top + plainRow.bottom) / 2;
  const std::uint32_t background = test_support::PixelOf(::GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(background, image.At(89, middle));
  EXPECT_NE(background, image.At(89, (tabbedRow.top + tabbedRow.bottom) / 2));
}

}  // namespace
