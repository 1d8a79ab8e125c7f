// What every fuzzer does with its bytes: text for the parsers, split into parts where a target
// takes more than one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_encoding.h"

namespace fuzz_support {

inline std::string_view Bytes(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// UTF-8 as Excel's strings arrive through the reader; a leading 0x01 byte instead takes the
// rest as raw UTF-16 code units, so that lone surrogates and noncharacters reach the parsers too.
inline std::wstring WideText(std::string_view bytes) {
  if (bytes.empty() || bytes.front() != '\x01') return Utf8ToWide(bytes);
  std::wstring text;
  for (size_t i = 1; i + 1 < bytes.size(); i += 2) {
    const auto low = static_cast<unsigned char>(bytes[i]);
    const auto high = static_cast<unsigned char>(bytes[i + 1]);
    text += static_cast<wchar_t>(low | (high << 8));
  }
  return text;
}

// The parts between newlines, at most `count` (the last keeps any further newlines).
inline std::vector<std::wstring> WideParts(std::string_view bytes, size_t count) {
  std::vector<std::wstring> parts;
  while (parts.size() + 1 < count) {
    const size_t end = bytes.find('\n');
    if (end == std::string_view::npos) break;
    parts.push_back(WideText(bytes.substr(0, end)));
    bytes.remove_prefix(end + 1);
  }
  parts.push_back(WideText(bytes));
  return parts;
}

// A failed invariant: reported like a sanitizer's finding, with the input kept by libFuzzer.
[[noreturn]] inline void Fail(const char* what, std::wstring_view detail = {}) {
  std::fprintf(stderr, "==FUZZ INVARIANT== %s\n%s\n", what, WideToUtf8(detail).c_str());
  std::abort();
}

}  // namespace fuzz_support
