// CSyntaxNodeFuncCall: a function call; its children are its arguments.
#pragma once

#include <string>
#include <string_view>

#include "formula/syntax_node_with_arguments.h"

// The text is NAME(arg, arg) with the name as written. Children whose origin has bit 0 or 1 set
// are not arguments of the written call and are left out of it.
class CSyntaxNodeFuncCall final : public CSyntaxNodeWithArguments {
 public:
  explicit CSyntaxNodeFuncCall(std::wstring_view name) : name_(name) {}

  const std::wstring& Name() const { return name_; }

 protected:
  void ComposeText() override;

 private:
  std::wstring name_;
};
