// CClipboardSnapshot: a copy of everything on the clipboard, so that the add-in can borrow the
// clipboard and give the user's contents back.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

// Taken and restored while the clipboard is open. Memory, bitmaps, palettes and metafiles are
// copied; owner-displayed, private and GDI-object formats, whose handles mean nothing outside
// their owner, are not.
class CClipboardSnapshot {
 public:
  CClipboardSnapshot() = default;
  ~CClipboardSnapshot();
  CClipboardSnapshot(const CClipboardSnapshot&) = delete;
  CClipboardSnapshot& operator=(const CClipboardSnapshot&) = delete;
  CClipboardSnapshot(CClipboardSnapshot&& other) noexcept;
  CClipboardSnapshot& operator=(CClipboardSnapshot&&) = delete;

  static CClipboardSnapshot Take();
  // Puts every copied format back on the clipboard, which the caller has emptied. The copies
  // then belong to the clipboard.
  void Restore();
  std::size_t FormatCount() const { return entries_.size(); }

 private:
  enum class Kind { kMemory, kBitmap, kEnhancedMetafile, kMetafilePicture, kPalette };
  struct Entry {
    UINT format = 0;
    Kind kind = Kind::kMemory;
    std::vector<std::byte> bytes;  // memory, or the METAFILEPICT of a metafile picture
    HANDLE handle = nullptr;       // the copied bitmap, metafile or palette
  };
  static void Free(Entry& entry);

  std::vector<Entry> entries_;
};
