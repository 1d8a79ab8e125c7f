#include "addin/win32/clipboard_snapshot.h"

#include <cstring>
#include <utility>

#include "addin/win32/clipboard_access.h"

namespace {

std::vector<std::byte> CopyGlobal(HANDLE data) {
  std::vector<std::byte> bytes;
  const SIZE_T size = ::GlobalSize(data);
  const void* source = ::GlobalLock(data);
  if (source == nullptr) return bytes;
  bytes.resize(size);
  std::memcpy(bytes.data(), source, size);
  ::GlobalUnlock(data);
  return bytes;
}

bool PutBytes(UINT format, const std::vector<std::byte>& bytes) {
  CScopedGlobalMemory memory(bytes.empty() ? 1 : bytes.size());
  void* target = memory.Get() != nullptr ? ::GlobalLock(memory.Get()) : nullptr;
  if (target == nullptr) return false;
  if (!bytes.empty()) std::memcpy(target, bytes.data(), bytes.size());
  ::GlobalUnlock(memory.Get());
  return memory.PutOnClipboard(format);
}

HPALETTE CopyPalette(HPALETTE palette) {
  const UINT count = ::GetPaletteEntries(palette, 0, 0, nullptr);
  if (count == 0) return nullptr;
  std::vector<std::byte> storage(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
  auto* copy = reinterpret_cast<LOGPALETTE*>(storage.data());
  copy->palVersion = 0x300;
  copy->palNumEntries = static_cast<WORD>(count);
  ::GetPaletteEntries(palette, 0, count, copy->palPalEntry);
  return ::CreatePalette(copy);
}

}  // namespace

CClipboardSnapshot::~CClipboardSnapshot() {
  for (Entry& entry : entries_) Free(entry);
}

CClipboardSnapshot::CClipboardSnapshot(CClipboardSnapshot&& other) noexcept
    : entries_(std::exchange(other.entries_, {})) {}

void CClipboardSnapshot::Free(Entry& entry) {
  if (entry.handle == nullptr) return;
  switch (entry.kind) {
    case Kind::kBitmap:
    case Kind::kPalette:
      ::DeleteObject(entry.handle);
      break;
    case Kind::kEnhancedMetafile:
      ::DeleteEnhMetaFile(static_cast<HENHMETAFILE>(entry.handle));
      break;
    case Kind::kMetafilePicture:
      ::DeleteMetaFile(static_cast<HMETAFILE>(entry.handle));
      break;
    case Kind::kMemory:
      break;
  }
  entry.handle = nullptr;
}

CClipboardSnapshot CClipboardSnapshot::Take() {
  CClipboardSnapshot snapshot;
  for (UINT format = ::EnumClipboardFormats(0); format != 0;
       format = ::EnumClipboardFormats(format)) {
    if (format == CF_OWNERDISPLAY || (format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST) ||
        (format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST)) {
      continue;
    }
    const HANDLE data = ::GetClipboardData(format);
    if (data == nullptr) continue;
    Entry entry;
    entry.format = format;
    switch (format) {
      case CF_BITMAP:
      case CF_DSPBITMAP:
        entry.kind = Kind::kBitmap;
        entry.handle = ::CopyImage(data, IMAGE_BITMAP, 0, 0, 0);
        break;
      case CF_ENHMETAFILE:
      case CF_DSPENHMETAFILE:
        entry.kind = Kind::kEnhancedMetafile;
        entry.handle = ::CopyEnhMetaFileW(static_cast<HENHMETAFILE>(data), nullptr);
        break;
      case CF_METAFILEPICT:
      case CF_DSPMETAFILEPICT: {
        entry.kind = Kind::kMetafilePicture;
        entry.bytes = CopyGlobal(data);
        if (entry.bytes.size() < sizeof(METAFILEPICT)) continue;
        METAFILEPICT picture;
        std::memcpy(&picture, entry.bytes.data(), sizeof picture);
        entry.handle = ::CopyMetaFileW(picture.hMF, nullptr);
        break;
      }
      case CF_PALETTE:
        entry.kind = Kind::kPalette;
        entry.handle = CopyPalette(static_cast<HPALETTE>(data));
        break;
      default:
        entry.bytes = CopyGlobal(data);
        snapshot.entries_.push_back(std::move(entry));
        continue;
    }
    if (entry.handle != nullptr) snapshot.entries_.push_back(std::move(entry));
  }
  return snapshot;
}

void CClipboardSnapshot::Restore() {
  for (Entry& entry : entries_) {
    switch (entry.kind) {
      case Kind::kMemory:
        PutBytes(entry.format, entry.bytes);
        break;
      case Kind::kMetafilePicture: {
        METAFILEPICT picture;
        std::memcpy(&picture, entry.bytes.data(), sizeof picture);
        picture.hMF = static_cast<HMETAFILE>(entry.handle);
        std::memcpy(entry.bytes.data(), &picture, sizeof picture);
        // The clipboard owns the metafile only once the picture holding it was taken.
        if (PutBytes(entry.format, entry.bytes)) entry.handle = nullptr;
        break;
      }
      default:
        if (::SetClipboardData(entry.format, entry.handle) != nullptr) entry.handle = nullptr;
        break;
    }
  }
}
