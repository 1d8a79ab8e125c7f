// The in-memory tree: nodes linked to parent and siblings, found by handle.
#include "views/trace_tree.h"

#include <vector>

CTraceTree::CTraceTree() {
  nodes_.emplace(kRootItem, Node{});
}

const CTraceTree::Node* CTraceTree::Find(TreeItem item) const {
  const auto found = nodes_.find(item);
  return found == nodes_.end() ? nullptr : &found->second;
}

TreeItem CTraceTree::InsertChild(TreeItem parent, int32_t image, std::optional<std::wstring> text) {
  const auto found = nodes_.find(parent);
  if (found == nodes_.end()) return kNoItem;
  const TreeItem item = nextHandle_++;
  Node node;
  node.parent = parent;
  node.image = image;
  node.text = std::move(text);
  node.previous = found->second.lastChild;
  if (node.previous != kNoItem) {
    nodes_.at(node.previous).next = item;
  } else {
    found->second.firstChild = item;
  }
  found->second.lastChild = item;
  nodes_.emplace(item, std::move(node));
  return item;
}

void CTraceTree::DeleteItem(TreeItem item) {
  if (item == kRootItem) {
    // The root stays; only what hangs under it goes.
    while (nodes_.at(kRootItem).firstChild != kNoItem) DeleteItem(nodes_.at(kRootItem).firstChild);
    return;
  }
  const auto found = nodes_.find(item);
  if (found == nodes_.end()) return;
  Node& node = found->second;
  Node& parent = nodes_.at(node.parent);
  if (node.previous != kNoItem) nodes_.at(node.previous).next = node.next;
  if (node.next != kNoItem) nodes_.at(node.next).previous = node.previous;
  if (parent.firstChild == item) parent.firstChild = node.next;
  if (parent.lastChild == item) parent.lastChild = node.previous;

  // A work list, not recursion: a subtree can be as deep as a workbook's longest chain.
  std::vector<TreeItem> pending{item};
  while (!pending.empty()) {
    const TreeItem current = pending.back();
    pending.pop_back();
    const auto at = nodes_.find(current);
    for (TreeItem child = at->second.firstChild; child != kNoItem; child = nodes_.at(child).next) {
      pending.push_back(child);
    }
    if (selected_ == current) selected_ = kNoItem;
    nodes_.erase(at);
  }
}

TreeItem CTraceTree::FirstChild(TreeItem item) const {
  const Node* node = Find(item);
  return node == nullptr ? kNoItem : node->firstChild;
}

TreeItem CTraceTree::NextSibling(TreeItem item) const {
  const Node* node = Find(item);
  return node == nullptr ? kNoItem : node->next;
}

TreeItem CTraceTree::Parent(TreeItem item) const {
  const Node* node = Find(item);
  return node == nullptr ? kNoItem : node->parent;
}

void CTraceTree::Expand(TreeItem item) {
  if (Find(item) == nullptr || IsExpanded(item)) return;
  if (expanding_) expanding_(item);
  // The handler may have deleted the item.
  const auto found = nodes_.find(item);
  if (found != nodes_.end() && found->second.firstChild != kNoItem) found->second.expanded = true;
}

void CTraceTree::Collapse(TreeItem item) {
  const auto found = nodes_.find(item);
  if (found != nodes_.end()) found->second.expanded = false;
}

bool CTraceTree::IsExpanded(TreeItem item) const {
  const Node* node = Find(item);
  return node != nullptr && node->expanded;
}

int32_t CTraceTree::Image(TreeItem item) const {
  const Node* node = Find(item);
  return node == nullptr ? -1 : node->image;
}

std::optional<std::wstring> CTraceTree::Text(TreeItem item) const {
  const Node* node = Find(item);
  return node == nullptr ? std::nullopt : node->text;
}

void CTraceTree::SetText(TreeItem item, std::wstring text) {
  const auto found = nodes_.find(item);
  if (found != nodes_.end()) found->second.text = std::move(text);
}
