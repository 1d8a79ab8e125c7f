// Text of a function call.
#include "formula/syntax_node_func_call.h"

void CSyntaxNodeFuncCall::ComposeText() {
  std::wstring text = name_;
  AppendArgumentList(text, 0);
  text_ = std::move(text);
}
