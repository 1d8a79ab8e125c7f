// CReferenceList: the references of one formula, without duplicates.
#pragma once

#include <cstddef>

#include "formula/cell_reference.h"
#include "formula/dedup_vector.h"

struct CellReferenceIdentityHash {
  size_t operator()(const CellReference& reference) const;
};
struct CellReferenceIdentity {
  bool operator()(const CellReference& a, const CellReference& b) const {
    return a.IsIdenticalTo(b);
  }
};

// Identity is CellReference::IsIdenticalTo: the first of several identical references is kept,
// with its flags.
using CReferenceList =
    CDedupVector<CellReference, CellReferenceIdentityHash, CellReferenceIdentity>;
