// Text of a function call.
#include "formula/syntax_node_func_call.h"

namespace {

// The argument separator of English formulas, followed by one space as the tree shows it.
constexpr std::wstring_view kArgumentSeparator = L", ";
constexpr int32_t kNotAnArgumentBits = 0x3;

}  // namespace

void CSyntaxNodeFuncCall::ComposeText() {
  std::wstring text = name_;
  text.push_back(L'(');
  bool firstArgument = true;
  for (size_t i = 0; i < StoredChildCount(); ++i) {
    const CSyntaxNode* child = StoredChild(i);
    if ((child->GetOrigin() & kNotAnArgumentBits) != 0) continue;
    if (!firstArgument) text += kArgumentSeparator;
    text += child->GetText();
    firstArgument = false;
  }
  text.push_back(L')');
  text_ = std::move(text);
}
