// CDependencyContainer: everything known about one open workbook, and the evaluation services it
// lends to its formula parser.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "excel/excel_object.h"
#include "formula/address_parser.h"
#include "formula/cell_pos.h"
#include "formula/cell_rect.h"
#include "formula/cell_reference.h"
#include "formula/defined_names.h"
#include "formula/eval_provider.h"
#include "formula/external_table.h"
#include "formula/formula_parser.h"
#include "formula/list_object_container.h"
#include "formula/object_with_tracing.h"
#include "formula/sheet_index_by_name.h"
#include "formula/sheet_name_by_index.h"
#include "formula/table_list.h"
#include "platform/variant.h"

// A reference list handed out by the container. Holders keep it alive after the container has
// dropped or replaced its entry, so the lists are never changed once published.
using SharedReferenceList = std::shared_ptr<const std::vector<CellReference>>;

// Orders positions by sheet, then column, then row: the order in which dependents are listed.
struct CellPosOrder {
  bool operator()(const CellPos& a, const CellPos& b) const {
    return std::tie(a.sheet, a.column, a.row) < std::tie(b.sheet, b.column, b.row);
  }
};

using CellListMap = std::map<CellPos, SharedReferenceList, CellPosOrder>;

// Window messages of the views, kept as numbers so that this layer needs no Windows header.
inline constexpr uint32_t kViewRefreshMessage = 0x8001;  // WM_APP + 1, posted after a refresh
inline constexpr uint32_t kViewCloseMessage = 0x8002;    // WM_APP + 2, sent on destruction

struct ScreenRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};
struct ScreenPoint {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// A window that shows the container's data. The Windows views implement it over their window
// handle: PostRefresh posts kViewRefreshMessage, SendClose sends kViewCloseMessage, both with zero
// parameters. The container does not own its views.
class IContainerView {
 public:
  virtual void PostRefresh() = 0;
  virtual void SendClose() = 0;
  // The window's rectangle on the screen; false when it cannot be read.
  virtual bool WindowRect(ScreenRect* rect) const = 0;

 protected:
  ~IContainerView() = default;
};

// The size of the primary screen (SM_CXSCREEN, SM_CYSCREEN on Windows).
class IScreenMetrics {
 public:
  virtual int32_t ScreenWidth() const = 0;
  virtual int32_t ScreenHeight() const = 0;

 protected:
  ~IScreenMetrics() = default;
};

class CDependentsIndex;

// One container per open workbook; used only on the thread that calls Excel, and not locked.
class CDependencyContainer : public CObjectWithTracing,
                             public IEvalProvider,
                             public CListObjectContainer {
 public:
  CDependencyContainer();
  // Tells every registered view to close, then releases the Excel handles.
  ~CDependencyContainer() override;
  CDependencyContainer(const CDependencyContainer&) = delete;
  CDependencyContainer& operator=(const CDependencyContainer&) = delete;

  // Lifecycle.
  void SetWorkbookName(std::wstring_view name);
  // Keeps the handles, reads FileFormat and reads the workbook's structure.
  void AttachWorkbook(const ExcelObject& application, const ExcelObject& workbook);
  void Refresh();
  void RegisterView(IContainerView* view);
  void UnregisterView(IContainerView* view);
  void MarkStale() { stale_ = true; }
  void MarkErrorListStale() { errorListBuilt_ = false; }
  // Where a new view opens: below the top-left corner of the view registered last.
  std::optional<ScreenPoint> NewViewPosition(const IScreenMetrics& screen) const;

  const std::wstring& WorkbookName() const { return workbookName_; }
  const ExcelObject& Application() const { return application_; }
  const ExcelObject& Workbook() const { return workbook_; }
  const ExcelObject& Worksheets() const { return worksheets_; }
  // The sheet reader keeps the Worksheets collection it read the sheets from.
  void SetWorksheets(const ExcelObject& worksheets) { worksheets_ = worksheets; }
  int32_t FileFormat() const { return fileFormat_; }
  bool IsStale() const { return stale_; }
  const std::vector<IContainerView*>& Views() const { return views_; }

  CAddressParser& AddressParser() { return addressParser_; }
  CFormulaParser& FormulaParser() { return formulaParser_; }

  // Parses a formula with `origin` as its own cell and answers a new list with a copy of the
  // references, or null when the parse fails. The collection of formulas parses through here so
  // that parses can be counted.
  SharedReferenceList ParseFormula(std::wstring_view formula, const CellPos& origin);
  size_t FormulaParseCount() const { return formulaParseCount_; }

  // The sheet's own names first, then the workbook's.
  NameLookupResult DefinedNameLookup(std::wstring_view text, int32_t sheet) const {
    return definedNames_.DefinedNameLookup(text, sheet);
  }
  // Hands out the next defined-name id; ids are never reused for the container's life.
  int32_t NextNameId() { return ++nameCounter_; }

  // The one shared empty list of every answer without references.
  static const SharedReferenceList& EmptyList();

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
    return tables_.FindTable(name);
  }
  const TableRecord* FindTableAt(const CellPos& cell) const override {
    return tables_.FindTableAt(cell);
  }

  // ---------------------------------------------------------------------------------------------
  // The tables the workbook scans (scan/) and the structure readers fill. Refresh empties those
  // marked "refresh"; the others live as long as the container.
  // ---------------------------------------------------------------------------------------------

  // Direct precedents of each collected formula cell, by the formula's own cell (the first cell
  // of an array formula); presence means the cell was collected. Refresh.
  CellListMap formulaIndex_;
  // The formula index turned round, built on the first dependents question. Refresh.
  std::shared_ptr<const CDependentsIndex> dependentsIndex_;
  // Answers of the dependents, inputs and trace-error questions. Refresh.
  CellListMap dependentsCache_;
  CellListMap inputsCache_;
  CellListMap errorSourceCache_;
  // Results of the error test of a cell. Refresh.
  std::map<CellPos, bool, CellPosOrder> errorTestCache_;
  // Array-formula ranges in the order found. Kept.
  std::vector<CellRect> arrayList_;
  // External-reference id to the text as written; the formula parser fills it. Refresh.
  CExternalTable externalTable_;
  // The last defined-name id given; never reset.
  int32_t nameCounter_ = 0;
  // Workbook names, sheet-level names by sheet index, and id to NameRecord. Refresh.
  CDefinedNames definedNames_;
  // The name text of each rectangle a defined name refers to; a later name replaces an earlier.
  // Refresh.
  std::map<CellReference, std::wstring> rectangleNames_;
  // Names whose definition is a formula, by id: the references of the definition, and what they
  // lead to through the names they use (engine/name_definitions.h). Refresh.
  std::map<int32_t, SharedReferenceList> nameReferences_;
  std::map<int32_t, SharedReferenceList> nameTargets_;
  // The sheets, both ways, and the set of sheet indexes present. Refresh, rebuilt.
  SheetIndexByName sheetIndexByName_;
  SheetNameByIndex sheetNameByIndex_;
  std::set<int32_t> sheetSet_;
  // Cells whose value is an error value. Kept; rebuilt on the next request after the flag drops.
  std::vector<CellReference> errorCellList_;
  // Formula cells in calculation order; null until first built. Kept.
  SharedReferenceList calculationChain_;
  // Cells by colour index, and the RGB colour first seen for each index. Refresh.
  std::map<int32_t, std::vector<CellReference>> fillColorCells_;
  std::map<int32_t, int32_t> fillColorValues_;
  std::map<int32_t, std::vector<CellReference>> fontColorCells_;
  std::map<int32_t, int32_t> fontColorValues_;
  // UsedRange corners of each sheet, by sheet index. Kept.
  std::map<int32_t, CellRect> usedRangeCache_;
  // Tables of all sheets in reading order. Refresh, rebuilt.
  CTableList tables_;
  // Once-only flags of the three whole-workbook walks. Refresh resets them.
  bool formulasCollected_ = false;
  bool colorsAnalyzed_ = false;
  bool errorListBuilt_ = false;

 private:
  void ClearRefreshedTables();

  ExcelObject application_;
  ExcelObject workbook_;
  ExcelObject worksheets_;
  std::wstring workbookName_;
  int32_t fileFormat_ = -1;
  // Declared after the maps it borrows.
  CAddressParser addressParser_;
  CFormulaParser formulaParser_;
  size_t formulaParseCount_ = 0;
  std::vector<IContainerView*> views_;
  bool stale_ = false;
};
