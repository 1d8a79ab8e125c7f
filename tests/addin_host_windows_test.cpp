// The add-in's trace and evaluate windows end to end in the Excel test host: each window's tree
// read back item by item against the fillers' tree over the same workbook, before and after an
// item is opened; a selected item selects its range in Excel and fills the boxes; the switches
// and column widths kept across a restart; the manager's tabs; a path copied to the clipboard.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "container/dependency_container.h"
#include "excel/excel_object.h"
#include "export/clipboard_route.h"
#include "export/color_menu_items.h"
#include "formula/reference_functions.h"
#include "platform/win32/scoped_handles.h"
#include "tests/addin_host_fixture.h"
#include "tests/support/cell_places.h"
#include "tests/support/spreadsheet_session.h"
#include "views/evaluate_filler.h"
#include "views/trace_filler.h"
#include "views/trace_tree.h"
#include "views/win32/settings_registry.h"
#include "views/window_commands.h"
#include "wndmgr/tab_strip_layout.h"

namespace {

using addin_host::AddInHostTest;
using addin_host::kWindowWait;
using addin_host::WaitForHostedTitles;
using test_support::Arg;
using test_support::CellRef;
using test_support::Get;
using test_support::GetObjectOf;
using test_support::Put;

// Item texts are read back through a buffer of this size, so the expected ones are cut alike.
constexpr std::size_t kItemTextCapacity = 8192;
constexpr int kToolbarControlId = 1016;
// Deep enough for the placeholders of every window of the test's workbook.
constexpr int kReadDepth = 4;

// The windows' settings as they were before the test, put back afterwards, so that switches and
// widths a test changes do not reach the next one; the test starts from the defaults.
class CWindowSettingsSnapshot {
 public:
  CWindowSettingsSnapshot() {
    for (const std::wstring& name : RegistryValueNames(HKEY_CURRENT_USER, kWindowSettingsKey)) {
      if (auto value = ReadRegistryValue(HKEY_CURRENT_USER, kWindowSettingsKey, name)) {
        saved_.emplace_back(name, std::move(*value));
      }
    }
    DeleteRegistryTree(HKEY_CURRENT_USER, kWindowSettingsKey);
  }
  ~CWindowSettingsSnapshot() {
    DeleteRegistryTree(HKEY_CURRENT_USER, kWindowSettingsKey);
    if (saved_.empty()) return;
    CScopedRegistryKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kWindowSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                          nullptr, key.Receive(), nullptr) != ERROR_SUCCESS) {
      return;
    }
    for (const auto& [name, value] : saved_) {
      ::RegSetValueExW(key.Get(), name.c_str(), 0, value.type, value.data.data(),
                       static_cast<DWORD>(value.data.size()));
    }
  }
  CWindowSettingsSnapshot(const CWindowSettingsSnapshot&) = delete;
  CWindowSettingsSnapshot& operator=(const CWindowSettingsSnapshot&) = delete;

 private:
  std::vector<std::pair<std::wstring, RegistryValue>> saved_;
};

// A tree in memory read as the hosted window's tree is read: pre-order down to `depth`, each
// item's text as `text` answers it; `items` gets each line's item.
std::vector<TreeLine> ReadMemoryTree(const CTraceTree& tree, int depth,
                                     const std::function<std::wstring(TreeItem)>& text,
                                     std::vector<TreeItem>* items) {
  std::vector<TreeLine> lines;
  items->clear();
  std::vector<std::pair<TreeItem, int>> pending;
  const auto pushChildren = [&](TreeItem parent, int childDepth) {
    const std::size_t mark = pending.size();
    for (TreeItem child = tree.FirstChild(parent); child != kNoItem;
         child = tree.NextSibling(child)) {
      pending.emplace_back(child, childDepth);
    }
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(mark), pending.end());
  };
  pushChildren(tree.Root(), 0);
  while (!pending.empty()) {
    const auto [item, itemDepth] = pending.back();
    pending.pop_back();
    lines.push_back({itemDepth, text(item)});
    items->push_back(item);
    if (itemDepth < depth) pushChildren(item, itemDepth + 1);
  }
  return lines;
}

// The first line starting with `prefix` whose next line is its "not ready" child: an item still
// to be opened.
std::optional<std::size_t> FirstUnopened(const std::vector<TreeLine>& lines,
                                         const std::wstring& prefix) {
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i].text.starts_with(prefix) && lines[i + 1].depth == lines[i].depth + 1 &&
        lines[i + 1].text == kNotReadyText) {
      return i;
    }
  }
  return std::nullopt;
}

std::optional<std::size_t> LineStartingWith(const std::vector<TreeLine>& lines, int depth,
                                            const std::wstring& prefix) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].depth == depth && lines[i].text.starts_with(prefix)) return i;
  }
  return std::nullopt;
}

// Column `index` of an item's text, the columns being joined by tabs.
std::wstring ColumnOf(const std::wstring& text, std::size_t index) {
  std::size_t from = 0;
  for (std::size_t skipped = 0; skipped < index; ++skipped) {
    from = text.find(L'\t', from);
    if (from == std::wstring::npos) return {};
    ++from;
  }
  return text.substr(from, text.find(L'\t', from) - from);
}

// The ANSI text on the clipboard, or nothing.
std::optional<std::string> ClipboardAnsiText() {
  if (::OpenClipboard(nullptr) == FALSE) return std::nullopt;
  struct Closer {
    ~Closer() { ::CloseClipboard(); }
  } closer;
  HANDLE data = ::GetClipboardData(CF_TEXT);
  if (data == nullptr) return std::nullopt;
  const auto* text = static_cast<const char*>(::GlobalLock(data));
  if (text == nullptr) return std::nullopt;
  std::string copied(text);
  ::GlobalUnlock(data);
  return copied;
}

// A clipboard that keeps what it is given, for the text the add-in should have copied.
class CKeptClipboard final : public IClipboard {
 public:
  bool SetAnsiText(const std::string& bytes) override {
    text = bytes;
    return true;
  }
  bool SetUnicodeText(const std::wstring&) override { return false; }
  std::string text;
};

// A ribbon command on a selection, the window it adds, and the filler's kind for the same tree.
struct WindowCase {
  const wchar_t* control;
  const wchar_t* selection;
  TraceKind kind;
  const wchar_t* titlePrefix;
  // The item opened in both trees: the first unopened one starting with this.
  const wchar_t* opened = L"";
};

class AddInHostWindowsTest : public AddInHostTest {
 protected:
  // Sheet1 holds a defined name, a 3-D reference, an array block, OFFSET and #DIV/0! passed on
  // through two cells; A1 has a yellow fill.
  void StartWithAuditBook() {
    auto book = std::make_shared<spreadsheet::CWorkbook>(L"Audit.xlsx");
    book->AddSheet(L"Sheet1");
    book->AddSheet(L"Sheet2");
    book->AddSheet(L"Sheet3");
    book->AddName({L"Rate", L"=Sheet1!$C$1"});
    host.OpenWorkbook(book);
    struct Cell {
      int sheet;
      const wchar_t* address;
      const wchar_t* formula;
    };
    const Cell cells[] = {
        {2, L"A1", L"10"},
        {3, L"A1", L"20"},
        {1, L"A1", L"1"},
        {1, L"A2", L"2"},
        {1, L"A3", L"3"},
        {1, L"C1", L"0.5"},
        {1, L"B1", L"=Rate*A1"},
        {1, L"B2", L"=A1+A2"},
        {1, L"B3", L"=SUM(Sheet2:Sheet3!A1)"},
        {1, L"B4", L"=OFFSET(A1,2,0)"},
        {1, L"C2", L"=A1/0"},
        {1, L"C3", L"=C2+1"},
        {1, L"C4", L"=C3*2"},
    };
    for (const Cell& cell : cells) {
      ASSERT_TRUE(host.WriteCell(cell.sheet, cell.address, cell.formula)) << cell.address;
    }
    ASSERT_TRUE(Put(host.Range(1, L"D1:D2").Get(), L"FormulaArray", Arg(L"=A1:A2*2")).Succeeded());
    ASSERT_TRUE(host.WriteCell(1, L"B5", L"=B1+B2+B3+B4+SUM(D1:D2)"));
    ASSERT_TRUE(
        Put(GetObjectOf(host.Range(1, L"A1").Get(), L"Interior").Get(), L"ColorIndex", Arg(6))
            .Succeeded());
    host.Recalculate();
    ASSERT_TRUE(host.Select(1, L"B5"));
    ASSERT_EQ(S_OK, host.StartAddIn());
    // The expected trees come from a container of the test's own over the same workbook,
    // read through the same Application on Excel's thread, with the reference functions the
    // add-in knows in an English Excel (its module keeps its own list).
    addedReferenceFunctions_ = ReferenceFunctions::IsEmpty();
    ReferenceFunctions::Add(L"OFFSET");
    ReferenceFunctions::Add(L"INDIRECT");
    expected_ = std::make_shared<CDependencyContainer>();
    expected_->SetWorkbookName(book->Name());
    const ExcelObject application(host.ApplicationDispatch());
    ExcelObject workbook;
    ASSERT_TRUE(application.GetObject(L"ActiveWorkbook", &workbook));
    expected_->AttachWorkbook(application, workbook);
  }

  // Runs a command on `selection` and answers the window it adds to the manager.
  HWND OpenWindow(const WindowCase& c) {
    const std::vector<std::wstring> before = HostedWindowTitles();
    if (!host.Select(1, c.selection)) return nullptr;
    if (host.ClickRibbonControl(c.control).hr != S_OK) return nullptr;
    const std::vector<std::wstring> after = WaitForHostedTitles(before.size() + 1);
    HWND manager = FindWindowManager();
    if (manager == nullptr || after.size() != before.size() + 1) return nullptr;
    for (HWND hosted : HostedWindows(manager)) {
      const std::wstring title = WindowText(hosted);
      if (std::find(before.begin(), before.end(), title) == before.end() &&
          title.starts_with(c.titlePrefix)) {
        return hosted;
      }
    }
    return nullptr;
  }

  // The filler's tree for the same request, filled in memory.
  void FillExpected(const WindowCase& c, int32_t colorIndex) {
    trace_.reset();
    evaluate_.reset();
    memory_ = std::make_unique<CTraceTree>();
    CellReference root;
    if (c.kind != TraceKind::kErrorCells && c.kind != TraceKind::kCalculationChain &&
        c.kind != TraceKind::kFillColor) {
      const std::optional<test_support::RangeSeen> seen =
          test_support::SeeRange(GetObjectOf(host.ApplicationDispatch(), L"Selection").Get());
      ASSERT_TRUE(seen.has_value());
      root = CellRef(seen->range.first.column, seen->range.first.row);
    }
    if (c.kind == TraceKind::kEvaluateFormula) {
      evaluate_ = std::make_unique<CEvaluateFiller>(*expected_, *memory_);
      memory_->SetExpandingHandler([this](TreeItem item) { evaluate_->ExpandOnDemand(item); });
      evaluate_->SetRoot(root);
      evaluate_->Fill();
      return;
    }
    trace_ = std::make_unique<CTraceFiller>(*expected_, *memory_);
    memory_->SetExpandingHandler([this](TreeItem item) { trace_->ExpandOnDemand(item); });
    trace_->SetRoot(root, c.kind, colorIndex);
    trace_->Fill();
  }

  std::vector<TreeLine> ReadExpected(int depth, std::vector<TreeItem>* items) const {
    return ReadMemoryTree(
        *memory_, depth,
        [this](TreeItem item) {
          if (trace_) return trace_->ItemText(item, kItemTextCapacity);
          return memory_->Text(item).value_or(evaluate_->ItemText(item, kItemTextCapacity));
        },
        items);
  }

  // The window's tree against the filler's down to the first placeholders (the evaluate tree
  // opens its expression by itself), then again one level further after the first item still
  // to be opened that starts with `prefix` is opened in both.
  void ExpectSameTreeBeforeAndAfterOpening(HWND hosted, const std::wstring& prefix = L"") {
    HWND tree = HostedTree(hosted);
    ASSERT_NE(nullptr, tree);
    std::vector<HTREEITEM> shownItems;
    std::vector<TreeItem> expectedItems;
    const std::vector<TreeLine> shown = ReadTree(tree, kReadDepth, &shownItems);
    const std::vector<TreeLine> expected = ReadExpected(kReadDepth, &expectedItems);
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(expected, shown);
    const std::optional<std::size_t> unopened = FirstUnopened(shown, prefix);
    if (!unopened) {
      EXPECT_TRUE(prefix.empty()) << "nothing to open starts with "
                                  << testing::PrintToString(prefix);
      return;
    }
    const HTREEITEM openedItem = shownItems[*unopened];
    ASSERT_TRUE(ExpandItem(tree, openedItem));
    memory_->Expand(expectedItems[*unopened]);
    const std::vector<TreeLine> opened = ReadTree(tree, kReadDepth + 1, &shownItems);
    EXPECT_EQ(ReadExpected(kReadDepth + 1, &expectedItems), opened);
    // Its placeholder gave way to what it holds.
    const auto at = std::find(shownItems.begin(), shownItems.end(), openedItem);
    ASSERT_NE(shownItems.end(), at);
    const auto next = static_cast<std::size_t>(at - shownItems.begin()) + 1;
    ASSERT_LT(next, opened.size());
    EXPECT_NE(kNotReadyText, opened[next].text) << testing::PrintToString(opened);
  }

  CWindowSettingsSnapshot settings_;
  std::shared_ptr<CDependencyContainer> expected_;
  std::unique_ptr<CTraceTree> memory_;
  std::unique_ptr<CTraceFiller> trace_;
  std::unique_ptr<CEvaluateFiller> evaluate_;
  bool addedReferenceFunctions_ = false;

  void TearDown() override {
    // The test's fillers and container go before the host's workbook does.
    trace_.reset();
    evaluate_.reset();
    memory_.reset();
    expected_.reset();
    if (addedReferenceFunctions_) ReferenceFunctions::Clear();
    AddInHostTest::TearDown();
  }
};

constexpr WindowCase kPrecedentsOfB5{L"nuvShowPrecedents", L"B5", TraceKind::kPrecedents,
                                     L"Sheet1!B5 - precedents"};

TEST_F(AddInHostWindowsTest, PrecedentsWindowShowsTheFillersTreeBeforeAndAfterOpeningAnItem) {
  StartWithAuditBook();
  HWND hosted = OpenWindow(kPrecedentsOfB5);
  ASSERT_NE(nullptr, hosted);
  HWND manager = FindWindowManager();
  // One manager with the one window, shown.
  std::size_t managers = 0;
  for (HWND window : ProcessTopLevelWindows()) {
    managers += WindowClassName(window) == L"#32770" && WindowText(window).starts_with(L"Trelvane");
  }
  EXPECT_EQ(1u, managers);
  EXPECT_EQ(1u, HostedWindows(manager).size());
  EXPECT_NE(FALSE, ::IsWindowVisible(hosted));
  FillExpected(kPrecedentsOfB5, 0);
  ExpectSameTreeBeforeAndAfterOpening(hosted);
  // The OFFSET cell opens onto the cell it reaches at run time.
  ExpectSameTreeBeforeAndAfterOpening(hosted, L"B4\t");
  // Every kind of reference of the workbook made it into the first level.
  const std::vector<TreeLine> lines = ReadTree(HostedTree(hosted), 1);
  for (const wchar_t* cell : {L"B1\t", L"B3\t", L"B4\t", L"D1:D2\t"}) {
    EXPECT_TRUE(LineStartingWith(lines, 1, cell).has_value()) << testing::PrintToString(cell);
  }
  addin_host::TakePictureIfAsked(manager, L"precedents");
  EXPECT_TRUE(messageBoxes.Texts().empty());
}

TEST_F(AddInHostWindowsTest, EveryWindowKindShowsItsFillersTree) {
  StartWithAuditBook();
  const WindowCase cases[] = {
      {L"nuvShowDependents", L"A1", TraceKind::kDependents, L"Sheet1!A1 - dependents"},
      {L"nuvShowInputs", L"B5", TraceKind::kInputs, L"Sheet1!B5 - inputs"},
      {L"nuvTraceError", L"C4", TraceKind::kTraceError, L"Sheet1!C4 - trace error"},
      {L"nuvShowErrors", L"B5", TraceKind::kErrorCells, L"Cells with error value"},
      {L"nuvCalcOrder", L"B5", TraceKind::kCalculationChain, L"Calculation Chain"},
      {L"nuvFilterBG", L"B5", TraceKind::kFillColor, L"Filter cells by background color"},
      // Not B4 (OFFSET): see EvaluateWindowOpensACellWithAReferenceFunction.
      {L"nuvEvaluateFormula", L"B5", TraceKind::kEvaluateFormula, L"Sheet1!B5 - evaluate formula",
       L"D1:D2\t"},
  };
  // The colour the menu offers first, as the add-in lists them.
  const std::vector<ColorMenuItem> colours = ColorMenuItems(*expected_, true);
  ASSERT_FALSE(colours.empty());
  for (const WindowCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.control)));
    HWND hosted = nullptr;
    if (c.kind == TraceKind::kFillColor) {
      const addin_host::CPopupMenuPicker picker;
      hosted = OpenWindow(c);
      EXPECT_EQ(1, picker.Shown());
    } else {
      hosted = OpenWindow(c);
    }
    ASSERT_NE(nullptr, hosted);
    FillExpected(c, colours.front().id);
    ExpectSameTreeBeforeAndAfterOpening(hosted, c.opened);
    if (c.kind == TraceKind::kErrorCells) {
      std::vector<TreeItem> listed;
      EXPECT_EQ(
          L"Cells with error value (" + std::to_wstring(ReadExpected(0, &listed).size()) + L")",
          WindowText(hosted));
    }
    if (c.kind == TraceKind::kEvaluateFormula) {
      addin_host::TakePictureIfAsked(FindWindowManager(), L"evaluate");
    }
  }
  EXPECT_TRUE(messageBoxes.Texts().empty());
}

TEST_F(AddInHostWindowsTest, EvaluateWindowOpensACellWithAReferenceFunction) {
  // The parse resolves OFFSET through Excel's objects: it must run on Excel's thread.
  StartWithAuditBook();
  const WindowCase evaluate{L"nuvEvaluateFormula", L"B5", TraceKind::kEvaluateFormula,
                            L"Sheet1!B5 - evaluate formula", L"B4\t"};
  HWND hosted = OpenWindow(evaluate);
  ASSERT_NE(nullptr, hosted);
  FillExpected(evaluate, 0);
  ExpectSameTreeBeforeAndAfterOpening(hosted, evaluate.opened);
  // Evaluated at its own cell, OFFSET's own window opens as well.
  const WindowCase offset{L"nuvEvaluateFormula", L"B4", TraceKind::kEvaluateFormula,
                          L"Sheet1!B4 - evaluate formula"};
  hosted = OpenWindow(offset);
  ASSERT_NE(nullptr, hosted);
  FillExpected(offset, 0);
  ExpectSameTreeBeforeAndAfterOpening(hosted);
}

TEST_F(AddInHostWindowsTest, SelectingAnItemSelectsItsRangeInExcelAndFillsTheBoxes) {
  StartWithAuditBook();
  HWND hosted = OpenWindow(kPrecedentsOfB5);
  ASSERT_NE(nullptr, hosted);
  HWND tree = HostedTree(hosted);
  struct Case {
    const wchar_t* cell;
    const wchar_t* address;
  };
  const Case cases[] = {{L"B1\t", L"$B$1"}, {L"D1:D2\t", L"$D$1:$D$2"}, {L"B4\t", L"$B$4"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.cell)));
    std::vector<HTREEITEM> items;
    const std::vector<TreeLine> lines = ReadTree(tree, 1, &items);
    const std::optional<std::size_t> line = LineStartingWith(lines, 1, c.cell);
    ASSERT_TRUE(line.has_value());
    ASSERT_TRUE(SelectItem(tree, items[*line]));
    PumpMessagesUntilIdle();
    EXPECT_EQ(c.address,
              Get(GetObjectOf(host.ApplicationDispatch(), L"Selection").Get(), L"Address").Text());
    // The boxes show the item's Value and Formula columns.
    EXPECT_EQ(ColumnOf(lines[*line].text, 2), HostedControlText(hosted, kValueBoxId));
    EXPECT_EQ(ColumnOf(lines[*line].text, 3), HostedControlText(hosted, kFormulaBoxId));
    if (c.address == std::wstring(L"$B$1")) {
      EXPECT_EQ(L"=Rate*A1", HostedControlText(hosted, kFormulaBoxId));
    }
  }
  // With automatic activation off a selection leaves Excel's alone; Select in Excel moves it.
  const auto excelSelection = [&] {
    return Get(GetObjectOf(host.ApplicationDispatch(), L"Selection").Get(), L"Address").Text();
  };
  ASSERT_TRUE(SendCommand(hosted, kCmdAutoActivate));
  std::vector<HTREEITEM> items;
  const std::vector<TreeLine> lines = ReadTree(tree, 1, &items);
  const std::optional<std::size_t> b2 = LineStartingWith(lines, 1, L"B2\t");
  ASSERT_TRUE(b2.has_value());
  ASSERT_TRUE(SelectItem(tree, items[*b2]));
  PumpMessagesUntilIdle();
  EXPECT_EQ(L"$B$4", excelSelection());
  ASSERT_TRUE(SendCommand(hosted, kCmdSelectInExcel));
  PumpMessagesUntilIdle();
  EXPECT_EQ(L"$B$2", excelSelection());
  EXPECT_TRUE(messageBoxes.Texts().empty());
}

TEST_F(AddInHostWindowsTest, ArrowsSwitchAndColumnWidthsOutliveARestart) {
  StartWithAuditBook();
  HWND hosted = OpenWindow(kPrecedentsOfB5);
  ASSERT_NE(nullptr, hosted);
  HWND toolbar = ::GetDlgItem(hosted, kToolbarControlId);
  ASSERT_NE(nullptr, toolbar);
  EXPECT_EQ(0, ::SendMessageW(toolbar, TB_ISBUTTONCHECKED, kCmdShowTracingArrows, 0));
  ASSERT_TRUE(SendCommand(hosted, kCmdShowTracingArrows));
  PumpMessagesUntilIdle();
  EXPECT_NE(0, ::SendMessageW(toolbar, TB_ISBUTTONCHECKED, kCmdShowTracingArrows, 0));
  // The stored switch is there at once; the widths go when the tree goes.
  int32_t arrows = 0;
  EXPECT_TRUE(ReadWindowSetting(L"ShowTracingErrors", &arrows));
  EXPECT_EQ(1, arrows);

  const std::vector<int> before = HostedColumnWidths(hosted);
  ASSERT_EQ(4u, before.size());
  const int sheetWidth = before[1] + 17;
  const int formulaWidth = before[3] + 29;
  ASSERT_TRUE(SetHostedColumnWidth(hosted, 1, sheetWidth));
  ASSERT_TRUE(SetHostedColumnWidth(hosted, 3, formulaWidth));
  EXPECT_EQ(sheetWidth, HostedColumnWidths(hosted).at(1));

  host.UnloadAddIn();
  ASSERT_TRUE(PumpMessagesUntil([] { return FindWindowManager() == nullptr; }, kWindowWait));
  const struct {
    const wchar_t* name;
    int width;
  } stored[] = {{L"Tree_CellWidth", before[0]},
                {L"Tree_SheetWidth", sheetWidth},
                {L"Tree_ValueWidth", before[2]},
                {L"Tree_FormulaWidth", formulaWidth}};
  for (const auto& width : stored) {
    int32_t value = 0;
    EXPECT_TRUE(ReadWindowSetting(width.name, &value)) << testing::PrintToString(width.name);
    EXPECT_EQ(width.width, value) << testing::PrintToString(width.name);
  }

  ASSERT_EQ(S_OK, host.StartAddIn());
  HWND again = OpenWindow(kPrecedentsOfB5);
  ASSERT_NE(nullptr, again);
  EXPECT_EQ((std::vector<int>{before[0], sheetWidth, before[2], formulaWidth}),
            HostedColumnWidths(again));
  EXPECT_NE(0, ::SendMessageW(::GetDlgItem(again, kToolbarControlId), TB_ISBUTTONCHECKED,
                              kCmdShowTracingArrows, 0));
  EXPECT_TRUE(messageBoxes.Texts().empty());
}

TEST_F(AddInHostWindowsTest, ThreeWindowsMakeThreeTabsAndTheTabCommandShowsOne) {
  StartWithAuditBook();
  const WindowCase opened[] = {
      kPrecedentsOfB5,
      {L"nuvShowDependents", L"A1", TraceKind::kDependents, L"Sheet1!A1 - dependents"},
      {L"nuvShowInputs", L"B5", TraceKind::kInputs, L"Sheet1!B5 - inputs"},
  };
  std::vector<HWND> windows;
  for (const WindowCase& c : opened) {
    windows.push_back(OpenWindow(c));
    ASSERT_NE(nullptr, windows.back());
  }
  HWND manager = FindWindowManager();
  ASSERT_EQ(3u, HostedWindows(manager).size());
  const auto shown = [&] {
    std::vector<HWND> visible;
    for (HWND window : windows) {
      if (::IsWindowVisible(window) != FALSE) visible.push_back(window);
    }
    return visible;
  };
  // The last opened is the one in front.
  EXPECT_EQ(std::vector<HWND>{windows[2]}, shown());
  ASSERT_TRUE(SendCommand(manager, kWndMgrFirstItemCommand + 1));
  EXPECT_TRUE(
      PumpMessagesUntil([&] { return shown() == std::vector<HWND>{windows[1]}; }, kWindowWait));
  ASSERT_TRUE(SendCommand(manager, kWndMgrFirstItemCommand));
  EXPECT_TRUE(
      PumpMessagesUntil([&] { return shown() == std::vector<HWND>{windows[0]}; }, kWindowWait));
  EXPECT_TRUE(messageBoxes.Texts().empty());
}

TEST_F(AddInHostWindowsTest, SavePathInClipboardCopiesThePathFromTheRoot) {
  StartWithAuditBook();
  HWND hosted = OpenWindow(kPrecedentsOfB5);
  ASSERT_NE(nullptr, hosted);
  FillExpected(kPrecedentsOfB5, 0);
  HWND tree = HostedTree(hosted);
  // B1 opened, its name selected: a path of three.
  std::vector<HTREEITEM> shownItems;
  std::vector<TreeItem> expectedItems;
  const std::vector<TreeLine> lines = ReadTree(tree, 1, &shownItems);
  ASSERT_EQ(ReadExpected(1, &expectedItems), lines);
  const std::optional<std::size_t> b1 = LineStartingWith(lines, 1, L"B1\t");
  ASSERT_TRUE(b1.has_value());
  ASSERT_TRUE(ExpandItem(tree, shownItems[*b1]));
  memory_->Expand(expectedItems[*b1]);
  const std::vector<TreeLine> opened = ReadTree(tree, 2, &shownItems);
  ASSERT_EQ(ReadExpected(2, &expectedItems), opened);
  ASSERT_LT(*b1 + 1, opened.size());
  ASSERT_EQ(2, opened[*b1 + 1].depth);
  ASSERT_TRUE(SelectItem(tree, shownItems[*b1 + 1]));

  ASSERT_TRUE(::OpenClipboard(nullptr) != FALSE && ::EmptyClipboard() != FALSE &&
              ::CloseClipboard() != FALSE);
  ASSERT_TRUE(SendCommand(hosted, kCmdSavePathInClipboard));
  PumpMessagesUntilIdle();
  CKeptClipboard kept;
  const std::vector<CellReference> path = trace_->PathFromRoot(expectedItems[*b1 + 1]);
  ASSERT_EQ(3u, path.size());
  ASSERT_TRUE(SavePathInClipboard(*expected_, path, kept));
  EXPECT_EQ(kept.text, ClipboardAnsiText());
  EXPECT_NE(std::string::npos, kept.text.find("B5"));
  EXPECT_TRUE(messageBoxes.Texts().empty());
}

}  // namespace
