// CSyntaxNodeBrackets: a parenthesised expression.
#pragma once

#include "formula/syntax_node.h"

// The enclosed expression is the first stored child; "()" around nothing keeps an empty text.
class CSyntaxNodeBrackets final : public CSyntaxNode {
 public:
  int32_t GetNodeType() const override { return NodeExpression; }

 protected:
  void ComposeText() override {
    if (StoredChildCount() == 0) return;
    text_ = L'(' + StoredChild(0)->GetText() + L')';
  }
};
