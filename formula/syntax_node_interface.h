// ISyntaxNode: the read-only view of one node of a formula's syntax tree.
#pragma once

#include <cstdint>
#include <string>

#include "formula/cell_reference.h"

// Values of GetNodeType.
enum NodeType : int32_t {
  NodeOperatorToken = 1,  // the operator inside a binary or unary operator node
  NodeExpression = 2,     // operators, brackets, function calls
  NodeConstant = 3,       // numbers, strings, TRUE, FALSE, array constants, stray tokens
  NodeReference = 4,      // references
};

// Values of GetOrigin. Readers test single bits: function-call text leaves out children with
// bit 0 or bit 1 set, and bit 2 (no node has it) selects a distinct image in the evaluate view.
constexpr int32_t OriginParsed = 0;
constexpr int32_t OriginEvaluated = 3;  // the evaluated target of OFFSET, INDIRECT and the like

// Seven operations in a fixed order, the same for every node class. Operators appear as
// children of their own so that a view can list left operand, operator and right operand in
// order. Returned nodes are owned by the tree and live as long as it does.
class ISyntaxNode {
 public:
  virtual int32_t GetChildCount() const = 0;
  // The child at the index, or null (an operand the parser did not build is missing).
  virtual const ISyntaxNode* GetChild(int32_t index) const = 0;
  virtual const std::wstring& GetText() const = 0;
  virtual int32_t GetNodeType() const = 0;
  virtual int32_t GetOrigin() const = 0;
  virtual const ISyntaxNode* GetResolvedNode() const = 0;
  // Reference nodes copy their reference out; every other node leaves the argument untouched.
  virtual void GetReference(CellReference& reference) const = 0;

 protected:
  ~ISyntaxNode() = default;
};
