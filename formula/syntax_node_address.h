// CSyntaxNodeAddress: a reference in the syntax tree.
#pragma once

#include <string>
#include <string_view>

#include "formula/cell_reference.h"
#include "formula/syntax_node.h"

// Shows the normalised text when there is one (the parsed area written back, for formulas whose
// reference-returning calls are evaluated), else the text as written. On a tree shared by
// several cells the reference and normalised text are those of the cell last computed.
class CSyntaxNodeAddress final : public CSyntaxNode {
 public:
  explicit CSyntaxNodeAddress(std::wstring_view writtenText)
      : CSyntaxNode(std::wstring(writtenText)), writtenText_(writtenText) {}

  const std::wstring& WrittenText() const { return writtenText_; }
  // A tree shared by cells of one form shows the cell asked for; the text is rebuilt after.
  void SetWrittenText(std::wstring_view text) { writtenText_.assign(text); }
  const std::wstring& NormalisedText() const { return normalisedText_; }
  void SetNormalisedText(std::wstring text) { normalisedText_ = std::move(text); }
  const CellReference& Reference() const { return reference_; }
  void SetReference(CellReference reference) { reference_ = std::move(reference); }

  int32_t GetNodeType() const override { return NodeReference; }
  void GetReference(CellReference& reference) const override { reference = reference_; }

 protected:
  void ComposeText() override { text_ = normalisedText_.empty() ? writtenText_ : normalisedText_; }

 private:
  std::wstring writtenText_;
  std::wstring normalisedText_;
  CellReference reference_;
};
