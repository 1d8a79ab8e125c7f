// CDependencyContainer: everything known about one open workbook, and the evaluation services it
// lends to its formula parser.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "container/answer_caches.h"
#include "container/container_observer.h"
#include "container/formula_index.h"
#include "container/operation_progress.h"
#include "container/progress_relay.h"
#include "container/reference_lists.h"
#include "container/scanned_lists.h"
#include "container/used_ranges.h"
#include "container/workbook_parsers.h"
#include "container/workbook_structure.h"
#include "excel/excel_object.h"
#include "excel/excel_thread.h"
#include "formula/address_parser.h"
#include "formula/cell_pos.h"
#include "formula/defined_names.h"
#include "formula/eval_provider.h"
#include "formula/formula_parser.h"
#include "formula/list_object_container.h"
#include "formula/object_with_tracing.h"
#include "formula/table_record.h"
#include "platform/variant.h"

// One container per open workbook; used only on the thread that calls Excel, and not locked.
//
// What it knows is held by components, each with one kind of data and its own rule of what a
// refresh empties: the workbook's structure, its parsers, the formula index, the cached answers,
// the workbook-wide lists and the used ranges. The scans fill them, the questions read them; the
// container itself keeps the Excel handles, the observers and the progress its owner registered.
class CDependencyContainer : public CObjectWithTracing,
                             public IEvalProvider,
                             public CListObjectContainer {
 public:
  CDependencyContainer();
  // Tells every registered observer that the container closes, then releases the Excel handles.
  ~CDependencyContainer() override;
  CDependencyContainer(const CDependencyContainer&) = delete;
  CDependencyContainer& operator=(const CDependencyContainer&) = delete;

  // Lifecycle.
  void SetWorkbookName(std::wstring_view name);
  // Keeps the handles, reads FileFormat and reads the workbook's structure.
  void AttachWorkbook(const ExcelObject& application, const ExcelObject& workbook);
  // Each component drops what a refresh empties of it, the structure is read again, and every
  // registered observer is told.
  void Refresh();
  // Observers are borrowed; one registered while the container is stale refreshes it first.
  void RegisterView(IContainerObserver* view);
  void UnregisterView(IContainerObserver* view);
  const std::vector<IContainerObserver*>& Views() const { return views_; }
  // The data are kept until the next observer registers.
  void MarkStale() { stale_ = true; }
  bool IsStale() const { return stale_; }
  // After a recalculation: the error list is walked again when next asked for, and cells are
  // tested for errors afresh.
  void MarkErrorListStale() {
    lists_.MarkErrorListStale();
    answers_.OnRecalculation();
  }

  const std::wstring& WorkbookName() const { return workbookName_; }
  const ExcelObject& Application() const { return application_; }
  const ExcelObject& Workbook() const { return workbook_; }
  const ExcelObject& Worksheets() const { return worksheets_; }
  // The structure reader keeps the Worksheets collection it read the sheets from.
  void SetWorksheets(const ExcelObject& worksheets) { worksheets_ = worksheets; }
  int32_t FileFormat() const { return fileFormat_; }

  // The progress and Stop of every long operation on this workbook, as the owner registered it
  // (borrowed; null for none). Operations begun inside another one are part of it.
  void SetProgress(IOperationProgress* progress) { progress_.SetTarget(progress); }
  IOperationProgress& Progress() { return progress_; }
  // Where the views' reads of this workbook run, as the owner registered it (borrowed; null for
  // the caller's thread).
  void SetExcelThread(IExcelThread* thread) { excelThread_ = thread; }
  IExcelThread& ExcelThread() { return excelThread_ != nullptr ? *excelThread_ : callerThread_; }

  // The components.
  CWorkbookStructure& Structure() { return structure_; }
  const CWorkbookStructure& Structure() const { return structure_; }
  CFormulaIndex& Formulas() { return formulas_; }
  const CFormulaIndex& Formulas() const { return formulas_; }
  CAnswerCaches& Answers() { return answers_; }
  const CAnswerCaches& Answers() const { return answers_; }
  CScannedLists& Lists() { return lists_; }
  const CScannedLists& Lists() const { return lists_; }
  CUsedRanges& UsedRanges() { return usedRanges_; }
  const CUsedRanges& UsedRanges() const { return usedRanges_; }

  CAddressParser& AddressParser() { return parsers_.AddressParser(); }
  CFormulaParser& FormulaParser() { return parsers_.FormulaParser(); }
  // Parses a formula with `origin` as its own cell and answers a new list with a copy of the
  // references, or null when the parse fails. The collection of formulas parses through here so
  // that parses can be counted.
  SharedReferenceList ParseFormula(std::wstring_view formula, const CellPos& origin) {
    return parsers_.Parse(formula, origin);
  }
  std::size_t FormulaParseCount() const { return parsers_.ParseCount(); }
  // The text of an external reference as written; empty for an unknown id.
  std::wstring_view ExternalText(int32_t externalId) const {
    return parsers_.ExternalText(externalId);
  }

  // The sheet's own names first, then the workbook's.
  NameLookupResult DefinedNameLookup(std::wstring_view text, int32_t sheet) const {
    return structure_.Names().DefinedNameLookup(text, sheet);
  }

  // The one shared empty list of every answer without references.
  static const SharedReferenceList& EmptyList() { return EmptyReferenceList(); }

  // IEvalProvider.
  std::wstring EvaluateToText(std::wstring_view expression, int32_t sheet) override;
  CVariant EvaluateOnSheet(std::wstring_view expression, int32_t sheet) override;
  bool CellValue(int32_t sheet, int32_t column, int32_t row, CVariant& value) override;
  // The name recorded for the index; an index without one is recorded with empty text.
  std::wstring SheetName(int32_t sheet) override;

  // The value, as text, that the expression has when it stands in the cell as its formula.
  std::wstring EvaluateInCell(std::wstring_view expression, const CellPos& cell);
  void WriteCellContent(const CellPos& cell, std::wstring_view text);

  // CListObjectContainer.
  const TableRecord* FindTable(std::wstring_view name) const override {
    return structure_.Tables().FindTable(name);
  }
  const TableRecord* FindTableAt(const CellPos& cell) const override {
    return structure_.Tables().FindTableAt(cell);
  }

 private:
  ExcelObject application_;
  ExcelObject workbook_;
  ExcelObject worksheets_;
  std::wstring workbookName_;
  int32_t fileFormat_ = -1;
  CWorkbookStructure structure_;
  // Declared after the structure it borrows.
  CWorkbookParsers parsers_;
  CFormulaIndex formulas_;
  CAnswerCaches answers_;
  CScannedLists lists_;
  CUsedRanges usedRanges_;
  CProgressRelay progress_;
  IExcelThread* excelThread_ = nullptr;
  CCallerIsExcelThread callerThread_;
  std::vector<IContainerObserver*> views_;
  bool stale_ = false;
};
