// CSyntaxNodeWithArguments: the common part of the nodes written with an argument list, function
// calls and calls of what a call returns.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "formula/syntax_node.h"

// An empty argument ("IF(c,,x)", "SUM(A1,)") is no child: readers of the tree see only the
// arguments written, as before. Its place is remembered so that the rebuilt text keeps every
// argument where it was written, which changes what the call means ("IF(A1=2,5,)" is 0 where
// "IF(A1=2,5)" is FALSE).
class CSyntaxNodeWithArguments : public CSyntaxNode {
 public:
  int32_t GetNodeType() const override { return NodeExpression; }

  // An empty argument at the next position, after the children added so far.
  void AddEmptyArgument() { emptyBefore_.push_back(StoredChildCount()); }
  size_t EmptyArgumentCount() const { return emptyBefore_.size(); }

 protected:
  // "(a, b,, d)": the stored children from `firstChild` on with the empty arguments in their
  // places. Children whose origin has bit 0 or 1 set are not arguments of the written call.
  void AppendArgumentList(std::wstring& text, size_t firstChild) const;

 private:
  // For each empty argument, the number of children stored before it; ascending.
  std::vector<size_t> emptyBefore_;
};
