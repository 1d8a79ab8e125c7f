// Saving branches and paths against workbooks of the embedded spreadsheet: the file and sheet
// layouts, circles, flat lists, Stop, long chains, the evaluation tree, the bytes written and the
// clipboard route.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "container/name_definitions.h"
#include "engine/related.h"
#include "export/branch_address.h"
#include "export/branch_saving_manager.h"
#include "export/branch_storage_file.h"
#include "export/branch_storage_sheet.h"
#include "export/clipboard_route.h"
#include "export/path_writer.h"
#include "spreadsheet/model/cell_value.h"
#include "tests/support/attached_container.h"
#include "tests/support/deep_chain.h"
#include "tests/support/spreadsheet_session.h"
#include "views/progress_display.h"
#include "views/progress_window.h"

namespace {

using spreadsheet::CellValue;
using spreadsheet::ValueKind;

CellReference Entry(const CellPos& first, const CellPos& last) {
  CellReference reference;
  reference.first = first;
  reference.last = last;
  return reference;
}
CellReference Entry(const CellPos& cell) {
  return Entry(cell, cell);
}

// A folder of its own under the temporary folder, removed with what it holds.
class CScratchFolder {
 public:
  CScratchFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("trelvane-branch-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~CScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  CScratchFolder(const CScratchFolder&) = delete;
  CScratchFolder& operator=(const CScratchFolder&) = delete;
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The lines of saved text, split at CRLF; a lone CR or LF stays in its line.
std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t begin = 0;
  for (size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", begin)) {
    lines.push_back(bytes.substr(begin, at - begin));
    begin = at + 2;
  }
  if (begin < bytes.size()) lines.push_back(bytes.substr(begin));
  return lines;
}

size_t Indent(const std::string& line) {
  return line.find_first_not_of(' ');
}

// Presses Stop when a chosen message is shown.
class CStoppingDisplay final : public IProgressDisplay {
 public:
  CStoppingDisplay(std::shared_ptr<std::vector<std::wstring>> log, std::wstring stopAt)
      : log_(std::move(log)), stopAt_(std::move(stopAt)) {}
  bool Show(const std::wstring& title, const std::wstring&, bool) override {
    log_->push_back(title);
    return true;
  }
  void SetMessage(const std::wstring& message) override {
    log_->push_back(message);
    if (message == stopAt_) ProgressWindow::PressStop();
  }
  void Close() override {}

 private:
  std::shared_ptr<std::vector<std::wstring>> log_;
  std::wstring stopAt_;
};

// Counts lines and keeps the deepest, for walks too deep to keep as indented text.
class CCountingStorage final : public CBranchStorage {
 public:
  bool Open() override { return true; }
  void Close() override { ++closed; }
  void WriteRange(const CellPos&, const CellPos&, const std::wstring&, std::uint32_t d,
                  bool above) override {
    Count(d, above);
  }
  void WriteCell(const CellPos& cell, const std::wstring&, const std::wstring&, const std::wstring&,
                 std::uint32_t d, bool above) override {
    Count(d, above);
    last = cell;
  }
  void WriteExpression(const std::wstring&, const std::wstring&, std::uint32_t d) override {
    Count(d);
  }
  void WriteText(const std::wstring&, std::uint32_t d) override { Count(d); }
  void WriteName(const std::wstring&, const std::wstring&, std::uint32_t d, bool above) override {
    Count(d, above);
  }

  size_t lines = 0;
  size_t markedAbove = 0;
  std::uint32_t deepest = 0;
  CellPos last;
  int closed = 0;

 private:
  void Count(std::uint32_t depth, bool above = false) {
    ++lines;
    if (above) ++markedAbove;
    if (depth > deepest) deepest = depth;
  }
};

class BranchSaving : public testing::Test {
 protected:
  spreadsheet::CWorksheet& Sheet(int32_t index = 1) { return session_.book->Sheet(index); }
  void Formula(int32_t column, int32_t row, const wchar_t* text, int32_t sheet = 1) {
    Sheet(sheet).SetFormula({row, column}, text);
  }
  void Number(int32_t column, int32_t row, double value, int32_t sheet = 1) {
    Sheet(sheet).SetValue({row, column}, CellValue::Number(value));
  }
  // Calculates as Excel keeps a workbook, then attaches a container.
  CDependencyContainer& Attach(bool calculate = true) {
    if (calculate) {
      session_.app->Calculator().InvalidateAll(*session_.book);
      session_.app->Calculate();
    }
    container_ = test_support::AttachContainer(session_);
    container_->SetProgress(&progress_);
    return *container_;
  }

  void Save(CBranchStorage& storage, const CellReference& root, TraceKind kind,
            bool skipRoot = false) {
    CBranchSavingManager manager;
    manager.SetKind(kind);
    manager.SetStorage(&storage);
    manager.SetContainer(container_.get());
    manager.SetRoot(root, skipRoot);
    manager.Save();
  }
  // The branch saved to a file, as its lines.
  std::vector<std::string> SaveToFile(const CellReference& root, TraceKind kind,
                                      bool skipRoot = false) {
    CBranchStorageFile storage;
    storage.SetPath(folder_ / "branch.txt");
    storage.SetContainer(container_.get());
    Save(storage, root, kind, skipRoot);
    return Lines(ReadBytes(folder_ / "branch.txt"));
  }
  // The branch saved to a new sheet; the sheet's index, 0 when none was added.
  int32_t SaveToSheet(const CellReference& root, TraceKind kind, bool skipRoot = false) {
    const int32_t before = session_.book->SheetCount();
    {
      CBranchStorageSheet storage;
      storage.SetContainer(container_.get());
      Save(storage, root, kind, skipRoot);
    }
    return session_.book->SheetCount() > before ? session_.book->SheetCount() : 0;
  }
  std::wstring TextAt(int32_t sheet, int32_t column, int32_t row) {
    const CellValue value = Sheet(sheet).Value({row, column});
    return value.Kind() == ValueKind::Text ? value.AsText() : L"<not text>";
  }

  test_support::CSpreadsheetSession session_;
  // The progress of the container's operations, shown on displays_ when a test sets them.
  ProgressDisplayFactory displays_;
  ProgressWindow progress_{[this] { return displays_ ? displays_() : nullptr; }};
  std::unique_ptr<CDependencyContainer> container_;
  CScratchFolder folder_;
};

// ---------------------------------------------------------------------------------------------
// Address text.

TEST(BranchAddress, QuotesOnlyACellsSheetAndOnlyForSpaceBangOrAmpersand) {
  struct Case {
    CellPos first;
    CellPos last;
    const wchar_t* sheet;
    const wchar_t* text;
  };
  const Case cases[] = {
      {{1, 2, 3}, {1, 2, 3}, L"My Sheet", L"'My Sheet'!B3"},
      {{1, 2, 3}, {1, 2, 3}, L"R&D", L"'R&D'!B3"},
      {{1, 2, 3}, {1, 2, 3}, L"Wow!", L"'Wow!'!B3"},
      {{1, 2, 3}, {1, 2, 3}, L"It's", L"It's!B3"},  // not quoted, not doubled
      {{1, 2, 3}, {1, 2, 3}, L"2024", L"2024!B3"},  // digits alone need nothing here
      {{1, 28, 10}, {1, 28, 10}, L"Data", L"Data!AB10"},
      {{1, 2, 3}, {1, 2, 3}, L"", L"B3"},
      {{1, 2, 3}, {1, 3, 4}, L"My Sheet", L"My Sheet!B3:C4"},  // rectangles never quoted
      {{1, 1, 1}, {1, 3, 65536}, L"My Sheet", L"A:C"},
      {{1, 1, 4}, {1, 256, 6}, L"My Sheet", L"$4:$6"},
      {{1, 1, 1}, {1, 256, 65536}, L"Data", L"A:IV"},
      {{1, 2, 1}, {1, 2, 1048576}, L"Data", L"Data!B1:B1048576"},  // not the 65536 bound
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.text, BranchAddress(c.first, c.last, c.sheet)) << c.text;
  }
}

TEST(BranchAddress, A3DRectangleNamesItsSpanOfSheetsAndACellOnEachOnce) {
  struct Case {
    CellPos first;
    CellPos last;
    const wchar_t* sheets;
    const wchar_t* text;
  };
  const Case cases[] = {
      {{1, 2, 3}, {3, 2, 3}, L"Sheet1:Sheet3", L"Sheet1:Sheet3!B3"},
      {{1, 2, 3}, {3, 4, 5}, L"My Sheet:Other", L"My Sheet:Other!B3:D5"},
      {{1, 1, 1}, {3, 3, 65536}, L"Sheet1:Sheet3", L"A:C"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.text, BranchAddress(c.first, c.last, c.sheets)) << c.text;
  }
}

// ---------------------------------------------------------------------------------------------
// The walk, in the file layout.

TEST_F(BranchSaving, ChainIsIndentedOneSpacePerLevel) {
  Formula(1, 1, L"=B1+1");
  Formula(2, 1, L"=C1*2");
  Number(3, 1, 4);
  Attach();
  const std::vector<std::string> lines = SaveToFile(Entry({1, 1, 1}), TraceKind::kPrecedents);
  const std::vector<std::string> expected = {"Sheet1!A1 =B1+1 9", " Sheet1!B1 =C1*2 8",
                                             "  Sheet1!C1 4"};
  EXPECT_EQ(expected, lines);
}

TEST_F(BranchSaving, CircleIsWrittenOnceRoundAndEndsAtTheRepeatedCell) {
  Formula(1, 1, L"=B1");
  Formula(2, 1, L"=A1");
  Attach(false);
  const std::vector<std::string> lines = SaveToFile(Entry({1, 1, 1}), TraceKind::kPrecedents);
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ("Sheet1!A1 =B1", lines[0].substr(0, 13));
  EXPECT_EQ(" Sheet1!B1 =A1", lines[1].substr(0, 14));
  EXPECT_EQ("  Sheet1!A1 =B1", lines[2].substr(0, 15));
}

TEST_F(BranchSaving, CellMetOnTwoBranchesIsExpandedOnTheFirstAndMarkedOnTheSecond) {
  // D1 is shared: its branch is written under B1 and only its line, marked, under C1. F1 has no
  // branch to repeat and is simply listed twice, as the trace tree lists it.
  Formula(1, 1, L"=B1+C1");
  Formula(2, 1, L"=D1+F1");
  Formula(3, 1, L"=D1*F1");
  Formula(4, 1, L"=E1*2");
  Number(5, 1, 1);
  Number(6, 1, 3);
  Attach();
  const std::vector<std::string> lines = SaveToFile(Entry({1, 1, 1}), TraceKind::kPrecedents);
  const std::vector<std::string> expected = {
      "Sheet1!A1 =B1+C1 11",
      " Sheet1!B1 =D1+F1 5",
      "  Sheet1!D1 =E1*2 2",
      "   Sheet1!E1 1",
      "  Sheet1!F1 3",
      " Sheet1!C1 =D1*F1 6",
      "  Sheet1!D1 (expanded above) =E1*2 2",
      "  Sheet1!F1 3",
  };
  EXPECT_EQ(expected, lines);

  // The worksheet marks the same line in its Cell column; the formula and value keep theirs.
  const int32_t added = SaveToSheet(Entry({1, 1, 1}), TraceKind::kPrecedents);
  ASSERT_NE(0, added);
  EXPECT_EQ(L"Sheet1!D1", TextAt(added, 5, 5));
  EXPECT_EQ(L"Sheet1!D1 (expanded above)", TextAt(added, 5, 9));
  EXPECT_EQ(L"E1*2", TextAt(added, 6, 9));
  EXPECT_EQ(CellValue::Number(2), Sheet(added).Value({9, 7}));
  EXPECT_EQ(L"Sheet1!F1", TextAt(added, 5, 10));
  EXPECT_EQ(10, Sheet(added).UsedRange()->last.row);
}

TEST_F(BranchSaving, ARectangleMetAgainIsMarkedAndItsCellsAreNotWrittenAgain) {
  Formula(1, 1, L"=SUM(B1:B2)+C1");
  Formula(3, 1, L"=SUM(B1:B2)");
  Formula(4, 1, L"=SUM(B1:B2)+C1+B1");
  Number(2, 1, 1);
  Number(2, 2, 2);
  Attach();
  const std::vector<std::string> lines = SaveToFile(Entry({1, 1, 1}), TraceKind::kPrecedents);
  const std::vector<std::string> expected = {
      "Sheet1!A1 =SUM(B1:B2)+C1 6",
      " Sheet1!B1:B2",
      "  Sheet1!B1 1",
      "  Sheet1!B2 2",
      " Sheet1!C1 =SUM(B1:B2) 3",
      "  Sheet1!B1:B2 (expanded above)",
  };
  EXPECT_EQ(expected, lines);

  // On the worksheet the marked rectangle keeps its empty row before it and, having no cells to
  // share its row with, a row of its own.
  const int32_t added = SaveToSheet(Entry({1, 4, 1}), TraceKind::kPrecedents);
  ASSERT_NE(0, added);
  EXPECT_EQ(L"Sheet1!B1:B2", TextAt(added, 4, 5));
  EXPECT_EQ(L"Sheet1!B2", TextAt(added, 5, 6));
  EXPECT_EQ(L"Sheet1!C1", TextAt(added, 4, 7));
  EXPECT_TRUE(Sheet(added).Value({8, 5}).IsEmpty());
  EXPECT_EQ(L"Sheet1!B1:B2 (expanded above)", TextAt(added, 5, 9));
  EXPECT_EQ(L"Sheet1!B1", TextAt(added, 4, 10));
  EXPECT_EQ(10, Sheet(added).UsedRange()->last.row);
}

TEST_F(BranchSaving, ALatticeIsWrittenInLinesProportionalToItsCells) {
  // Each layer's two cells read both cells of the layer above: 2^kLayers paths from A1, and
  // 2 * kLayers + 1 cells. Every cell of a layer is met once from each cell of the layer above.
  constexpr int32_t kLayers = 16;
  Number(1, 1, 1);
  Number(2, 1, 2);
  for (int32_t row = 2; row <= kLayers + 1; ++row) {
    const std::wstring above = std::to_wstring(row - 1);
    Formula(1, row, (L"=A" + above + L"+B" + above).c_str());
    Formula(2, row, (L"=A" + above + L"-B" + above).c_str());
  }
  Attach();
  CCountingStorage counted;
  Save(counted, Entry({1, 1, 1}), TraceKind::kDependents);
  // Written in full: A1 and every cell below it once. Marked: the second meeting of each cell
  // that has dependents of its own (layers 3 to kLayers). The last layer is listed twice.
  const size_t cells = 2 * kLayers + 1;
  const size_t marked = 2 * (kLayers - 2);
  EXPECT_EQ(marked, counted.markedAbove);
  EXPECT_EQ(cells + marked + 2, counted.lines);
  EXPECT_EQ(static_cast<std::uint32_t>(kLayers), counted.deepest);

  // The evaluation tree keeps to the same rule: from the last layer's A, each formula cell is
  // written in full once (its line, its expression, two cells and the operator between them).
  CCountingStorage evaluated;
  Save(evaluated, Entry({1, 1, kLayers + 1}), TraceKind::kEvaluateFormula);
  const size_t formulas = 2 * (kLayers - 1) + 1;
  EXPECT_EQ(marked, evaluated.markedAbove);
  EXPECT_EQ(1 + 4 * formulas, evaluated.lines);
}

TEST_F(BranchSaving, RectangleLineIsFollowedByItsCellsOneLevelDeeper) {
  Formula(1, 1, L"=SUM(B1:C2)");
  Number(2, 1, 1);
  Number(3, 1, 2);
  Number(2, 2, 3);
  Formula(3, 2, L"=D5");
  Number(4, 5, 4);
  Attach();
  const std::vector<std::string> lines = SaveToFile(Entry({1, 1, 1}), TraceKind::kPrecedents);
  const std::vector<std::string> expected = {"Sheet1!A1 =SUM(B1:C2) 10",
                                             " Sheet1!B1:C2",
                                             "  Sheet1!B1 1",
                                             "  Sheet1!C1 2",
                                             "  Sheet1!B2 3",
                                             "  Sheet1!C2 =D5 4",
                                             "   Sheet1!D5 4"};
  EXPECT_EQ(expected, lines);
}

TEST_F(BranchSaving, WholeColumnIsWalkedOverTheUsedCellsOnly) {
  Formula(1, 1, L"=SUM(B:B)");
  Number(2, 2, 1);
  Number(2, 3, 2);
  Attach();
  const std::vector<std::string> lines = SaveToFile(Entry({1, 1, 1}), TraceKind::kPrecedents);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(" B:B", lines[1]);
  // The used range is A1:B3: rows 1 to 3 of column B.
  const std::vector<std::string> cells(lines.begin() + 2, lines.end());
  const std::vector<std::string> expected = {"  Sheet1!B1", "  Sheet1!B2 1", "  Sheet1!B3 2"};
  EXPECT_EQ(expected, cells);
}

TEST_F(BranchSaving, DefinedNamesLabelTheirCellsAndRectangles) {
  Formula(1, 1, L"=SUM(Data)+Rate");
  Number(2, 1, 1);
  Number(2, 2, 2);
  Number(3, 1, 5);
  const CComPtr<IDispatch> names = test_support::GetObjectOf(session_.Workbook().Get(), L"Names");
  ASSERT_EQ(S_OK, test_support::Call(
                      names.Get(), L"Add",
                      {test_support::Arg(L"Data"), test_support::Arg(L"=Sheet1!$B$1:$B$2")})
                      .hr);
  ASSERT_EQ(S_OK,
            test_support::Call(names.Get(), L"Add",
                               {test_support::Arg(L"Rate"), test_support::Arg(L"=Sheet1!$C$1")})
                .hr);
  Attach();
  const std::vector<std::string> lines = SaveToFile(Entry({1, 1, 1}), TraceKind::kPrecedents);
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(" Data (Sheet1!B1:B2)", lines[1]);
  EXPECT_EQ("  Sheet1!B1 1", lines[2]);
  EXPECT_EQ(" Rate (Sheet1!C1) 5", lines.back());
}

TEST_F(BranchSaving, FormulaNamesAreWrittenByNameAndOpenIntoTheirDefinitionOnce) {
  session_.book->AddName({L"Rate", L"=j*3", 0, false});
  session_.book->AddName({L"j", L"=Sheet1!$B$1*2", 0, false});
  session_.book->AddName({L"c", L"=0.2", 0, false});
  Number(2, 1, 2);
  Formula(1, 5, L"=Rate+j+c");
  Attach();
  // Every such name has the same empty corners; j is told apart from Rate by its id, opened
  // under Rate and marked where A5 reads it directly. The constant is a leaf.
  const std::vector<std::string> lines = SaveToFile(Entry({1, 1, 5}), TraceKind::kPrecedents);
  const std::vector<std::string> expected = {
      "Sheet1!A5 =Rate+j+c 16.2",           " Rate =j*3", "  j =Sheet1!$B$1*2", "   Sheet1!B1 2",
      " j (expanded above) =Sheet1!$B$1*2", " c =0.2",
  };
  EXPECT_EQ(expected, lines);

  // On the worksheet the definition stays text in the Value column.
  const int32_t added = SaveToSheet(Entry({1, 1, 5}), TraceKind::kPrecedents);
  ASSERT_NE(0, added);
  EXPECT_EQ(L"Rate", TextAt(added, 4, 4));
  EXPECT_EQ(L"=j*3", TextAt(added, 5, 4));
  EXPECT_EQ(L"j (expanded above)", TextAt(added, 4, 7));
  EXPECT_EQ(L"c", TextAt(added, 4, 8));
  EXPECT_EQ(L"=0.2", TextAt(added, 5, 8));

  // A path through the names names them too.
  const SharedReferenceList top = ListRelated(*container_, {1, 1, 5}, TraceKind::kPrecedents);
  ASSERT_TRUE(top && !top->empty());
  const CellReference rate = top->front();
  const SharedReferenceList definition = NameReferencesOf(*container_, rate.nameId);
  ASSERT_EQ(1u, definition->size());
  CBranchStorageFile storage;
  storage.SetContainer(container_.get());
  storage.SetPath(folder_ / "path.txt");
  SavePath(storage, *container_, {Entry({1, 1, 5}), rate, definition->front(), Entry({1, 2, 1})});
  const std::vector<std::string> path = {"Sheet1!A5 =Rate+j+c 16.2", "Rate =j*3",
                                         "j =Sheet1!$B$1*2", "Sheet1!B1 2"};
  EXPECT_EQ(path, Lines(ReadBytes(folder_ / "path.txt")));
}

TEST_F(BranchSaving, A3DRangeIsNamedOverItsSheetsAndWalkedOverEachSheetsUsedRange) {
  session_.book->AddSheet(L"Sheet2");
  session_.book->AddSheet(L"Sheet3");
  for (int32_t sheet = 1; sheet <= 3; ++sheet) Number(1, 1, 10 * sheet, sheet);
  Number(3, 1, 1);
  Number(3, 2, 2);
  for (int32_t row = 1; row <= 4; ++row) Number(3, row, 2 + row, 2);
  Number(3, 1, 7, 3);
  Formula(4, 1, L"=SUM(Sheet1:Sheet3!C:C,Sheet1:Sheet3!A1)");
  Attach();
  // Column C has two used rows on Sheet1, four on Sheet2 and one on Sheet3.
  const std::vector<std::string> lines = SaveToFile(Entry({1, 4, 1}), TraceKind::kPrecedents);
  const std::vector<std::string> expected = {
      "Sheet1!D1 =SUM(Sheet1:Sheet3!C:C,Sheet1:Sheet3!A1) 88",
      " C:C",
      "  Sheet1!C1 1",
      "  Sheet1!C2 2",
      "  Sheet2!C1 3",
      "  Sheet2!C2 4",
      "  Sheet2!C3 5",
      "  Sheet2!C4 6",
      "  Sheet3!C1 7",
      " Sheet1:Sheet3!A1",
      "  Sheet1!A1 10",
      "  Sheet2!A1 20",
      "  Sheet3!A1 30",
  };
  EXPECT_EQ(expected, lines);

  CBranchStorageFile storage;
  storage.SetContainer(container_.get());
  storage.SetPath(folder_ / "path.txt");
  SavePath(storage, *container_, {Entry({1, 4, 1}), Entry({1, 1, 1}, {3, 1, 1}), Entry({3, 1, 1})});
  const std::vector<std::string> path = {expected[0], "Sheet1:Sheet3!A1", "Sheet3!A1 30"};
  EXPECT_EQ(path, Lines(ReadBytes(folder_ / "path.txt")));
}

TEST_F(BranchSaving, ErrorCellListIsWrittenAtDepthOneWithoutItsRoot) {
  Formula(2, 1, L"=1/0");
  Number(1, 1, 1);
  Formula(3, 2, L"=NA()");
  Attach();
  const std::vector<std::string> lines = SaveToFile(Entry({0, 0, 0}), TraceKind::kErrorCells, true);
  const std::vector<std::string> expected = {" Sheet1!B1 =1/0 #DIV/0!", " Sheet1!C2 =NA() #N/A"};
  EXPECT_EQ(expected, lines);

  const int32_t added = SaveToSheet(Entry({0, 0, 0}), TraceKind::kErrorCells, true);
  ASSERT_NE(0, added);
  EXPECT_EQ(L"Sheet1!B1", TextAt(added, 4, 3));
  EXPECT_EQ(L"Sheet1!C2", TextAt(added, 4, 4));
  EXPECT_TRUE(Sheet(added).Value({3, 3}).IsEmpty());
}

TEST_F(BranchSaving, NothingIsWrittenWithoutKindOrWhenTheStorageCannotOpen) {
  Formula(1, 1, L"=B1");
  Attach();
  CCountingStorage counted;
  CBranchSavingManager manager;
  manager.SetStorage(&counted);
  manager.SetContainer(container_.get());
  manager.SetRoot(Entry({1, 1, 1}));
  manager.Save();
  EXPECT_EQ(0u, counted.lines);
  EXPECT_EQ(0, counted.closed);

  CBranchStorageFile nowhere;
  nowhere.SetContainer(container_.get());
  nowhere.SetPath(folder_ / "missing" / "branch.txt");
  Save(nowhere, Entry({1, 1, 1}), TraceKind::kPrecedents);
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "missing"));
  CBranchStorageFile withoutContainer;
  withoutContainer.SetPath(folder_ / "branch.txt");
  EXPECT_FALSE(withoutContainer.Open());
  CBranchStorageFile withoutPath;
  withoutPath.SetContainer(container_.get());
  EXPECT_FALSE(withoutPath.Open());
  EXPECT_FALSE(std::filesystem::exists(folder_ / "branch.txt"));
}

// ---------------------------------------------------------------------------------------------
// Stop and long chains.

TEST_F(BranchSaving, StopKeepsTheLinesWrittenAndClosesTheFile) {
  constexpr int32_t kLength = 400;
  for (int32_t row = 1; row < kLength; ++row) {
    Formula(1, row, (L"=A" + std::to_wstring(row + 1)).c_str());
  }
  Number(1, kLength, 1);
  Attach(false);
  auto log = std::make_shared<std::vector<std::wstring>>();
  constexpr int32_t kStopAt = 2 * CPopulationTreeProgress::kReportEvery;
  displays_ = [log] {
    return std::make_unique<CStoppingDisplay>(log, L"Items saved: " + std::to_wstring(kStopAt));
  };
  const std::vector<std::string> lines = SaveToFile(Entry({1, 1, 1}), TraceKind::kPrecedents);

  ASSERT_EQ(static_cast<size_t>(kStopAt), lines.size());
  EXPECT_EQ(static_cast<size_t>(kStopAt - 1), Indent(lines.back()));
  EXPECT_EQ("Sheet1!A" + std::to_string(kStopAt) + " =A" + std::to_string(kStopAt + 1),
            lines.back().substr(kStopAt - 1, 17));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "branch.txt.tv-save.tmp"));
  ASSERT_FALSE(log->empty());
  EXPECT_EQ(L"Trelvane - saving data", log->front());
  EXPECT_FALSE(progress_.StopRequested());
}

TEST_F(BranchSaving, LongChainIsWalkedWithoutDeepRecursion) {
  // Deep enough that one stack frame per level would overflow a thread's stack.
  constexpr int32_t kLength = test_support::DeepChain(100000);
  for (int32_t row = 1; row < kLength; ++row) {
    Formula(1, row, (L"=A" + std::to_wstring(row + 1)).c_str());
  }
  Number(1, kLength, 1);
  Attach(false);
  CCountingStorage counted;
  Save(counted, Entry({1, 1, 1}), TraceKind::kPrecedents);
  EXPECT_EQ(static_cast<size_t>(kLength), counted.lines);
  EXPECT_EQ(static_cast<std::uint32_t>(kLength - 1), counted.deepest);
  EXPECT_EQ((CellPos{1, 1, kLength}), counted.last);
  EXPECT_EQ(1, counted.closed);
}

// ---------------------------------------------------------------------------------------------
// The worksheet layout.

TEST_F(BranchSaving, SheetPutsAddressFormulaAndValueInTheirColumns) {
  Formula(1, 1, L"=SUM(B1:B2)");
  Number(2, 1, 1);
  Number(2, 2, 2);
  Attach();
  const std::vector<std::string> lines = SaveToFile(Entry({1, 1, 1}), TraceKind::kPrecedents);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ("Sheet1!A1 =SUM(B1:B2) 3", lines[0]);

  const int32_t added = SaveToSheet(Entry({1, 1, 1}), TraceKind::kPrecedents);
  ASSERT_EQ(2, added);  // after the last sheet
  spreadsheet::CWorksheet& report = Sheet(added);
  EXPECT_EQ(L"Sheet1!A1", TextAt(added, 3, 3));
  EXPECT_EQ(L"SUM(B1:B2)", TextAt(added, 4, 3));
  EXPECT_EQ(CellValue::Number(3), report.Value({3, 5}));
  // One empty row before the rectangle line; its cells follow one column further right, the
  // first of them on the rectangle's own row.
  for (int32_t column = 1; column <= 6; ++column) {
    EXPECT_TRUE(report.Value({4, column}).IsEmpty()) << column;
  }
  EXPECT_EQ(L"Sheet1!B1:B2", TextAt(added, 4, 5));
  EXPECT_EQ(L"Sheet1!B1", TextAt(added, 5, 5));
  EXPECT_EQ(CellValue::Number(1), report.Value({5, 6}));
  EXPECT_EQ(L"Sheet1!B2", TextAt(added, 5, 6));
  EXPECT_EQ(CellValue::Number(2), report.Value({6, 6}));
  EXPECT_EQ(6, report.UsedRange()->last.row);
  // Rows 1 and 2 stay empty.
  EXPECT_TRUE(report.Value({1, 3}).IsEmpty());
  EXPECT_TRUE(report.Value({2, 3}).IsEmpty());

  EXPECT_EQ(15.0, report.ColumnWidth(1));
  EXPECT_EQ(15.0, report.ColumnWidth(200));
  EXPECT_EQ(added, session_.book->ActiveSheet());
  EXPECT_FALSE(report.DisplayGridlines());
  EXPECT_TRUE(Sheet(1).DisplayGridlines());
}

TEST_F(BranchSaving, SheetWithSpaceKeepsTheCellsApostropheButNotTheRectangles) {
  Sheet(1).SetName(L"My Sheet");
  Formula(2, 3, L"=SUM(C4:D5)");
  Number(3, 4, 1);
  Attach();
  const std::vector<std::string> lines = SaveToFile(Entry({1, 2, 3}), TraceKind::kPrecedents);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ("'My Sheet'!B3 =SUM(C4:D5) 1", lines[0]);
  EXPECT_EQ(" My Sheet!C4:D5", lines[1]);

  const int32_t added = SaveToSheet(Entry({1, 2, 3}), TraceKind::kPrecedents);
  ASSERT_NE(0, added);
  EXPECT_EQ(L"'My Sheet'!B3", TextAt(added, 3, 3));
  EXPECT_EQ(L"My Sheet!C4:D5", TextAt(added, 4, 5));
  EXPECT_EQ(L"'My Sheet'!C4", TextAt(added, 5, 5));
}

TEST_F(BranchSaving, SheetThatCannotBeAddedLeavesTheWorkbookAlone) {
  Formula(1, 1, L"=B1");
  Attach();
  CBranchStorageSheet withoutContainer;
  EXPECT_FALSE(withoutContainer.Open());
  // A container never attached has no workbook to add to.
  CDependencyContainer detached;
  CBranchStorageSheet storage;
  storage.SetContainer(&detached);
  EXPECT_FALSE(storage.Open());
  storage.WriteText(L"lost", 0);
  storage.Close();
  EXPECT_EQ(1, session_.book->SheetCount());
}

TEST_F(BranchSaving, SheetPausesCalculationAndScreenWhileItLives) {
  Attach();
  ASSERT_TRUE(session_.app->ScreenUpdating());
  {
    CBranchStorageSheet storage;
    storage.SetContainer(container_.get());
    EXPECT_FALSE(session_.app->ScreenUpdating());
    EXPECT_EQ(spreadsheet::kCalculationManual, session_.app->Calculation());
  }
  EXPECT_TRUE(session_.app->ScreenUpdating());
  EXPECT_NE(spreadsheet::kCalculationManual, session_.app->Calculation());
}

// ---------------------------------------------------------------------------------------------
// The evaluation tree.

TEST_F(BranchSaving, EvaluationTreeWritesSubExpressionsOperatorsAndReferencedCells) {
  Formula(1, 1, L"=(B1+2)*C1");
  Number(2, 1, 3);
  Formula(3, 1, L"=D1-1");
  Number(4, 1, 5);
  Attach();
  const std::vector<std::string> lines = SaveToFile(Entry({1, 1, 1}), TraceKind::kEvaluateFormula);
  const std::vector<std::string> expected = {
      "Sheet1!A1 =(B1+2)*C1 20",
      " (B1+2)*C1 = 20",
      "  (B1+2) = 5",
      "   B1+2 = 5",
      "    Sheet1!B1 3",
      "    +",
      "    2",
      "  *",
      "  Sheet1!C1 =D1-1 4",
      "   D1-1 = 4",
      "    Sheet1!D1 5",
      "    -",
      "    1",
  };
  EXPECT_EQ(expected, lines);
  // Evaluation put every formula back.
  EXPECT_EQ(L"=(B1+2)*C1", Sheet(1).Formula({1, 1}).value_or(L""));
}

TEST_F(BranchSaving, EvaluationTreeEndsACircleAndKeepsOperatorsAsTextOnTheSheet) {
  Formula(1, 1, L"=B1=1");
  Formula(2, 1, L"=A1");
  Attach(false);
  const std::vector<std::string> lines = SaveToFile(Entry({1, 1, 1}), TraceKind::kEvaluateFormula);
  ASSERT_EQ(6u, lines.size());
  EXPECT_EQ(" B1=1 = ", lines[1].substr(0, 8));
  EXPECT_EQ("  Sheet1!B1 =A1", lines[2].substr(0, 15));
  EXPECT_EQ("   Sheet1!A1 =B1=1", lines[3].substr(0, 18));  // written, not expanded again
  EXPECT_EQ("  =", lines[4]);
  EXPECT_EQ("  1", lines[5]);

  const int32_t added = SaveToSheet(Entry({1, 1, 1}), TraceKind::kEvaluateFormula);
  ASSERT_NE(0, added);
  EXPECT_EQ(L"=", TextAt(added, 5, 7));
  EXPECT_EQ(CellValue::Number(1), Sheet(added).Value({8, 5}));
}

// ---------------------------------------------------------------------------------------------
// The path from the root.

TEST_F(BranchSaving, PathWritesEveryEntryAtDepthZeroAndSkipsCellsWithoutARange) {
  Formula(1, 1, L"=SUM(B1:B2)");
  Formula(2, 2, L"=C2");
  Attach();
  const std::vector<CellReference> path = {Entry({1, 1, 1}), Entry({1, 2, 1}, {1, 2, 2}),
                                           Entry({9, 2, 2}), Entry({1, 2, 2})};
  CBranchStorageFile storage;
  storage.SetContainer(container_.get());
  storage.SetPath(folder_ / "path.txt");
  SavePath(storage, *container_, path);
  const std::vector<std::string> expected = {"Sheet1!A1 =SUM(B1:B2) 0", "Sheet1!B1:B2",
                                             "Sheet1!B2 =C2 0"};
  EXPECT_EQ(expected, Lines(ReadBytes(folder_ / "path.txt")));
}

// ---------------------------------------------------------------------------------------------
// The file storage's bytes and its temporary file.

class BranchFile : public BranchSaving {
 protected:
  BranchFile() {
    Sheet(1).SetName(L"Caf\u00e9");
    Attach(false);
    storage_.SetContainer(container_.get());
    storage_.SetPath(target_);
  }
  std::filesystem::path target_ = folder_ / "out.txt";
  CBranchStorageFile storage_;
};

TEST_F(BranchFile, BytesAreWindows1252WithCrLfAndNoByteOrderMark) {
  ASSERT_TRUE(storage_.Open());
  storage_.WriteCell({1, 2, 3}, L"", L"=\"\u20ac\"", L"na\u00efve \u2713", 1, false);
  storage_.WriteExpression(L"1/4", L"0.25", 0);
  storage_.WriteText(L"\u00bd", 2);
  storage_.Close();
  const std::string expected =
      " Caf\xe9!B3 =\"\x80\" na\xefve ?\r\n"
      "1/4 = 0.25\r\n"
      "  \xbd\r\n";
  EXPECT_EQ(expected, ReadBytes(target_));
}

TEST_F(BranchFile, TextPastTheBufferSizeArrivesWholeAndInOrder) {
  ASSERT_TRUE(storage_.Open());
  std::string expected;
  for (int i = 0; i < 3000; ++i) {
    storage_.WriteText(std::to_wstring(i), static_cast<std::uint32_t>(i % 7));
    expected += std::string(static_cast<size_t>(i % 7), ' ') + std::to_string(i) + "\r\n";
  }
  ASSERT_GT(expected.size(), 2 * CBranchStorageFile::kFlushThreshold);
  storage_.Close();
  EXPECT_EQ(expected, ReadBytes(target_));
}

TEST_F(BranchFile, OldFileStaysUntilTheNewOneIsClosed) {
  { std::ofstream(target_, std::ios::binary) << "old"; }
  ASSERT_TRUE(storage_.Open());
  storage_.WriteText(L"new", 0);
  EXPECT_EQ("old", ReadBytes(target_));
  storage_.Close();
  EXPECT_EQ("new\r\n", ReadBytes(target_));
  EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(folder_.Path()),
                             std::filesystem::directory_iterator()));
}

TEST_F(BranchFile, SaveNeverClosedLeavesTheOldFileAndNoTemporary) {
  { std::ofstream(target_, std::ios::binary) << "old"; }
  {
    CBranchStorageFile abandoned;
    abandoned.SetContainer(container_.get());
    abandoned.SetPath(target_);
    ASSERT_TRUE(abandoned.Open());
    abandoned.WriteText(std::wstring(3 * CBranchStorageFile::kFlushThreshold, L'x'), 0);
    abandoned.WriteText(L"more", 0);
  }
  EXPECT_EQ("old", ReadBytes(target_));
  EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(folder_.Path()),
                             std::filesystem::directory_iterator()));
}

// ---------------------------------------------------------------------------------------------
// The clipboard route.

class CRecordingClipboard final : public IClipboard {
 public:
  bool SetAnsiText(const std::string& bytes) override {
    ansi.push_back(bytes);
    return true;
  }
  bool SetUnicodeText(const std::wstring&) override { return false; }
  std::vector<std::string> ansi;
};

TEST_F(BranchSaving, ClipboardGetsTheFilesBytesAndTheFileGoes) {
  Formula(1, 1, L"=B1");
  Number(2, 1, 2);
  Attach();
  CRecordingClipboard clipboard;
  EXPECT_TRUE(SaveBranchInClipboard(*container_, TraceKind::kPrecedents, Entry({1, 1, 1}), false,
                                    clipboard));
  ASSERT_EQ(1u, clipboard.ansi.size());
  EXPECT_EQ("Sheet1!A1 =B1 2\r\n Sheet1!B1 2\r\n", clipboard.ansi[0]);
  const std::filesystem::path temporary = std::filesystem::temp_directory_path();
  EXPECT_FALSE(std::filesystem::exists(temporary / "tv_branch.txt"));

  EXPECT_TRUE(SavePathInClipboard(*container_, {Entry({1, 1, 1}), Entry({1, 2, 1})}, clipboard));
  ASSERT_EQ(2u, clipboard.ansi.size());
  EXPECT_EQ("Sheet1!A1 =B1 2\r\nSheet1!B1 2\r\n", clipboard.ansi[1]);
  EXPECT_FALSE(std::filesystem::exists(temporary / "tv_path.txt"));
}

TEST_F(BranchSaving, ClipboardIsLeftAloneWhenNothingWasWrittenOrTheSaveFailed) {
  Attach();
  CRecordingClipboard clipboard;
  // A root whose range cannot be had writes no byte.
  EXPECT_FALSE(CopyThroughFile(folder_.Path(), L"tv_branch.txt", *container_, clipboard,
                               [&](CBranchStorageFile& storage) {
                                 Save(storage, Entry({9, 1, 1}), TraceKind::kPrecedents);
                               }));
  // A file left from an earlier run is not taken for this save's text.
  { std::ofstream(folder_ / "tv_path.txt", std::ios::binary) << "stale\r\n"; }
  EXPECT_FALSE(CopyThroughFile(folder_.Path(), L"tv_path.txt", *container_, clipboard,
                               [](CBranchStorageFile&) {}));
  EXPECT_TRUE(clipboard.ansi.empty());
  EXPECT_FALSE(std::filesystem::exists(folder_ / "tv_path.txt"));
}

}  // namespace
