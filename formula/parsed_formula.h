// ParsedFormula: what the parser keeps of one distinct formula text, to replay it for every
// other cell with the same text.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formula/dedup_vector.h"
#include "formula/syntax_node.h"
#include "formula/syntax_node_func_call.h"

// One reference text of the formula in parse order: a plain reference text (resolved again with
// ResolveReference) or a table reference (resolved again against its table for the new cell).
struct RecordedReference {
  std::wstring text;
  bool structured = false;
};

struct RecordedReferenceHash {
  size_t operator()(const RecordedReference& r) const {
    return std::hash<std::wstring_view>{}(r.text) ^ static_cast<size_t>(r.structured);
  }
};
struct RecordedReferenceSame {
  bool operator()(const RecordedReference& a, const RecordedReference& b) const {
    return a.structured == b.structured && a.text == b.text;
  }
};

// Invariant: replaying `references` in order for the cell that was parsed yields the same
// reference list as the parse did, before the reference-returning calls are evaluated.
struct ParsedFormula {
  CDedupVector<RecordedReference, RecordedReferenceHash, RecordedReferenceSame> references;
  // Calls of ReferenceFunctions with arguments, inner calls before the calls around them. They
  // are held here as well as in the tree, so that a memo hit finds them without a walk.
  std::vector<std::shared_ptr<CSyntaxNodeFuncCall>> referenceCalls;
  std::shared_ptr<CSyntaxNode> root;
};
