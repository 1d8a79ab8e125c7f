// ISyntaxNodeImpl: the operator token inside a binary or unary operator node.
#pragma once

#include <string>
#include <string_view>

#include "formula/syntax_node_interface.h"

// Never allocated on its own: each operator node embeds one, which lives and dies with it.
class ISyntaxNodeImpl final : public ISyntaxNode {
 public:
  explicit ISyntaxNodeImpl(std::wstring_view text) : text_(text) {}

  int32_t GetChildCount() const override { return 0; }
  const ISyntaxNode* GetChild(int32_t) const override { return nullptr; }
  const std::wstring& GetText() const override { return text_; }
  int32_t GetNodeType() const override { return NodeOperatorToken; }
  int32_t GetOrigin() const override { return OriginParsed; }
  const ISyntaxNode* GetResolvedNode() const override { return nullptr; }
  void GetReference(CellReference&) const override {}

 private:
  std::wstring text_;
};
