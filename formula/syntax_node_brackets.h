// CSyntaxNodeBrackets: a parenthesised expression.
#pragma once

#include "formula/syntax_node.h"

// The enclosed expression is the first stored child; "()" around nothing keeps an empty text.
class CSyntaxNodeBrackets final : public CSyntaxNode {
 public:
  int32_t GetNodeType() const override { return NodeExpression; }

 protected:
  void ComposeText() override {
    // Empty brackets stay in the text, so that it reads back to the same tree.
    text_ = StoredChildCount() == 0 ? L"()" : L'(' + StoredChild(0)->GetText() + L')';
  }
};
