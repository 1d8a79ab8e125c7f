// Trace filling on the column tree's tree control gives the same tree as on the in-memory tree:
// texts asked for through the owner, placeholders, images and order, level by level.
#include "views/win32/tree_view_structure.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "formula/reference_functions.h"
#include "spreadsheet/model/cell_value.h"
#include "tests/support/attached_container.h"
#include "tests/support/spreadsheet_session.h"
#include "views/trace_filler.h"
#include "views/trace_tree.h"
#include "views/win32/column_tree_ctrl.h"
#include "views/win32/column_tree_test_host.h"

namespace {

using column_tree_test::CTestHost;
using column_tree_test::Pump;
using spreadsheet::CellValue;

// The text buffer the tree offers its owner.
constexpr size_t kCompareBuffer = 1000;

CellReference CellAt(int32_t column, int32_t row) {
  CellReference reference;
  reference.first = CellPos{1, column, row};
  reference.last = reference.first;
  return reference;
}

class TreeViewStructure : public testing::Test {
 protected:
  TreeViewStructure() {
    // A1 = B1 + C1 + SUM(E1:E2); B1 = D1 * 2; E2 = D1 + 1; a few constants.
    Formula(1, 1, L"=B1+C1+SUM(E1:E2)");
    Formula(2, 1, L"=D1*2");
    Number(3, 1, 4);
    Number(4, 1, 5);
    Number(5, 1, 1);
    Formula(5, 2, L"=D1+1");
  }
  ~TreeViewStructure() override { ReferenceFunctions::Clear(); }

  void Formula(int32_t column, int32_t row, const wchar_t* text) {
    session_.book->Sheet(1).SetFormula({row, column}, text);
  }
  void Number(int32_t column, int32_t row, double value) {
    session_.book->Sheet(1).SetValue({row, column}, CellValue::Number(value));
  }

  // Both trees filled from the same root, the window's through its owner's notifications.
  void Open(const CellReference& root, TraceKind kind) {
    session_.app->Calculator().InvalidateAll(*session_.book);
    session_.app->Calculate();
    container_ = test_support::AttachContainer(session_);
    ASSERT_TRUE(host_.Open(400, 200));
    ASSERT_TRUE(columns_.Attach(host_.Static()));
    for (int i = 0; i < 4; ++i) columns_.InsertColumn(i, L"C", 0, 90);
    window_ = std::make_unique<CTreeViewStructure>(columns_);
    memoryFiller_ = std::make_unique<CTraceFiller>(*container_, memory_);
    windowFiller_ = std::make_unique<CTraceFiller>(*container_, *window_);
    memory_.SetExpandingHandler([this](TreeItem item) { memoryFiller_->ExpandOnDemand(item); });
    host_.expanding = [this](HTREEITEM item) {
      windowFiller_->ExpandOnDemand(CTreeViewStructure::ItemOf(item));
    };
    host_.textOf = [this](HTREEITEM item, int size) {
      return windowFiller_->ItemText(CTreeViewStructure::ItemOf(item), static_cast<size_t>(size));
    };
    memoryFiller_->SetRoot(root, kind);
    windowFiller_->SetRoot(root, kind);
    memoryFiller_->Fill();
    windowFiller_->Fill();
  }

  int32_t WindowImage(TreeItem item) const {
    TVITEMW data{};
    data.mask = TVIF_IMAGE;
    data.hItem = CTreeViewStructure::Handle(item);
    ::SendMessageW(columns_.TreeHwnd(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    return data.iImage;
  }

  // Walks both trees together, opening every item that waits behind a placeholder (up to
  // `depthLimit` levels), and compares each pair of items.
  void ExpectSameTrees(int depthLimit) {
    struct Pair {
      TreeItem memory;
      TreeItem window;
      int depth;
    };
    std::vector<Pair> work{{memory_.Root(), window_->Root(), 0}};
    int compared = 0;
    while (!work.empty()) {
      const Pair pair = work.back();
      work.pop_back();
      TreeItem m = memory_.FirstChild(pair.memory);
      TreeItem w = window_->FirstChild(pair.window);
      std::vector<Pair> below;
      for (; m != kNoItem && w != kNoItem;
           m = memory_.NextSibling(m), w = window_->NextSibling(w)) {
        ++compared;
        SCOPED_TRACE(testing::Message() << "item " << compared);
        EXPECT_EQ(pair.window, window_->Parent(w));
        const std::optional<std::wstring> memoryText = memory_.Text(m);
        const std::optional<std::wstring> windowText = window_->Text(w);
        if (memoryText) {
          // Placeholders carry their text from the start.
          EXPECT_EQ(std::wstring(kNotReadyText), *memoryText);
          EXPECT_EQ(memoryText, windowText);
          continue;
        }
        // The window may have asked for the text already, to paint the item.
        if (windowText) {
          EXPECT_EQ(memoryFiller_->ItemText(m, kCompareBuffer), *windowText);
        }
        EXPECT_EQ(memory_.Image(m), WindowImage(w));
        // The window's text comes through the owner's answer, and is then fixed on the item.
        const std::wstring shown = columns_.ItemText(CTreeViewStructure::Handle(w));
        EXPECT_EQ(memoryFiller_->ItemText(m, kCompareBuffer), shown);
        EXPECT_EQ(shown, window_->Text(w).value_or(L"(deferred)"));
        if (pair.depth < depthLimit) {
          memory_.Expand(m);
          window_->Expand(w);
          below.push_back({m, w, pair.depth + 1});
        }
      }
      EXPECT_EQ(kNoItem, m);
      EXPECT_EQ(kNoItem, w);
      work.insert(work.end(), below.rbegin(), below.rend());
    }
    EXPECT_GT(compared, 1);
  }

  test_support::CSpreadsheetSession session_;
  std::unique_ptr<CDependencyContainer> container_;
  CTestHost host_;
  CColumnTreeCtrl columns_;
  CTraceTree memory_;
  std::unique_ptr<CTreeViewStructure> window_;
  std::unique_ptr<CTraceFiller> memoryFiller_;
  std::unique_ptr<CTraceFiller> windowFiller_;
};

TEST_F(TreeViewStructure, PrecedentsMatchTheInMemoryTreeLevelByLevel) {
  Open(CellAt(1, 1), TraceKind::kPrecedents);
  ExpectSameTrees(4);
  Pump();
}

TEST_F(TreeViewStructure, DependentsMatchToo) {
  Open(CellAt(4, 1), TraceKind::kDependents);
  ExpectSameTrees(4);
}

TEST_F(TreeViewStructure, FlatCalculationChainMatches) {
  Open(CellAt(1, 1), TraceKind::kCalculationChain);
  ExpectSameTrees(0);
}

TEST_F(TreeViewStructure, RefreshStartsOverAndSelectionAndDeletionFollowTheTree) {
  Open(CellAt(1, 1), TraceKind::kPrecedents);
  const TreeItem top = window_->FirstChild(window_->Root());
  ASSERT_NE(kNoItem, top);
  EXPECT_EQ(window_->Root(), window_->Parent(top));
  EXPECT_EQ(kNoItem, window_->Parent(window_->Root()));
  window_->Select(top);
  EXPECT_EQ(top, window_->Selected());
  TreeItem lastBefore = kNoItem;
  for (TreeItem c = window_->FirstChild(top); c != kNoItem; c = window_->NextSibling(c)) {
    lastBefore = c;
  }
  ASSERT_NE(kNoItem, lastBefore);
  // A text set at insertion is there at once; a deferred one is not until the owner answers.
  const TreeItem fixed = window_->InsertChild(top, kImageCell, std::wstring(L"X1\tSheet1\t\t"));
  EXPECT_EQ(L"X1\tSheet1\t\t", window_->Text(fixed).value_or(L""));
  // Under a closed item, so that nothing needs its text yet.
  const TreeItem deferred = window_->InsertChild(fixed, kImageCell, std::nullopt);
  EXPECT_FALSE(window_->Text(deferred).has_value());
  window_->SetText(deferred, L"Y1");
  EXPECT_EQ(L"Y1", window_->Text(deferred).value_or(L""));
  window_->DeleteItem(fixed);
  // Its subtree went with it: the last child of the top is the filler's again.
  TreeItem last = kNoItem;
  for (TreeItem c = window_->FirstChild(top); c != kNoItem; c = window_->NextSibling(c)) last = c;
  EXPECT_EQ(lastBefore, last);

  Number(3, 1, 6);
  memoryFiller_->Refresh();
  windowFiller_->Refresh();
  ExpectSameTrees(2);
}

}  // namespace
