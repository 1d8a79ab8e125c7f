// CSyntaxNodeInvocation: a call of the function that an expression returns, as in
// "LAMBDA(x, x+1)(A1)".
#pragma once

#include <string>

#include "formula/syntax_node_with_arguments.h"

// The first child is the expression called (a call that returns a function), the others are the
// arguments it is called with. A call without arguments reads "LAMBDA(1)()".
class CSyntaxNodeInvocation final : public CSyntaxNodeWithArguments {
 protected:
  void ComposeText() override {
    if (StoredChildCount() == 0) return;
    std::wstring text = StoredChild(0)->GetText();
    AppendArgumentList(text, 1);
    text_ = std::move(text);
  }
};
