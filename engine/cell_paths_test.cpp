// Paths between cells along precedents and dependents, with the search's progress and Stop.
#include "engine/cell_paths.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "spreadsheet/model/cell_value.h"
#include "tests/support/attached_container.h"
#include "tests/support/cell_places.h"
#include "tests/support/recording_progress.h"
#include "tests/support/spreadsheet_session.h"

namespace {

using test_support::At;
using test_support::Rect;
using test_support::Single;

class CellPaths : public testing::Test {
 protected:
  // Every search offers Stop.
  void TearDown() override { EXPECT_EQ(progress_.begun, progress_.begunWithStop); }

  void Formula(int32_t column, int32_t row, const wchar_t* text) {
    session_.book->Sheet(1).SetFormula({row, column}, text);
  }
  std::unique_ptr<CDependencyContainer> Attach() {
    session_.app->Calculator().InvalidateAll(*session_.book);
    session_.app->Calculator().Calculate(false);
    auto container = test_support::AttachContainer(session_);
    container->SetProgress(&progress_);
    return container;
  }
  // The index as the collection fills it for A1 -> A2 -> ... -> A(length) on sheet 1.
  static void FillChainIndex(CDependencyContainer& container, int32_t length) {
    for (int32_t row = 1; row <= length; ++row) {
      auto references = std::make_shared<std::vector<CellReference>>();
      if (row < length) references->push_back(Single(At(1, 1, row + 1)));
      container.Formulas().Add(At(1, 1, row), std::move(references));
    }
    container.Formulas().MarkAllCollected();
  }

  test_support::CSpreadsheetSession session_;
  // Every message after a search's opening one; Stop is pressed when `stopAt_` comes up.
  std::vector<std::wstring> messages_;
  std::wstring stopAt_;
  test_support::CRecordingProgress progress_{
      [this](const std::wstring&, const std::wstring& message) {
        messages_.push_back(message);
        return message == stopAt_;
      }};
};

void ExpectPath(const std::vector<CellPos>& expected, const std::vector<CellReference>& path) {
  ASSERT_EQ(expected.size(), path.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(expected[i], path[i].first) << "item " << i;
    EXPECT_EQ(expected[i], path[i].last) << "item " << i;
    EXPECT_EQ(0u, path[i].flags);
    EXPECT_EQ(0, path[i].nameId);
    EXPECT_TRUE(path[i].text.empty());
  }
}

TEST_F(CellPaths, FollowsTheWindowsRelation) {
  Formula(1, 1, L"=B1+C1");
  Formula(3, 1, L"=D1");
  Formula(3, 5, L"=SUM(A1:B2)");
  session_.book->AddSheet(L"Second");
  session_.book->AddSheet(L"Third");
  session_.book->AddName({L"Rate", L"=Third!$B$2*12", 0, false});
  Formula(5, 1, L"=Rate*2");
  Formula(6, 1, L"=SUM(Sheet1:Third!G1)");
  for (int32_t sheet = 1; sheet <= 3; ++sheet) {
    session_.book->Sheet(sheet).SetValue({1, 7}, spreadsheet::CellValue::Number(sheet));
  }
  session_.book->Sheet(3).SetValue({2, 2}, spreadsheet::CellValue::Number(4));
  const auto container = Attach();
  struct Case {
    const char* name;
    CellReference from;
    CellReference to;
    TraceKind kind;
    std::vector<CellPos> path;
  };
  const std::vector<Case> cases = {
      {"precedents",
       Single(At(1, 1, 1)),
       Single(At(1, 4, 1)),
       TraceKind::kPrecedents,
       {At(1, 1, 1), At(1, 3, 1), At(1, 4, 1)}},
      {"dependents, searched backwards",
       Single(At(1, 4, 1)),
       Single(At(1, 1, 1)),
       TraceKind::kDependents,
       {At(1, 4, 1), At(1, 3, 1), At(1, 1, 1)}},
      {"a precedent range ends at its first cell inside the target",
       Single(At(1, 3, 5)),
       Rect(At(1, 2, 1), At(1, 2, 10)),
       TraceKind::kPrecedents,
       {At(1, 3, 5), At(1, 2, 1)}},
      {"through a name whose definition is a formula",
       Single(At(1, 5, 1)),
       Single(At(3, 2, 2)),
       TraceKind::kPrecedents,
       {At(1, 5, 1), At(3, 2, 2)}},
      {"inputs of a 3-D reference on its last sheet",
       Single(At(1, 6, 1)),
       Single(At(3, 7, 1)),
       TraceKind::kInputs,
       {At(1, 6, 1), At(3, 7, 1)}},
      {"a root range is searched cell by cell",
       Rect(At(1, 3, 4), At(1, 3, 5)),
       Single(At(1, 4, 1)),
       TraceKind::kPrecedents,
       {At(1, 3, 5), At(1, 1, 1), At(1, 3, 1), At(1, 4, 1)}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    std::vector<CellReference> path{Single(At(1, 9, 9))};
    ASSERT_TRUE(FindPath(*container, test.from, test.to, test.kind, &path));
    ExpectPath(test.path, path);
  }
  ASSERT_FALSE(progress_.titles.empty());
  EXPECT_EQ(L"Trelvane - searching ...", progress_.titles[0]);
  EXPECT_EQ(L"Cells processed: 0", progress_.messages[0]);
}

TEST_F(CellPaths, NoPathAfterVisitingEveryReachableCellOnce) {
  Formula(1, 1, L"=B1");
  Formula(2, 1, L"=A1+C1");
  Formula(3, 1, L"=D1+D2");
  const auto container = Attach();
  std::vector<CellReference> path;
  long processed = 0;
  EXPECT_FALSE(FindPath(*container, Single(At(1, 1, 1)), Single(At(1, 26, 99)),
                        TraceKind::kPrecedents, &path, &processed));
  EXPECT_TRUE(path.empty());
  EXPECT_EQ(5, processed) << "A1, B1, C1, D1 and D2, the circle closed once";
}

TEST_F(CellPaths, LongChainsAndStop) {
  constexpr int32_t kLength = 30000;
  const auto container = Attach();
  FillChainIndex(*container, kLength);
  std::vector<CellReference> path;
  long processed = 0;
  ASSERT_TRUE(FindPath(*container, Single(At(1, 1, 1)), Single(At(1, 1, kLength)),
                       TraceKind::kPrecedents, &path, &processed));
  ASSERT_EQ(static_cast<size_t>(kLength), path.size());
  for (int32_t row = 1; row <= kLength; ++row) {
    ASSERT_EQ(At(1, 1, row), path[static_cast<size_t>(row - 1)].first);
  }
  EXPECT_EQ(kLength - 1, processed) << "the last cell is seen by the look-ahead";
  ASSERT_FALSE(messages_.empty());
  EXPECT_EQ(L"Cells processed: 50", messages_.front());
  EXPECT_EQ(L"Cells processed: 29950", messages_.back());

  ASSERT_TRUE(FindPath(*container, Single(At(1, 1, kLength)), Single(At(1, 1, 1)),
                       TraceKind::kDependents, &path));
  EXPECT_EQ(static_cast<size_t>(kLength), path.size());
  EXPECT_EQ(At(1, 1, kLength), path.front().first);

  stopAt_ = L"Cells processed: 100";
  EXPECT_FALSE(FindPath(*container, Single(At(1, 1, 1)), Single(At(1, 1, kLength)),
                        TraceKind::kPrecedents, &path, &processed));
  EXPECT_TRUE(path.empty());
  EXPECT_EQ(100, processed);
}

}  // namespace
