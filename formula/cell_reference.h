// CellReference: the element of every reference list, with its flags, ordering and identity.
#pragma once

#include <cstdint>
#include <string>

#include "formula/cell_pos.h"

// Flag bits of CellReference::flags.
constexpr uint32_t RefDynamic = 0x1;        // found by evaluating OFFSET, INDIRECT and the like
constexpr uint32_t RefArrayRange = 0x2;     // the whole range of an array formula
constexpr uint32_t RefStructured = 0x4;     // a table reference
constexpr uint32_t RefInvalid = 0x8;        // the text names no cell
constexpr uint32_t RefNameNotRange = 0x10;  // a defined name that is a constant or a formula
// RefInvalid is never set alone: unreadable text sets all four low bits, so that readers testing
// any of them skip the reference.
constexpr uint32_t kRefUnreadable = RefDynamic | RefArrayRange | RefStructured | RefInvalid;

// Invariants: a reference with externalId != 0 carries no coordinates (all six are 0); text is
// empty for plain addresses and external references and holds the written text for names,
// table references and unreadable text. Corners come as written; nothing reorders them.
struct CellReference {
  int32_t nameId = 0;      // defined-name id of the name table, from 1; 0 when not a name
  int32_t externalId = 0;  // id in the external table; 0 for the own workbook
  uint32_t flags = 0;
  CellPos first;
  CellPos last;
  std::wstring text;

  bool IsSingleCell() const { return first == last; }
  // Whether the reference covers the cell. Names that are not ranges, external references and
  // the no-cell positions are never contained.
  bool Contains(const CellPos& pos) const;
  // The identity used to keep reference lists free of duplicates: corners, text, name and
  // external id; flags do not take part.
  bool IsIdenticalTo(const CellReference& other) const;
};

// Ordering for sorted lists and maps: external references first (by id), then names (by id),
// then by the six coordinates. Flags and text do not take part, so references that differ only
// in those are equivalent.
bool operator<(const CellReference& a, const CellReference& b);
