// CTraceTree: a tree held in memory, for the command line and for tests of trace filling.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>

#include "views/tree_structure.h"

class CTraceTree final : public ITreeStructure {
 public:
  CTraceTree();

  TreeItem Root() const override { return kRootItem; }
  TreeItem InsertChild(TreeItem parent, int32_t image, std::optional<std::wstring> text) override;
  void DeleteItem(TreeItem item) override;
  TreeItem FirstChild(TreeItem item) const override;
  TreeItem NextSibling(TreeItem item) const override;
  TreeItem Parent(TreeItem item) const override;
  // Tells the expanding handler first, as a tree control notifies its owner.
  void Expand(TreeItem item) override;
  void Select(TreeItem item) override { selected_ = item; }
  TreeItem Selected() const override { return selected_; }
  std::optional<std::wstring> Text(TreeItem item) const override;
  void SetText(TreeItem item, std::wstring text) override;
  void SetRedraw(bool redraw) override { redraw_ = redraw; }

  void Collapse(TreeItem item);
  bool IsExpanded(TreeItem item) const;
  int32_t Image(TreeItem item) const;
  bool Redraws() const { return redraw_; }
  // Items other than the root.
  size_t Size() const { return nodes_.size() - 1; }
  void SetExpandingHandler(std::function<void(TreeItem)> handler) {
    expanding_ = std::move(handler);
  }

 private:
  static constexpr TreeItem kRootItem = 1;

  struct Node {
    TreeItem parent = kNoItem;
    TreeItem firstChild = kNoItem;
    TreeItem lastChild = kNoItem;
    TreeItem previous = kNoItem;
    TreeItem next = kNoItem;
    int32_t image = -1;
    bool expanded = false;
    std::optional<std::wstring> text;
  };

  const Node* Find(TreeItem item) const;

  std::unordered_map<TreeItem, Node> nodes_;
  TreeItem nextHandle_ = kRootItem + 1;
  TreeItem selected_ = kNoItem;
  bool redraw_ = true;
  std::function<void(TreeItem)> expanding_;
};
