// CTraceTree: a tree held in memory, for the command line and for tests of trace filling.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "views/tree_structure.h"

// Handles are handed out in order and never reused, so a node is found by its handle as an
// index. A deleted node keeps its slot (marked dead) until the tree goes; texts are interned, so
// the same placeholder text under many items is held once.
class CTraceTree final : public ITreeStructure {
 public:
  // Whether texts that fix a deferred item (SetText) are kept. A tree that does not keep them
  // leaves the item deferred, and its owner produces the text again whenever it is asked; the
  // command line prints each item once or twice and keeps no joined texts.
  enum class DeferredTexts { kKept, kDropped };

  explicit CTraceTree(DeferredTexts deferred = DeferredTexts::kKept);

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
  // Whether the item was inserted with a text, or has one fixed, without copying it.
  bool HasText(TreeItem item) const;
  // Whether the item's text is `text`, without copying it.
  bool TextIs(TreeItem item, const std::wstring& text) const;
  // Items other than the root.
  size_t Size() const { return live_ - 1; }
  void SetExpandingHandler(std::function<void(TreeItem)> handler) {
    expanding_ = std::move(handler);
  }

 private:
  static constexpr TreeItem kRootItem = 1;
  // Slot 0 stands for kNoItem, slot 1 for the root.
  static constexpr uint32_t kNone = 0;
  // No text yet: deferred.
  static constexpr uint32_t kNoText = UINT32_MAX;

  struct Node {
    uint32_t parent = kNone;
    uint32_t firstChild = kNone;
    uint32_t lastChild = kNone;
    uint32_t previous = kNone;
    uint32_t next = kNone;
    uint32_t text = kNoText;  // index into texts_
    int32_t image = -1;
    bool expanded = false;
    bool alive = false;
  };

  const Node* Find(TreeItem item) const;
  Node* Find(TreeItem item);
  uint32_t Intern(std::wstring text);

  // A deque rather than a vector: no doubling, so no spare half of a large tree's nodes.
  std::deque<Node> nodes_;
  size_t live_ = 0;
  // Each distinct text once, as a key of textIndex_ (whose nodes never move).
  std::vector<const std::wstring*> texts_;
  std::unordered_map<std::wstring, uint32_t> textIndex_;
  DeferredTexts deferred_;
  TreeItem selected_ = kNoItem;
  bool redraw_ = true;
  std::function<void(TreeItem)> expanding_;
};
