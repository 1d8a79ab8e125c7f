// CSyntaxNodeBinOpr: a binary operator with its two operands.
#pragma once

#include <string_view>

#include "formula/syntax_node.h"
#include "formula/syntax_node_impl.h"

// Readers always see three children: left operand, the operator token, right operand. The
// operands are the first two stored children; when the parser could not build one, the other
// is the only stored child, the missing slot reads as null and the text is not composed.
class CSyntaxNodeBinOpr final : public CSyntaxNode {
 public:
  explicit CSyntaxNodeBinOpr(std::wstring_view op) : token_(op) {}

  const ISyntaxNodeImpl& Operator() const { return token_; }

  int32_t GetChildCount() const override { return 3; }
  const ISyntaxNode* GetChild(int32_t index) const override {
    if (index == 0) return StoredChildOrNull(0);
    if (index == 1) return &token_;
    if (index == 2) return StoredChildOrNull(1);
    return nullptr;
  }
  int32_t GetNodeType() const override { return NodeExpression; }

 protected:
  void ComposeText() override {
    if (StoredChildCount() != 2) return;
    text_ = StoredChild(0)->GetText() + token_.GetText() + StoredChild(1)->GetText();
  }

 private:
  ISyntaxNodeImpl token_;
};
