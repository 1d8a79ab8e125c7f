// CTraceWindowLogic: what the trace window decides without a window: its title, the texts of
// its value and formula boxes, which commands are enabled, the find toolbar's state, and the
// search for a cell in the branch of the selected item.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "container/dependency_container.h"
#include "engine/related.h"
#include "formula/cell_reference.h"
#include "platform/message_sink.h"
#include "views/trace_filler.h"
#include "views/tree_structure.h"

inline constexpr const wchar_t* kInvalidFindAddressMessage =
    L"Entered address is invalid or contains link to external workbook.";
inline constexpr const wchar_t* kNoPathMessageFormat =
    L"Path between cells %s and %s was not found.";
inline constexpr const wchar_t* kFindProgressTitle = L"Trelvane";
inline constexpr const wchar_t* kFindProgressMessage =
    L"Expanding tree (press Stop button to interrupt) ...";

// The word that names a kind in a window title; empty for the kinds with a fixed title.
std::wstring TraceKindWord(TraceKind kind);
// The title before filling: fixed for the flat lists, else the root's text, " - " and the kind
// word. The root's text is its defined name, or its sheet-qualified address.
std::wstring TraceWindowTitle(const CDependencyContainer& container, const CellReference& root,
                              TraceKind kind);
// The trace window's enabling rule; `selected` is the selected item's node-map entry or null.
bool TraceCommandEnabled(int32_t command, const CellReference* selected);
// The pixel height of the formula box for a text: border plus one line per line feed, plus one.
int32_t FormulaBoxHeight(const std::wstring& formula, int32_t lineHeight, int32_t boxBorder);
// The address of Excel's selection as the find box and Copy Address take it: absolute, with the
// sheet name always in apostrophes (those inside it doubled), 'Sheet1'!$B$3:$C$4; false when
// there is no address.
bool SelectionAddressText(const ExcelObject& application, std::wstring* text);

struct BoxTexts {
  std::wstring value;
  std::wstring formula;
};

enum class FindOutcome {
  kNothingToDo,     // empty text, no usable selected item, or the target is that item
  kInvalidAddress,  // the message kInvalidFindAddressMessage was shown
  kNoPath,          // the no-path message was shown
  kReached,         // the target's item is selected
  kNotReached,      // a path exists but the walk ended early (Stop, or the tree differs)
};

struct FindResult {
  FindOutcome outcome = FindOutcome::kNothingToDo;
  TreeItem item = kNoItem;  // the target's item when reached
  std::wstring message;     // what was shown to the user, if anything
};

// Borrows the container, the tree and the filler, which outlive it. The walk of a found path
// keeps the filler's expansion switch cleared, so that the tree's expanding notifications fill
// nothing while the walk fills the items itself.
class CTraceWindowLogic {
 public:
  CTraceWindowLogic(CDependencyContainer& container, ITreeStructure& tree, CTraceFiller& filler);

  // Hands the root and kind to the filler as well.
  void SetRoot(const CellReference& root, TraceKind kind, int32_t colorIndex = 0);
  // Where the two find messages go; none shows nothing (they are still in the result).
  void SetMessageSink(IMessageSink* sink) { messages_ = sink; }

  // Fills (or refills) the tree and sets the boxes to the root.
  void Fill();
  void Refresh();
  const std::wstring& Title() const { return title_; }

  const BoxTexts& Boxes() const { return boxes_; }
  // Selection or double click: the boxes show the item's Value and Formula columns.
  void ShowItemInBoxes(TreeItem item);

  bool IsCommandEnabled(int32_t command) const;
  // Selections of the program's own making (filling, walking) must not move Excel's.
  bool SelectInExcelEnabled() const { return !walking_ && filler_.SelectInExcelEnabled(); }

  void ToggleHighlightErrors();
  // Refreshes, as the filter changes what the tree holds.
  void ToggleFilterHighlighted();
  void ToggleFindToolbar() { findToolbarVisible_ = !findToolbarVisible_; }
  bool FindToolbarVisible() const { return findToolbarVisible_; }

  // Enter in the find box: the text is read with the root's first corner as the current cell
  // and searched in the branch of the selected item.
  FindResult FindText(const std::wstring& text);
  // Searches for a chain of related cells from `from`'s reference to the target and walks the
  // tree along it, opening items as it goes; hides the find toolbar afterwards.
  FindResult FindInBranch(TreeItem from, const CellReference& target);
  // Walks from `from` along `path` (single cells, from a cell of `from` to the target) and
  // answers the item of the path's last element, or kNoItem.
  TreeItem WalkPath(TreeItem from, const std::vector<CellReference>& path);

 private:
  void SetBoxesToRoot();
  void Show(const std::wstring& message);
  // Fills a placeholder's item although expansion is switched off for the walk.
  void FillItem(TreeItem item);

  CDependencyContainer& container_;
  ITreeStructure& tree_;
  CTraceFiller& filler_;
  IMessageSink* messages_ = nullptr;
  CellReference root_;
  TraceKind kind_ = TraceKind::kPrecedents;
  std::wstring title_;
  BoxTexts boxes_;
  bool findToolbarVisible_ = false;
  bool walking_ = false;
};
