// CTraceFiller: fills a trace tree from one root reference for one kind, lazily one level at a
// time or a whole branch at once, and answers what each item shows.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "container/dependency_container.h"
#include "container/path_walk.h"
#include "engine/related.h"
#include "formula/cell_reference.h"
#include "views/cell_text_cache.h"
#include "views/item_reference_map.h"
#include "views/population_tree_progress.h"
#include "views/tree_structure.h"

inline constexpr const wchar_t* kNotReadyText = L"not ready";

// Images of the trace image strip.
enum TraceImage : int32_t {
  kImageCell = 0,
  kImageRange = 1,
  kImageExternal = 3,
  kImageDynamicCell = 6,
  kImageDynamicRange = 7,
  kImageName = 10,
};

struct TraceSwitches {
  bool highlightErrors = false;
  bool filterHighlighted = false;
  // Cleared while a window walks a found path, so that opening items there fills nothing.
  bool expansionEnabled = true;
};

struct TraceItemStyle {
  std::optional<uint32_t> textColor;  // 0x00BBGGRR; none keeps the tree's own colour
  bool bold = false;
};

inline constexpr uint32_t kErrorTextColor = 0x0000FF;    // red
inline constexpr uint32_t kDynamicTextColor = 0xFF0000;  // blue

bool IsFlatListKind(TraceKind kind);
// The reference as the Cell column shows it: the name, or the reference's own text, with the
// address in parentheses; the address alone when there is no text; a name that is no range by
// its name alone; another workbook's reference by that workbook's text.
std::wstring ReferenceText(const CDependencyContainer& container, const CellReference& reference);
int32_t ReferenceImage(const CellReference& reference);
// The Sheet column: the first corner's sheet, or "First:Last" for a reference over several
// sheets; empty for an unknown sheet.
std::wstring SheetText(const CDependencyContainer& container, const CellReference& reference);

class CTraceFiller {
 public:
  CTraceFiller(CDependencyContainer& container, ITreeStructure& tree);

  // For the colour lists, `colorIndex` is the colour asked for (-1 for none).
  void SetRoot(const CellReference& root, TraceKind kind, int32_t colorIndex = 0);
  TraceSwitches& Switches() { return switches_; }

  void Fill();
  void Refresh();
  // The tree reports that the item is about to open.
  void ExpandOnDemand(TreeItem item);
  // Rebuilds the selected item's whole branch under a progress window, then opens it.
  void ExpandAll();

  // The four column texts joined by tabs, cut to `bufferSize` less one character; computed once
  // and fixed on the item, or each time on a tree that does not keep fixed texts.
  std::wstring ItemText(TreeItem item, size_t bufferSize);
  TraceItemStyle ItemStyle(TreeItem item, bool highlighted);
  // The references from the root down to the item.
  std::vector<CellReference> PathFromRoot(TreeItem item) const;
  const CellReference* ReferenceOf(TreeItem item) const;

  bool ExpandAllInProgress() const { return expandAllInProgress_; }
  bool SelectInExcelEnabled() const { return selectInExcel_; }
  // Counts every inserted item; exposed so that tests can watch it.
  CPopulationTreeProgress& Progress() { return progress_; }
  const CCellTextCache& TextCache() const { return texts_; }
  // Texts of a cell read by someone reading more of it (the command line's printers read each
  // printed cell once for everything they show), kept as if the filler had read them.
  bool CellTextsKept(const CellPos& cell) const { return texts_.Contains(cell); }
  void KeepCellTexts(const CellPos& cell, const CellTexts& texts) { texts_.Put(cell, texts); }

 private:
  // Every read of the workbook goes through the container's Excel thread.
  template <typename Read>
  auto OnExcel(Read&& read) {
    return OnExcelThread(container_.ExcelThread(), std::forward<Read>(read));
  }

  // Work still to do in expand all: fill an item's children. The key is the item's cell, or for
  // a formula name the name alone (PathKey).
  struct Task {
    TreeItem item = kNoItem;
    CellReference key;
    bool forced = false;  // The branch's own top: filled even after Stop.
  };
  using TaskWalk = CPathWalk<Task, CellReference>;

  bool PassesFilter(const CellPos& first, const CellPos& last);
  // The filter rule for a formula name, which holds no cells of its own: it passes when one of
  // the cells or ranges its definition leads to (through other names too) holds an error.
  bool NamePassesFilter(const CellReference& name);
  TreeItem InsertItem(TreeItem parent, const CellReference& reference, int32_t image);
  void AddPlaceholder(TreeItem item);
  void ApplyPlaceholderRule(TreeItem item, const CellReference& reference);
  void InsertReference(TreeItem parent, const CellReference& reference, bool recursive,
                       std::vector<Task>* tasks);
  // A plain cell: with a placeholder in lazy mode, or as a task of expand all.
  void InsertCell(TreeItem parent, const CellReference& reference, bool recursive,
                  std::vector<Task>* tasks);
  void ExpandRange(TreeItem item, const CellReference& range, bool recursive,
                   std::vector<Task>* tasks);
  // A formula name: with a placeholder in lazy mode, or as a task of expand all.
  void InsertName(TreeItem parent, const CellReference& reference, bool recursive,
                  std::vector<Task>* tasks);
  // The cell's related references, or the references of a formula name's definition.
  void FillChildren(TreeItem item, const CellReference& key, bool recursive,
                    std::vector<Task>* tasks);
  void RunTasks(TaskWalk& walk);
  void FillFlatList();
  void DeleteChildren(TreeItem item);
  void ExpandVisually(TreeItem top);
  bool IsPlaceholder(TreeItem item) const;
  std::wstring ComputeText(const CellReference& reference);

  CDependencyContainer& container_;
  ITreeStructure& tree_;
  CellReference root_;
  TraceKind kind_ = TraceKind::kPrecedents;
  int32_t colorIndex_ = 0;
  TraceSwitches switches_;
  bool expandAllInProgress_ = false;
  bool selectInExcel_ = true;
  CItemReferenceMap nodeMap_;
  CCellTextCache texts_;
  CPopulationTreeProgress progress_;
};
