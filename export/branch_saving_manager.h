// CBranchSavingManager: writes the branch under one trace entry, walked to the bottom, to a
// branch storage, under a progress window with Stop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "container/dependency_container.h"
#include "container/path_walk.h"
#include "engine/related.h"
#include "export/branch_storage.h"
#include "formula/cell_reference.h"
#include "formula/syntax_node_interface.h"
#include "views/population_tree_progress.h"

// Used once: construct, SetKind, SetStorage, SetContainer, SetRoot, Save. The container and the
// storage are borrowed and must outlive Save.
//
// A branch is written once: the first time its cell, rectangle or formula name is met in writing
// order (depth first, each line before what hangs under it) in full, and every later time as its
// line alone, marked as expanded above. A cell that comes round again on its own path is a
// circle: written plainly, once round, and ended there. So the output, and the memory of the
// walk, grow with the workbook and never with the number of paths through it (a lattice of
// formulas has exponentially many). The walk runs on an explicit work list, so the stack stays
// flat however long the workbook's chains are.
class CBranchSavingManager : public CPopulationTreeProgress {
 public:
  CBranchSavingManager();

  // The window's trace kind; kEvaluateFormula saves the evaluate window's tree.
  void SetKind(TraceKind kind) { kind_ = kind; }
  void SetStorage(CBranchStorage* storage) { storage_ = storage; }
  void SetContainer(CDependencyContainer* container) { container_ = container; }
  // With `skipRoot` (the flat lists), the root itself is not written and its children go at
  // depth 1.
  void SetRoot(const CellReference& root, bool skipRoot = false) {
    root_ = root;
    skipRoot_ = skipRoot;
  }

  // Nothing without a kind, a storage and a container, or when the storage cannot open. Stop
  // ends the walk; what was written is closed normally.
  void Save();

 private:
  // Work list items. Iterating ones (rectangle cells, child lists, node children) put themselves
  // back with the next position before the item they hand out, so that item is done first.
  struct EntryTask {
    CellReference entry;
    std::uint32_t depth = 0;
  };
  struct CellTask {
    CellPos cell;
    std::uint32_t depth = 0;
    bool writeSelf = true;
  };
  struct EvaluatedCellTask {
    CellPos cell;
    std::uint32_t depth = 0;
  };
  // Sheet by sheet; each sheet's part of a 3-D rectangle is clamped into that sheet's own used
  // range when the walk reaches it.
  struct RectangleCellsTask {
    CellPos low;  // the corners ordered, before clamping: the span of sheets, columns and rows
    CellPos high;
    CellPos from;  // the current sheet's part, clamped
    CellPos to;
    CellPos next;
    std::uint32_t depth = 0;
  };
  struct ChildrenTask {
    SharedReferenceList list;
    std::size_t next = 0;
    std::uint32_t depth = 0;
  };
  struct NodeTask {
    std::shared_ptr<const ISyntaxNode> tree;  // keeps `node` alive
    const ISyntaxNode* node = nullptr;
    CellPos formulaCell;
    std::uint32_t depth = 0;
  };
  struct NodeChildrenTask {
    std::shared_ptr<const ISyntaxNode> tree;
    const ISyntaxNode* node = nullptr;
    int32_t next = 0;
    CellPos formulaCell;
    std::uint32_t depth = 0;
  };
  using Task = std::variant<EntryTask, CellTask, EvaluatedCellTask, RectangleCellsTask,
                            ChildrenTask, NodeTask, NodeChildrenTask>;

  bool Evaluating() const { return kind_ == TraceKind::kEvaluateFormula; }
  // Whether the branch of `key` was written before and is not on the path being written now.
  bool WrittenAbove(const CellReference& key) const {
    return !walk_.OnPath(key) && written_.contains(key);
  }
  // Marks the branch of `key` written and on the path, and lists its children next.
  void Descend(const CellReference& key, SharedReferenceList list, std::uint32_t depth);
  void PushRectangle(const CellPos& first, const CellPos& last, std::uint32_t depth);
  // Moves the task to the first sheet from `sheet` on that holds some of its cells; false when
  // none does.
  bool ClampSheet(RectangleCellsTask& task, int32_t sheet);
  void WriteName(int32_t nameId, std::uint32_t depth);

  void Run(const EntryTask& task);
  void Run(const CellTask& task);
  void Run(const EvaluatedCellTask& task);
  void Run(RectangleCellsTask& task);
  void Run(ChildrenTask& task);
  void Run(const NodeTask& task);
  void Run(NodeChildrenTask& task);

  CDependencyContainer* container_ = nullptr;  // Borrowed.
  CBranchStorage* storage_ = nullptr;          // Borrowed.
  std::optional<TraceKind> kind_;
  bool skipRoot_ = false;
  CellReference root_;
  // The work list with the branches being written on its path, and every branch whose children
  // were written (the path's among them). Keys: a cell's position as both corners, a
  // rectangle's ordered corners, a formula name's id.
  CPathWalk<Task, CellReference> walk_;
  std::set<CellReference> written_;
};
