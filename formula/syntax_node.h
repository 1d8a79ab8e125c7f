// CSyntaxNode: the common node of the syntax tree, used as it is for constants.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formula/syntax_node_interface.h"

// Invariants: no stored child is null; children and the resolved node are shared and owned by
// their parent (the root by the parser's memo). The resolved node is not a child: text
// composition and the walks over child links do not visit it.
//
// Trees may be as deep as the formula is long (a chain of "+" is a left-deep list), so nothing
// here recurses over the tree: RebuildText walks an explicit stack and destruction flattens the
// nodes it alone owns.
class CSyntaxNode : public ISyntaxNode {
 public:
  explicit CSyntaxNode(std::wstring text = {}) : text_(std::move(text)) {}
  CSyntaxNode(const CSyntaxNode&) = delete;
  CSyntaxNode& operator=(const CSyntaxNode&) = delete;
  virtual ~CSyntaxNode();

  // Recomposes the text of every node below, then this node's, depth first in child order.
  virtual void RebuildText();

  void AddChild(std::shared_ptr<CSyntaxNode> child);
  void SetResolvedNode(std::shared_ptr<CSyntaxNode> node) { resolved_ = std::move(node); }
  void SetOrigin(int32_t origin) { origin_ = origin; }
  size_t StoredChildCount() const { return children_.size(); }
  CSyntaxNode* StoredChild(size_t index) const { return children_[index].get(); }

  int32_t GetChildCount() const override { return static_cast<int32_t>(children_.size()); }
  const ISyntaxNode* GetChild(int32_t index) const override;
  const std::wstring& GetText() const override { return text_; }
  int32_t GetNodeType() const override { return NodeConstant; }
  int32_t GetOrigin() const override { return origin_; }
  const ISyntaxNode* GetResolvedNode() const override { return resolved_.get(); }
  void GetReference(CellReference&) const override {}

 protected:
  // This node's own text from its children's (already rebuilt) texts; constants keep theirs.
  virtual void ComposeText() {}
  // AddChild was given no node: the parser could not build that child.
  virtual void NoteMissingChild() {}
  const CSyntaxNode* StoredChildOrNull(size_t index) const {
    return index < children_.size() ? children_[index].get() : nullptr;
  }

  std::wstring text_;

 private:
  // Moves this node's links into `pending`, leaving the node without children.
  void ReleaseLinksInto(std::vector<std::shared_ptr<CSyntaxNode>>& pending);

  std::vector<std::shared_ptr<CSyntaxNode>> children_;
  std::shared_ptr<CSyntaxNode> resolved_;
  int32_t origin_ = OriginParsed;
};
