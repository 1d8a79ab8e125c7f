// CSyntaxNodeUnOpr: a prefix "-" or "+" with its operand.
#pragma once

#include <string_view>

#include "formula/syntax_node.h"
#include "formula/syntax_node_impl.h"

// Readers see two children: the operand (null when the parser built none) and the token.
class CSyntaxNodeUnOpr final : public CSyntaxNode {
 public:
  explicit CSyntaxNodeUnOpr(std::wstring_view op) : token_(op) {}

  const ISyntaxNodeImpl& Operator() const { return token_; }

  int32_t GetChildCount() const override { return 2; }
  const ISyntaxNode* GetChild(int32_t index) const override {
    if (index == 0) return StoredChildOrNull(0);
    if (index == 1) return &token_;
    return nullptr;
  }
  int32_t GetNodeType() const override { return NodeExpression; }

 protected:
  void ComposeText() override {
    // Without an operand the sign alone, so that the text reads back to the same tree.
    text_ = token_.GetText();
    if (StoredChildCount() != 0) text_ += StoredChild(0)->GetText();
  }

 private:
  ISyntaxNodeImpl token_;
};
