// The common node: children, text rebuilding, and destruction without deep recursion.
#include "formula/syntax_node.h"

#include <new>
#include <utility>

CSyntaxNode::~CSyntaxNode() {
  if (children_.empty() && !resolved_) return;
  // Nodes that only this subtree holds are emptied one by one from a flat list, so that each
  // destructor below runs on a node without links. Nodes shared with someone else are merely
  // released. Should the list itself fail to grow, the rest is left to plain recursion.
  std::vector<std::shared_ptr<CSyntaxNode>> pending;
  try {
    ReleaseLinksInto(pending);
    while (!pending.empty()) {
      std::shared_ptr<CSyntaxNode> node = std::move(pending.back());
      pending.pop_back();
      if (node && node.use_count() == 1) node->ReleaseLinksInto(pending);
    }
  } catch (const std::bad_alloc&) {
  }
}

void CSyntaxNode::ReleaseLinksInto(std::vector<std::shared_ptr<CSyntaxNode>>& pending) {
  pending.reserve(pending.size() + children_.size() + 1);
  for (auto& child : children_) pending.push_back(std::move(child));
  children_.clear();
  if (resolved_) pending.push_back(std::move(resolved_));
}

void CSyntaxNode::AddChild(std::shared_ptr<CSyntaxNode> child) {
  if (child) {
    children_.push_back(std::move(child));
  } else {
    NoteMissingChild();
  }
}

const ISyntaxNode* CSyntaxNode::GetChild(int32_t index) const {
  if (index < 0) return nullptr;
  return StoredChildOrNull(static_cast<size_t>(index));
}

void CSyntaxNode::RebuildText() {
  struct Frame {
    CSyntaxNode* node;
    size_t next;
  };
  std::vector<Frame> stack;
  stack.push_back({this, 0});
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next < top.node->children_.size()) {
      CSyntaxNode* child = top.node->children_[top.next++].get();
      stack.push_back({child, 0});
    } else {
      top.node->ComposeText();
      stack.pop_back();
    }
  }
}
