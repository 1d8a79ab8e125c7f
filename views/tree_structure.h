// ITreeStructure: the few tree operations that trace filling needs, so that the same filling
// runs on the window's tree control, on the command line's tree and in tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// An item handle; kNoItem is never a real item.
using TreeItem = std::uintptr_t;
inline constexpr TreeItem kNoItem = 0;

class ITreeStructure {
 public:
  virtual ~ITreeStructure() = default;

  // The invisible item under which the top-level items hang.
  virtual TreeItem Root() const = 0;
  // Inserts last among the parent's children. Without a text the item's text is deferred: the
  // owner produces it when it is first shown and fixes it with SetText. A tree may keep no fixed
  // texts (the command line's); the item then stays deferred and the owner produces its text
  // whenever it is asked.
  virtual TreeItem InsertChild(TreeItem parent, int32_t image,
                               std::optional<std::wstring> text) = 0;
  // Deletes the item with everything under it.
  virtual void DeleteItem(TreeItem item) = 0;
  virtual TreeItem FirstChild(TreeItem item) const = 0;
  virtual TreeItem NextSibling(TreeItem item) const = 0;
  // Root() for a top-level item, kNoItem for the root itself.
  virtual TreeItem Parent(TreeItem item) const = 0;
  virtual void Expand(TreeItem item) = 0;
  virtual void Select(TreeItem item) = 0;
  virtual TreeItem Selected() const = 0;
  // Empty while the text is still deferred.
  virtual std::optional<std::wstring> Text(TreeItem item) const = 0;
  virtual void SetText(TreeItem item, std::wstring text) = 0;
  // Drawing is frozen while a tree is filled.
  virtual void SetRedraw(bool redraw) = 0;
};
