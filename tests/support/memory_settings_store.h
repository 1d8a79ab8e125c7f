// CMemorySettingsStore: a settings store held in memory, with the registry's rules (paths and
// names ignoring case, keys opened for reading refuse writes), for tests on every platform.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

#include "addin/settings_store.h"
#include "platform/text_case.h"

namespace test_support {

class CMemorySettingsStore : public ISettingsStore {
 public:
  using Value = std::variant<uint32_t, std::wstring>;
  // Keyed by the upper-case path, then the upper-case name.
  using Values = std::map<std::wstring, Value>;

  std::unique_ptr<IStoredKey> OpenKey(std::wstring_view path) override {
    const std::wstring key = UpperCase(path);
    const bool exists = std::any_of(keys_.begin(), keys_.end(), [&](const auto& entry) {
      return entry.first == key || entry.first.starts_with(key + L"\\");
    });
    if (!exists) return nullptr;
    return std::make_unique<CKey>(keys_[key], false);
  }
  std::unique_ptr<IStoredKey> CreateKey(std::wstring_view path) override {
    return std::make_unique<CKey>(keys_[UpperCase(path)], true);
  }

  size_t KeyCount() const { return keys_.size(); }

 private:
  class CKey : public IStoredKey {
   public:
    CKey(Values& values, bool writable) : values_(values), writable_(writable) {}
    bool ReadText(std::wstring_view name, std::wstring* value) const override {
      return Read(name, value);
    }
    bool WriteText(std::wstring_view name, std::wstring_view value) override {
      return Write(name, std::wstring(value));
    }
    bool ReadDword(std::wstring_view name, uint32_t* value) const override {
      return Read(name, value);
    }
    bool WriteDword(std::wstring_view name, uint32_t value) override { return Write(name, value); }

   private:
    template <typename T>
    bool Read(std::wstring_view name, T* value) const {
      const auto found = values_.find(UpperCase(name));
      if (found == values_.end() || !std::holds_alternative<T>(found->second)) return false;
      *value = std::get<T>(found->second);
      return true;
    }
    bool Write(std::wstring_view name, Value value) {
      if (!writable_) return false;
      values_[UpperCase(name)] = std::move(value);
      return true;
    }

    Values& values_;
    bool writable_;
  };

  // std::map: its elements stay where they are while keys are added.
  std::map<std::wstring, Values> keys_;
};

}  // namespace test_support
