// Hash of a reference's identity.
#include "formula/reference_list.h"

#include <cstdint>
#include <functional>
#include <string_view>

size_t CellReferenceIdentityHash::operator()(const CellReference& reference) const {
  uint64_t hash = std::hash<std::wstring_view>{}(reference.text);
  const int32_t parts[] = {reference.nameId,       reference.externalId, reference.first.sheet,
                           reference.first.column, reference.first.row,  reference.last.sheet,
                           reference.last.column,  reference.last.row};
  for (int32_t part : parts) {
    hash ^= static_cast<uint32_t>(part) + 0x9E3779B97F4A7C15ULL + (hash << 6) + (hash >> 2);
  }
  return static_cast<size_t>(hash);
}
