// BSTR allocation. A BSTR points at its first character; the four bytes before it hold the
// length in bytes, as on Windows, and a terminating null follows the last character.
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <limits>

#include "platform/stand_in/oleauto.h"

namespace {

using LengthPrefix = std::uint32_t;
static_assert(alignof(OLECHAR) <= sizeof(LengthPrefix));

// Windows refuses lengths whose byte count does not fit the prefix.
constexpr UINT kMaxLength =
    (std::numeric_limits<LengthPrefix>::max() - sizeof(LengthPrefix)) / sizeof(OLECHAR) - 1;

LengthPrefix* PrefixOf(BSTR text) {
  return reinterpret_cast<LengthPrefix*>(reinterpret_cast<char*>(text) - sizeof(LengthPrefix));
}

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  if (length > kMaxLength) return nullptr;
  const std::size_t bytes = sizeof(LengthPrefix) + (std::size_t{length} + 1) * sizeof(OLECHAR);
  char* block = static_cast<char*>(std::malloc(bytes));
  if (block == nullptr) return nullptr;
  const LengthPrefix byteLength = static_cast<LengthPrefix>(length * sizeof(OLECHAR));
  std::memcpy(block, &byteLength, sizeof byteLength);
  BSTR result = reinterpret_cast<BSTR>(block + sizeof(LengthPrefix));
  if (text != nullptr) {
    std::memcpy(result, text, length * sizeof(OLECHAR));
  } else {
    std::memset(result, 0, length * sizeof(OLECHAR));
  }
  result[length] = L'\0';
  return result;
}

BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  const std::size_t length = std::wcslen(text);
  if (length > kMaxLength) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(length));
}

UINT SysStringByteLen(BSTR text) {
  if (text == nullptr) return 0;
  LengthPrefix byteLength;
  std::memcpy(&byteLength, PrefixOf(text), sizeof byteLength);
  return byteLength;
}

UINT SysStringLen(BSTR text) { return SysStringByteLen(text) / UINT{sizeof(OLECHAR)}; }

void SysFreeString(BSTR text) {
  if (text != nullptr) std::free(PrefixOf(text));
}
