// Filling a count into a progress message.
#include "container/count_message.h"

std::wstring FormatCount(const std::wstring& format, long count) {
  // Only %ld is replaced: a format is never handed to printf, so a stray % cannot misbehave.
  const std::size_t at = format.find(L"%ld");
  if (at == std::wstring::npos) return format;
  return format.substr(0, at) + std::to_wstring(count) + format.substr(at + 3);
}
