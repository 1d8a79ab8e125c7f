// The settings file: read whole, checked for shape, and replaced whole through a renamed
// temporary file once the keys written to have closed.
#include "addin/file_settings_store.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <system_error>
#include <utility>

#include "formula/text_compare.h"
#include "platform/text_encoding.h"

namespace fs = std::filesystem;

namespace {

using OrderedJson = nlohmann::ordered_json;

// Raised in the file's version member when its shape changes; other versions read as empty.
constexpr int kSettingsFileVersion = 1;
// Links followed before the file is written where the last one points; the system's own limit
// on a path's links is of this order, and a cycle of links must end.
constexpr int kMaxLinkHops = 40;

bool IsAtOrBelow(std::wstring_view key, std::wstring_view path) {
  if (key.size() < path.size() || !EqualsNoCase(key.substr(0, path.size()), path)) return false;
  return key.size() == path.size() || key[path.size()] == L'\\';
}

template <typename Item>
auto FindByName(std::vector<Item>& items, std::wstring_view name, std::wstring Item::*field) {
  return std::find_if(items.begin(), items.end(),
                      [&](const Item& item) { return EqualsNoCase(item.*field, name); });
}

std::string ReadWholeFile(const fs::path& file, bool* ok) {
  *ok = false;
  std::error_code failed;
  const std::uintmax_t size = fs::file_size(file, failed);
  if (failed || size > kMaxSettingsFileBytes) return {};
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  *ok = !in.bad() && bytes.size() <= kMaxSettingsFileBytes;
  return bytes;
}

}  // namespace

// A key of the file. Reads and writes go to the store, which holds the file's state; a key open
// for writing has its writes reach the file once it and every other such key have closed.
class CFileSettingsStore::CStoredKey : public IStoredKey {
 public:
  CStoredKey(CFileSettingsStore& store, std::wstring path, bool writable)
      : store_(store), path_(std::move(path)), writable_(writable) {
    if (writable_) ++store_.openWriters_;
  }
  ~CStoredKey() override {
    if (writable_) store_.WriterClosed();
  }
  CStoredKey(const CStoredKey&) = delete;
  CStoredKey& operator=(const CStoredKey&) = delete;

  bool ReadText(std::wstring_view name, std::wstring* value) const override {
    const Value* found = store_.Find(path_, name);
    const std::wstring* text = found ? std::get_if<std::wstring>(found) : nullptr;
    if (text == nullptr) return false;
    *value = *text;
    return true;
  }
  bool WriteText(std::wstring_view name, std::wstring_view value) override {
    return Write(name, std::wstring(value));
  }
  bool ReadDword(std::wstring_view name, uint32_t* value) const override {
    const Value* found = store_.Find(path_, name);
    const uint32_t* number = found ? std::get_if<uint32_t>(found) : nullptr;
    if (number == nullptr) return false;
    *value = *number;
    return true;
  }
  bool WriteDword(std::wstring_view name, uint32_t value) override { return Write(name, value); }

 private:
  bool Write(std::wstring_view name, Value value) {
    if (!writable_) return false;
    store_.Write({path_, NamedValue{std::wstring(name), std::move(value)}});
    return true;
  }

  CFileSettingsStore& store_;
  std::wstring path_;
  bool writable_;
};

namespace {

template <typename Key, typename Change>
void ApplyChange(const Change& change, std::vector<Key>* keys) {
  auto key = FindByName(*keys, change.path, &Key::path);
  if (key == keys->end()) key = keys->insert(keys->end(), Key{change.path, {}});
  if (!change.value) return;
  const auto same = std::find_if(key->values.begin(), key->values.end(), [&](const auto& value) {
    return EqualsNoCase(value.name, change.value->name);
  });
  if (same == key->values.end()) {
    key->values.push_back(*change.value);
  } else {
    same->value = change.value->value;
  }
}

// The keys a parsed file holds; false when any part of it is not of the file's shape. Later
// entries that differ only in case merge into earlier ones, as the registry would hold them.
template <typename Key, typename Change>
bool KeysFromJson(const OrderedJson& root, std::vector<Key>* keys) {
  if (!root.is_object()) return false;
  const auto version = root.find("version");
  const auto all = root.find("keys");
  if (version == root.end() || !version->is_number_integer() ||
      version->get<int64_t>() != kSettingsFileVersion || all == root.end() || !all->is_object()) {
    return false;
  }
  for (const auto& [path, values] : all->items()) {
    if (!values.is_object()) return false;
    Change change{Utf8ToWide(path), std::nullopt};
    ApplyChange(change, keys);
    for (const auto& [name, typed] : values.items()) {
      if (!typed.is_object() || typed.size() != 1) return false;
      change.value.emplace().name = Utf8ToWide(name);
      if (const auto text = typed.find("sz"); text != typed.end() && text->is_string()) {
        change.value->value = Utf8ToWide(text->template get_ref<const std::string&>());
      } else if (const auto number = typed.find("dword");
                 number != typed.end() && number->is_number_unsigned() &&
                 number->template get<uint64_t>() <= std::numeric_limits<uint32_t>::max()) {
        change.value->value = static_cast<uint32_t>(number->template get<uint64_t>());
      } else {
        return false;
      }
      ApplyChange(change, keys);
    }
  }
  return true;
}

template <typename Key>
std::string KeysToJson(const std::vector<Key>& keys) {
  OrderedJson all = OrderedJson::object();
  for (const Key& key : keys) {
    OrderedJson values = OrderedJson::object();
    for (const auto& [name, value] : key.values) {
      OrderedJson typed = OrderedJson::object();
      if (const uint32_t* number = std::get_if<uint32_t>(&value)) {
        typed["dword"] = *number;
      } else {
        typed["sz"] = WideToUtf8(std::get<std::wstring>(value));
      }
      values[WideToUtf8(name)] = std::move(typed);
    }
    all[WideToUtf8(key.path)] = std::move(values);
  }
  OrderedJson root = OrderedJson::object();
  root["version"] = kSettingsFileVersion;
  root["keys"] = std::move(all);
  return root.dump(2, ' ', false, OrderedJson::error_handler_t::replace) + "\n";
}

// Where a new file can be put beside `file`: its folder, made when missing, is writable.
bool CanWriteBeside(const fs::path& file) {
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  std::error_code failed;
  fs::create_directories(folder, failed);
  return !failed && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// Writes all of `bytes` to a new file beside `target` and renames it over `target`.
bool ReplaceFile(const fs::path& target, const std::string& bytes) {
  std::error_code failed;
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  fs::create_directories(folder, failed);
  if (failed) return false;
  std::string pattern = (folder / (target.filename().string() + ".XXXXXX")).string();
  const int descriptor = ::mkstemp(pattern.data());
  if (descriptor < 0) return false;
  bool written = true;
  for (size_t done = 0; written && done < bytes.size();) {
    const ssize_t wrote = ::write(descriptor, bytes.data() + done, bytes.size() - done);
    written = wrote > 0;
    if (written) done += static_cast<size_t>(wrote);
  }
  written = ::fsync(descriptor) == 0 && written;
  written = ::close(descriptor) == 0 && written;
  if (written) fs::rename(pattern, target, failed);
  if (!written || failed) {
    fs::remove(pattern, failed);
    return false;
  }
  return true;
}

// Where the file's links lead, even to a file not made yet, so that a linked settings file
// (kept with the user's other configuration) stays linked when it is replaced.
fs::path LinkTarget(const fs::path& file) {
  fs::path target = file;
  std::error_code failed;
  for (int hop = 0; hop < kMaxLinkHops && fs::is_symlink(target, failed); ++hop) {
    const fs::path next = fs::read_symlink(target, failed);
    if (failed) break;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target;
}

}  // namespace

CFileSettingsStore::CFileSettingsStore(fs::path file) : file_(std::move(file)) {}

std::unique_ptr<IStoredKey> CFileSettingsStore::OpenKey(std::wstring_view path) {
  const std::vector<Key>& keys = Current();
  const bool exists = std::any_of(keys.begin(), keys.end(),
                                  [&](const Key& key) { return IsAtOrBelow(key.path, path); });
  if (!exists) return nullptr;
  return std::make_unique<CStoredKey>(*this, std::wstring(path), false);
}

std::unique_ptr<IStoredKey> CFileSettingsStore::CreateKey(std::wstring_view path) {
  if (path.empty() || !CanWriteBeside(LinkTarget(file_))) return nullptr;
  auto key = std::make_unique<CStoredKey>(*this, std::wstring(path), true);
  Write({std::wstring(path), std::nullopt});
  return key;
}

CFileSettingsStore::FileStamp CFileSettingsStore::Stamp() const {
  FileStamp stamp;
  std::error_code failed;
  stamp.size = fs::file_size(file_, failed);
  if (failed) return {};
  stamp.time = fs::last_write_time(file_, failed);
  if (failed) return {};
  stamp.exists = true;
  return stamp;
}

const std::vector<CFileSettingsStore::Key>& CFileSettingsStore::Current() {
  const FileStamp stamp = Stamp();
  if (read_ && stamp == readStamp_) return keys_;
  read_ = true;
  readStamp_ = stamp;
  keys_.clear();
  if (stamp.exists) {
    bool ok = false;
    const std::string bytes = ReadWholeFile(file_, &ok);
    const OrderedJson root = ok ? OrderedJson::parse(bytes, nullptr, false) : OrderedJson();
    if (!KeysFromJson<Key, Change>(root, &keys_)) keys_.clear();
  }
  for (const Change& change : pending_) ApplyChange(change, &keys_);
  return keys_;
}

const CFileSettingsStore::Value* CFileSettingsStore::Find(std::wstring_view path,
                                                          std::wstring_view name) {
  const std::vector<Key>& keys = Current();
  const auto key = std::find_if(keys.begin(), keys.end(),
                                [&](const Key& each) { return EqualsNoCase(each.path, path); });
  if (key == keys.end()) return nullptr;
  const auto value =
      std::find_if(key->values.begin(), key->values.end(),
                   [&](const NamedValue& each) { return EqualsNoCase(each.name, name); });
  return value == key->values.end() ? nullptr : &value->value;
}

void CFileSettingsStore::Write(Change change) {
  Current();
  ApplyChange(change, &keys_);
  pending_.push_back(std::move(change));
}

void CFileSettingsStore::WriterClosed() {
  if (--openWriters_ > 0 || pending_.empty()) return;
  // Read again (should another process have written meanwhile) with the changes made on it.
  const std::vector<Key>& keys = Current();
  const bool written = ReplaceFile(LinkTarget(file_), KeysToJson(keys));
  pending_.clear();
  if (written) {
    readStamp_ = Stamp();
  } else {
    read_ = false;  // back to what the file holds
  }
}
