// ParsedFormula: what the parser keeps of one formula form (or, for formulas that cannot share,
// one formula text), to replay it for every other cell with the same form.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formula/cell_pos.h"
#include "formula/dedup_vector.h"
#include "formula/formula_form.h"
#include "formula/syntax_node.h"
#include "formula/syntax_node_func_call.h"

class CSyntaxNodeAddress;

// One reference of the formula in parse order: a plain reference text (resolved again with
// ResolveReference), a table reference (resolved again against its table for the new cell), or
// an address anchored at the parsed cell (moved to the new cell when the entry is a form's).
struct RecordedReference {
  std::wstring text;
  bool structured = false;
  int32_t anchored = -1;  // index in ParsedFormula::anchored
};

struct RecordedReferenceHash {
  size_t operator()(const RecordedReference& r) const {
    return std::hash<std::wstring_view>{}(r.text) ^ static_cast<size_t>(r.structured);
  }
};
struct RecordedReferenceSame {
  bool operator()(const RecordedReference& a, const RecordedReference& b) const {
    return a.structured == b.structured && (a.anchored < 0) == (b.anchored < 0) &&
           a.text == b.text;
  }
};

// A plain address of this workbook as the parsed cell read it: "B3", "Sheet2!$A1:B$4", "A:C",
// "1:3". Relative parts move with the cell; an address without a sheet is on the cell's sheet.
struct AnchoredAddress {
  static constexpr uint8_t kFirstColumn = 1;
  static constexpr uint8_t kFirstRow = 2;
  static constexpr uint8_t kLastColumn = 4;
  static constexpr uint8_t kLastRow = 8;

  CellPos first;  // at ParsedFormula::origin
  CellPos last;
  uint8_t relative = 0;  // the k* parts that move
  FormAddressKind kind = FormAddressKind::Cell;
  bool twoCorners = false;    // "A1:B2" rather than "A1"
  bool followsSheet = false;  // no sheet written
  std::wstring qualifier;     // "Sheet2!" as written, or empty

  CellPos Corner(const CellPos& corner, uint8_t columnBit, uint8_t rowBit, const CellPos& from,
                 const CellPos& to) const {
    CellPos moved = corner;
    if ((relative & columnBit) != 0) moved.column += to.column - from.column;
    if ((relative & rowBit) != 0) moved.row += to.row - from.row;
    if (followsSheet) moved.sheet = to.sheet;
    return moved;
  }
  CellPos FirstAt(const CellPos& from, const CellPos& to) const {
    return Corner(first, kFirstColumn, kFirstRow, from, to);
  }
  CellPos LastAt(const CellPos& from, const CellPos& to) const {
    return Corner(last, kLastColumn, kLastRow, from, to);
  }
};

// An address node of the tree and the anchored address it shows.
struct AnchoredNode {
  CSyntaxNodeAddress* node;  // owned by the tree
  uint32_t anchored;
};

// Invariant: replaying `references` in order for the cell that was parsed yields the same
// reference list as the parse did, before the reference-returning calls are evaluated.
struct ParsedFormula {
  CDedupVector<RecordedReference, RecordedReferenceHash, RecordedReferenceSame> references;
  std::vector<AnchoredAddress> anchored;
  std::vector<AnchoredNode> anchoredNodes;
  CellPos origin;    // the cell parsed
  CellPos treeCell;  // the cell the tree's address nodes show
  bool columnPairs = false;  // some anchored address is a moving "A:C", which a name may spell
  // Calls of ReferenceFunctions with arguments, inner calls before the calls around them. They
  // are held here as well as in the tree, so that a memo hit finds them without a walk.
  std::vector<std::shared_ptr<CSyntaxNodeFuncCall>> referenceCalls;
  std::shared_ptr<CSyntaxNode> root;
};
