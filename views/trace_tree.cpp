// The in-memory tree: nodes in one array by handle, linked to parent and siblings.
#include "views/trace_tree.h"

#include <limits>
#include <new>

CTraceTree::CTraceTree(DeferredTexts deferred) : nodes_(2), live_(1), deferred_(deferred) {
  nodes_[kRootItem].alive = true;
}

const CTraceTree::Node* CTraceTree::Find(TreeItem item) const {
  if (item >= nodes_.size() || !nodes_[item].alive) return nullptr;
  return &nodes_[item];
}

CTraceTree::Node* CTraceTree::Find(TreeItem item) {
  if (item >= nodes_.size() || !nodes_[item].alive) return nullptr;
  return &nodes_[item];
}

uint32_t CTraceTree::Intern(std::wstring text) {
  const auto found = textIndex_.find(text);
  if (found != textIndex_.end()) return found->second;
  const auto index = static_cast<uint32_t>(texts_.size());
  texts_.push_back(&textIndex_.emplace(std::move(text), index).first->first);
  return index;
}

TreeItem CTraceTree::InsertChild(TreeItem parent, int32_t image, std::optional<std::wstring> text) {
  if (Find(parent) == nullptr) return kNoItem;
  // Handles are 32-bit indices inside; a tree of four billion items is out of reach anyway.
  if (nodes_.size() >= std::numeric_limits<uint32_t>::max() - 1) throw std::bad_alloc();
  const auto item = static_cast<uint32_t>(nodes_.size());
  Node node;
  node.parent = static_cast<uint32_t>(parent);
  node.image = image;
  node.alive = true;
  if (text) node.text = Intern(std::move(*text));
  Node& up = nodes_[parent];
  node.previous = up.lastChild;
  if (node.previous != kNone) {
    nodes_[node.previous].next = item;
  } else {
    up.firstChild = item;
  }
  up.lastChild = item;
  nodes_.push_back(node);
  ++live_;
  return item;
}

void CTraceTree::DeleteItem(TreeItem item) {
  if (item == kRootItem) {
    // The root stays; only what hangs under it goes.
    while (nodes_[kRootItem].firstChild != kNone) DeleteItem(nodes_[kRootItem].firstChild);
    return;
  }
  Node* node = Find(item);
  if (node == nullptr) return;
  Node& parent = nodes_[node->parent];
  if (node->previous != kNone) nodes_[node->previous].next = node->next;
  if (node->next != kNone) nodes_[node->next].previous = node->previous;
  if (parent.firstChild == item) parent.firstChild = node->next;
  if (parent.lastChild == item) parent.lastChild = node->previous;

  // A work list, not recursion: a subtree can be as deep as a workbook's longest chain.
  std::vector<uint32_t> pending{static_cast<uint32_t>(item)};
  while (!pending.empty()) {
    const uint32_t current = pending.back();
    pending.pop_back();
    for (uint32_t child = nodes_[current].firstChild; child != kNone; child = nodes_[child].next) {
      pending.push_back(child);
    }
    if (selected_ == current) selected_ = kNoItem;
    nodes_[current] = Node{};
    --live_;
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
  Node* node = Find(item);
  if (node != nullptr && node->firstChild != kNone) node->expanded = true;
}

void CTraceTree::Collapse(TreeItem item) {
  if (Node* node = Find(item)) node->expanded = false;
}

bool CTraceTree::IsExpanded(TreeItem item) const {
  const Node* node = Find(item);
  return node != nullptr && node->expanded;
}

int32_t CTraceTree::Image(TreeItem item) const {
  const Node* node = Find(item);
  return node == nullptr ? -1 : node->image;
}

bool CTraceTree::HasText(TreeItem item) const {
  const Node* node = Find(item);
  return node != nullptr && node->text != kNoText;
}

bool CTraceTree::TextIs(TreeItem item, const std::wstring& text) const {
  const Node* node = Find(item);
  return node != nullptr && node->text != kNoText && *texts_[node->text] == text;
}

std::optional<std::wstring> CTraceTree::Text(TreeItem item) const {
  const Node* node = Find(item);
  if (node == nullptr || node->text == kNoText) return std::nullopt;
  return *texts_[node->text];
}

void CTraceTree::SetText(TreeItem item, std::wstring text) {
  Node* node = Find(item);
  if (node == nullptr) return;
  if (node->text == kNoText && deferred_ == DeferredTexts::kDropped) return;
  node->text = Intern(std::move(text));
}
