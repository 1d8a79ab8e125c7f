// CSyntaxNodeBinOpr: a binary operator with its two operands.
#pragma once

#include <string_view>

#include "formula/syntax_node.h"
#include "formula/syntax_node_impl.h"

// Readers always see three children: left operand, the operator token, right operand. The
// operands are the first two stored children; when the parser could not build one, the other
// is the only stored child and the missing slot reads as null; the text leaves the missing
// operand out and keeps the rest, so that no reference vanishes from it.
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
  void NoteMissingChild() override {
    if (StoredChildCount() == 0) leftMissing_ = true;
  }
  void ComposeText() override {
    if (StoredChildCount() == 2) {
      text_ = StoredChild(0)->GetText() + token_.GetText() + StoredChild(1)->GetText();
    } else if (StoredChildCount() == 0) {
      text_ = token_.GetText();
    } else if (leftMissing_) {
      text_ = token_.GetText() + StoredChild(0)->GetText();
    } else {
      text_ = StoredChild(0)->GetText() + token_.GetText();
    }
  }

 private:
  ISyntaxNodeImpl token_;
  bool leftMissing_ = false;
};
