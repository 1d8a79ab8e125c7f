// The views read the workbook only through the container's Excel thread: with the workbook's
// objects on a thread of their own, as in the add-in, every tree and window fills as it does on
// one thread, and the thread check of the test build stops any read that goes around the seam.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "excel/excel_thread.h"
#include "spreadsheet/model/cell_value.h"
#include "tests/support/attached_container.h"
#include "tests/support/excel_worker_thread.h"
#include "tests/support/spreadsheet_session.h"
#include "views/evaluate_filler.h"
#include "views/trace_filler.h"
#include "views/trace_tree.h"
#include "views/trace_window.h"

namespace {

using spreadsheet::CellValue;

CellReference Cell(int32_t column, int32_t row) {
  CellReference reference;
  reference.first = CellPos{1, column, row};
  reference.last = reference.first;
  return reference;
}

// Every item's texts, depth first, one line each with its depth.
void Dump(const CTraceTree& tree, const std::function<std::wstring(TreeItem)>& text,
          std::vector<std::wstring>* lines) {
  struct Pending {
    TreeItem item;
    size_t depth;
  };
  std::vector<Pending> stack{{tree.Root(), 0}};
  while (!stack.empty()) {
    const Pending at = stack.back();
    stack.pop_back();
    if (at.item != tree.Root()) lines->push_back(std::wstring(at.depth, L' ') + text(at.item));
    std::vector<TreeItem> children;
    for (TreeItem c = tree.FirstChild(at.item); c != kNoItem; c = tree.NextSibling(c)) {
      children.push_back(c);
    }
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
      stack.push_back({*it, at.depth + 1});
    }
  }
}

class ExcelThreadSeam : public testing::Test {
 protected:
  ExcelThreadSeam() {
    auto& sheet = session_.book->Sheet(1);  // {row, column}
    sheet.SetValue({1, 1}, CellValue::Number(2));
    sheet.SetValue({2, 1}, CellValue::Number(3));
    sheet.SetFormula({1, 2}, L"=A1*A2");
    sheet.SetFormula({2, 2}, L"=SUM(A1:A3)+B1");
    sheet.SetFormula({3, 2}, L"=B2/0");
    sheet.SetFormula({1, 3}, L"=(B2+B3)*SUM(A1:A2)");
    session_.app->Calculator().InvalidateAll(*session_.book);
    session_.app->Calculate();
  }

  // What every view shows of the workbook, with its reads made through `thread`; the container
  // is attached on that thread too, as the add-in attaches it on Excel's.
  std::vector<std::wstring> Everything(IExcelThread& thread) {
    std::unique_ptr<CDependencyContainer> container;
    thread.Run([&] { container = test_support::AttachContainer(session_); });
    container->SetExcelThread(&thread);
    std::vector<std::wstring> lines;
    for (const TraceKind kind : {TraceKind::kPrecedents, TraceKind::kDependents,
                                 TraceKind::kInputs, TraceKind::kTraceError}) {
      CTraceTree tree;
      CTraceFiller filler(*container, tree);
      tree.SetExpandingHandler([&filler](TreeItem item) { filler.ExpandOnDemand(item); });
      CTraceWindowLogic window(*container, tree, filler);
      window.SetRoot(kind == TraceKind::kDependents ? Cell(1, 1) : Cell(3, 1), kind);
      window.Fill();
      filler.Switches().highlightErrors = true;
      tree.Select(tree.FirstChild(tree.Root()));
      filler.ExpandAll();
      Dump(tree, [&filler](TreeItem item) { return filler.ItemText(item, 1000); }, &lines);
      lines.push_back(window.Boxes().value + L" | " + window.Boxes().formula);
      tree.Select(tree.FirstChild(tree.Root()));
      lines.push_back(std::to_wstring(static_cast<int>(window.FindText(L"A1").outcome)));
    }
    for (const TraceKind kind : {TraceKind::kErrorCells, TraceKind::kCalculationChain}) {
      CTraceTree tree;
      CTraceFiller filler(*container, tree);
      filler.SetRoot(Cell(1, 1), kind);
      filler.Fill();
      Dump(tree, [&filler](TreeItem item) { return filler.ItemText(item, 1000); }, &lines);
    }
    CTraceTree tree;
    CEvaluateFiller evaluate(*container, tree);
    tree.SetExpandingHandler([&evaluate](TreeItem item) { evaluate.ExpandOnDemand(item); });
    evaluate.SetRoot(Cell(3, 1));
    evaluate.Fill();
    evaluate.ExpandAll();
    Dump(tree, [&evaluate](TreeItem item) { return evaluate.ItemText(item, 1000); }, &lines);
    // Released on the thread its objects belong to.
    thread.Run([&container] { container.reset(); });
    return lines;
  }

  test_support::CSpreadsheetSession session_;
};

TEST_F(ExcelThreadSeam, ViewsFillTheSameThroughExcelsOwnThread) {
  CCallerIsExcelThread caller;
  const std::vector<std::wstring> direct = Everything(caller);
  test_support::CExcelWorkerThread excel;
  const std::vector<std::wstring> handed = Everything(excel);
  EXPECT_EQ(direct, handed);
  EXPECT_GT(direct.size(), 20u);
  EXPECT_GT(excel.calls, 20);
}

}  // namespace
