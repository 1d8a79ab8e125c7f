// CBstr.
#include "platform/bstr.h"

#include <limits>
#include <new>

namespace {

BSTR AllocateOrThrow(const OLECHAR* text, std::size_t length) {
  if (length > std::numeric_limits<UINT>::max()) throw std::bad_alloc();
  BSTR result = SysAllocStringLen(text, static_cast<UINT>(length));
  if (result == nullptr) throw std::bad_alloc();
  return result;
}

}  // namespace

CBstr::CBstr(std::wstring_view text) : text_(AllocateOrThrow(text.data(), text.size())) {}

CBstr::CBstr(const CBstr& other)
    : text_(other.text_ == nullptr ? nullptr : AllocateOrThrow(other.text_, other.Length())) {}
