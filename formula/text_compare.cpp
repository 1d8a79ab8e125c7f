// Simple (one unit to one unit) upper-case folding; enough for the names Excel compares.
#include "formula/text_compare.h"

#include <cstdint>
#include <type_traits>

namespace {

wchar_t Unit(uint32_t code) {
  return static_cast<wchar_t>(code);
}

// Latin Extended-A alternates upper and lower case, with the parity flipping in two stretches.
uint32_t FoldLatinExtendedA(uint32_t u) {
  if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) return (u % 2 == 0) ? u - 1 : u;
  if (u == 0x131 || u == 0x138 || u == 0x149 || u == 0x17F) return u;
  return (u % 2 == 1) ? u - 1 : u;
}

}  // namespace

wchar_t FoldCase(wchar_t c) {
  // Through the unsigned type of the same width: wchar_t is signed on some platforms.
  const auto u = static_cast<uint32_t>(static_cast<std::make_unsigned_t<wchar_t>>(c));
  if (u < 0x80) return (u >= 'a' && u <= 'z') ? Unit(u - 0x20) : c;
  if (u < 0xE0) return c;
  if (u <= 0xFE) return u == 0xF7 ? c : Unit(u - 0x20);
  if (u == 0xFF) return Unit(0x178);
  if (u >= 0x100 && u <= 0x17F) return Unit(FoldLatinExtendedA(u));
  if (u >= 0x3B1 && u <= 0x3C9) return u == 0x3C2 ? Unit(0x3A3) : Unit(u - 0x20);
  if (u >= 0x430 && u <= 0x44F) return Unit(u - 0x20);
  if (u >= 0x450 && u <= 0x45F) return Unit(u - 0x50);
  return c;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

size_t NoCaseHash::operator()(std::wstring_view text) const {
  // FNV-1a over the folded units.
  uint64_t hash = 14695981039346656037ULL;
  for (wchar_t c : text) {
    hash ^= static_cast<uint64_t>(static_cast<std::make_unsigned_t<wchar_t>>(FoldCase(c)));
    hash *= 1099511628211ULL;
  }
  return static_cast<size_t>(hash);
}
