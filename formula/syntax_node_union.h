// CSyntaxNodeUnion: Excel's union of references, a parenthesised list such as "(A1:B2,D4)".
#pragma once

#include <string>

#include "formula/syntax_node.h"

// The children are the parts in order. The text keeps the brackets, which make the list one
// operand: without them its commas would read as argument separators, so "(A1:B2,D4)" is the
// smallest text that means the union.
class CSyntaxNodeUnion final : public CSyntaxNode {
 public:
  int32_t GetNodeType() const override { return NodeExpression; }

 protected:
  void ComposeText() override {
    std::wstring text(1, L'(');
    for (size_t i = 0; i < StoredChildCount(); ++i) {
      if (i > 0) text.push_back(L',');
      text += StoredChild(i)->GetText();
    }
    text.push_back(L')');
    text_ = std::move(text);
  }
};
