// CFileSettingsStore: the settings store of platforms without a registry, one JSON file that
// holds the registry's layout (the same key paths, value names and types).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "addin/settings_store.h"

// A settings file larger than this is not one the store wrote (ten recent items and the window
// settings take a few kilobytes); it reads as empty rather than being parsed.
inline constexpr std::uintmax_t kMaxSettingsFileBytes = 1024 * 1024;

// The file:
//   {"version": 1,
//    "keys": {"Software\\NUV\\MRU": {"Count": {"dword": 2}},
//             "Software\\NUV\\MRU\\Item0": {"Caption": {"sz": "[Book1.xlsx]Sheet1!B3 ..."}}}}
// Each key is an object of values; a value is {"sz": text} (REG_SZ) or {"dword": number}
// (REG_DWORD, 0 to 4294967295). A file that is missing, unreadable, larger than the limit, not
// JSON, or not of this shape throughout reads as empty; the next write replaces it.
//
// The store reads as the file holds it plus what keys open for writing have written. Those
// writes reach the file when the last key open for writing closes (saving the recent items is
// one write of the file): the file is read again, the writes are made on it, and the whole is
// written to a temporary file beside it that is renamed over it, so that a reader never sees
// half a file and another process's values survive. Reads use the file as last read, read again
// when its size or time changes. A key is created only where the file's folder can be made and
// written; should the file still not be written, the writes are lost silently, as every
// settings failure is.
class CFileSettingsStore : public ISettingsStore {
 public:
  explicit CFileSettingsStore(std::filesystem::path file);

  std::unique_ptr<IStoredKey> OpenKey(std::wstring_view path) override;
  std::unique_ptr<IStoredKey> CreateKey(std::wstring_view path) override;

  const std::filesystem::path& File() const { return file_; }

 private:
  class CStoredKey;
  using Value = std::variant<uint32_t, std::wstring>;
  struct NamedValue {
    std::wstring name;
    Value value;
  };
  struct Key {
    std::wstring path;
    std::vector<NamedValue> values;
  };
  // A write not in the file yet: the key made, and the value set when there is one.
  struct Change {
    std::wstring path;
    std::optional<NamedValue> value;
  };
  // When the file's size or time differs from what was read last, it is read again.
  struct FileStamp {
    bool exists = false;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time;
    bool operator==(const FileStamp&) const = default;
  };

  // The keys as the file holds them now with the pending changes made, in the file's order.
  const std::vector<Key>& Current();
  // The value as Current holds it; null when missing.
  const Value* Find(std::wstring_view path, std::wstring_view name);
  void Write(Change change);
  // A key open for writing closed: with none left open, the pending changes go to the file.
  void WriterClosed();
  FileStamp Stamp() const;

  std::filesystem::path file_;
  std::vector<Key> keys_;
  std::vector<Change> pending_;
  FileStamp readStamp_;
  bool read_ = false;
  int openWriters_ = 0;
};
