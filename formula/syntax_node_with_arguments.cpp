// Text of an argument list, with its empty arguments in place.
#include "formula/syntax_node_with_arguments.h"

#include <string_view>

namespace {

constexpr int32_t kNotAnArgumentBits = 0x3;

}  // namespace

void CSyntaxNodeWithArguments::AppendArgumentList(std::wstring& text, size_t firstChild) const {
  text.push_back(L'(');
  bool first = true;
  // English list separator; one space after it as the tree shows calls, none before an empty
  // argument, as Excel writes "IF(c,, x)".
  const auto append = [&](std::wstring_view argument) {
    if (!first) {
      text.push_back(L',');
      if (!argument.empty()) text.push_back(L' ');
    }
    text += argument;
    first = false;
  };
  size_t empty = 0;
  for (size_t i = firstChild;; ++i) {
    for (; empty < emptyBefore_.size() && emptyBefore_[empty] <= i; ++empty) append({});
    if (i >= StoredChildCount()) break;
    const CSyntaxNode* child = StoredChild(i);
    if ((child->GetOrigin() & kNotAnArgumentBits) == 0) append(child->GetText());
  }
  text.push_back(L')');
}
