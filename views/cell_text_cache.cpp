// Reading a cell's shown value and its formula, and keeping them packed.
#include "views/cell_text_cache.h"

#include <limits>
#include <new>
#include <tuple>

#include "excel/cell_range.h"
#include "excel/value_text.h"

namespace {

// Texts go into blocks of this size; a longer pair gets a block of its own.
constexpr size_t kTextBlock = 64 * 1024;
constexpr size_t kFirstSlots = 1024;

std::wstring WidenLineFeeds(const std::wstring& text) {
  std::wstring widened;
  widened.reserve(text.size());
  for (const wchar_t c : text) {
    if (c == L'\n') widened += L'\r';
    widened += c;
  }
  return widened;
}

std::wstring Trimmed(const std::wstring& text) {
  constexpr const wchar_t* kSpace = L" \t\r\n\v\f";
  const size_t begin = text.find_first_not_of(kSpace);
  if (begin == std::wstring::npos) return {};
  return text.substr(begin, text.find_last_not_of(kSpace) - begin + 1);
}

// Each character as seven bits a byte, low bits first, the high bit marking that more follow.
// Unlike UTF-8 this takes any wchar_t unit back unchanged, unpaired surrogates included.
size_t PackedUnitSize(uint32_t unit) {
  size_t size = 1;
  while (unit >= 0x80) {
    ++size;
    unit >>= 7;
  }
  return size;
}

size_t PackedSize(const std::wstring& text) {
  size_t size = 0;
  for (const wchar_t c : text) size += PackedUnitSize(static_cast<uint32_t>(c));
  return size;
}

unsigned char* PackUnit(uint32_t unit, unsigned char* out) {
  while (unit >= 0x80) {
    *out++ = static_cast<unsigned char>(unit | 0x80);
    unit >>= 7;
  }
  *out++ = static_cast<unsigned char>(unit);
  return out;
}

unsigned char* PackText(const std::wstring& text, unsigned char* out) {
  for (const wchar_t c : text) out = PackUnit(static_cast<uint32_t>(c), out);
  return out;
}

const unsigned char* UnpackUnit(const unsigned char* in, uint32_t* unit) {
  *unit = 0;
  int shift = 0;
  while ((*in & 0x80) != 0) {
    *unit |= static_cast<uint32_t>(*in++ & 0x7F) << shift;
    shift += 7;
  }
  *unit |= static_cast<uint32_t>(*in++) << shift;
  return in;
}

std::wstring UnpackText(const unsigned char* bytes, size_t size) {
  std::wstring text;
  text.reserve(size);
  uint32_t unit = 0;
  int shift = 0;
  for (size_t i = 0; i < size; ++i) {
    unit |= static_cast<uint32_t>(bytes[i] & 0x7F) << shift;
    if ((bytes[i] & 0x80) != 0) {
      shift += 7;
      continue;
    }
    text += static_cast<wchar_t>(unit);
    unit = 0;
    shift = 0;
  }
  return text;
}

}  // namespace

CellTexts ReadCellTexts(CDependencyContainer& container, const CellPos& cell) {
  ExcelObject range;
  if (!GetCellRange(container.Worksheets(), cell, &range)) return {};
  return ReadRangeTexts(range);
}

CellTexts ReadRangeTexts(const ExcelObject& range, const KnownCellParts& known) {
  CellTexts texts;
  // Every cell of an array has a formula, so a constant needs no HasArray.
  if (known.hasFormula ? *known.hasFormula : range.IsTrue(L"HasFormula")) {
    std::wstring formula;
    if (known.formulaLocal != nullptr) {
      texts.formula = WidenLineFeeds(*known.formulaLocal);
    } else if (range.GetText(L"FormulaLocal", &formula)) {
      texts.formula = WidenLineFeeds(formula);
    }
    if (known.hasArray ? *known.hasArray : range.IsTrue(L"HasArray")) {
      texts.formula = L"{" + texts.formula + L"}";
    }
  }
  std::wstring value;
  range.GetText(L"Text", &value);
  if (value.empty()) {
    CVariant raw;
    if (range.GetValue(L"Value", &raw)) PropertyText(raw, &value);
  }
  texts.value = Trimmed(value);
  return texts;
}

size_t CCellTextCache::SlotOf(const CellPos& cell) const {
  const size_t mask = slots_.size() - 1;
  for (size_t slot = std::hash<CellPos>{}(cell) & mask;; slot = (slot + 1) & mask) {
    const uint32_t index = slots_[slot];
    if (index == 0 || entries_[index - 1].cell == cell) return slot;
  }
}

void CCellTextCache::Grow() {
  std::vector<uint32_t> old;
  old.swap(slots_);
  slots_.assign(old.empty() ? kFirstSlots : old.size() * 2, 0);
  for (const uint32_t index : old) {
    if (index != 0) slots_[SlotOf(entries_[index - 1].cell)] = index;
  }
}

std::pair<uint32_t, uint32_t> CCellTextCache::Allocate(size_t size) {
  // Blocks are counted and offsets kept in 32 bits; no workbook's texts come near that.
  if (blocks_.size() >= std::numeric_limits<uint32_t>::max() - 1 ||
      size > std::numeric_limits<uint32_t>::max()) {
    throw std::bad_alloc();
  }
  if (size > kTextBlock / 4) {
    // A long text gets a block of its own, so the shared block is not left half empty.
    blocks_.push_back(std::make_unique<unsigned char[]>(size));
    return {static_cast<uint32_t>(blocks_.size() - 1), 0};
  }
  if (!hasShared_ || kTextBlock - sharedUsed_ < size) {
    blocks_.push_back(std::make_unique<unsigned char[]>(kTextBlock));
    sharedBlock_ = blocks_.size() - 1;
    sharedUsed_ = 0;
    hasShared_ = true;
  }
  const std::pair<uint32_t, uint32_t> at{static_cast<uint32_t>(sharedBlock_),
                                         static_cast<uint32_t>(sharedUsed_)};
  sharedUsed_ += size;
  return at;
}

bool CCellTextCache::Find(const CellPos& cell, CellTexts* texts) const {
  if (slots_.empty()) return false;
  const uint32_t index = slots_[SlotOf(cell)];
  if (index == 0) return false;
  const Entry& entry = entries_[index - 1];
  const unsigned char* bytes = blocks_[entry.block].get() + entry.offset;
  uint32_t valueBytes = 0;
  uint32_t formulaBytes = 0;
  bytes = UnpackUnit(UnpackUnit(bytes, &valueBytes), &formulaBytes);
  texts->value = UnpackText(bytes, valueBytes);
  texts->formula = UnpackText(bytes + valueBytes, formulaBytes);
  return true;
}

void CCellTextCache::Put(const CellPos& cell, const CellTexts& texts) {
  if ((entries_.size() + 1) * 4 > slots_.size() * 3) Grow();
  const size_t slot = SlotOf(cell);
  const size_t valueBytes = PackedSize(texts.value);
  const size_t formulaBytes = PackedSize(texts.formula);
  // Every text Excel shows is far shorter; the check keeps the lengths' type honest.
  if (valueBytes + formulaBytes > std::numeric_limits<uint32_t>::max() / 2 ||
      entries_.size() >= std::numeric_limits<uint32_t>::max() - 1) {
    throw std::bad_alloc();
  }
  const auto valueCount = static_cast<uint32_t>(valueBytes);
  const auto formulaCount = static_cast<uint32_t>(formulaBytes);
  Entry entry;
  entry.cell = cell;
  std::tie(entry.block, entry.offset) = Allocate(PackedUnitSize(valueCount) +
                                                 PackedUnitSize(formulaCount) + valueBytes +
                                                 formulaBytes);
  unsigned char* out = blocks_[entry.block].get() + entry.offset;
  out = PackUnit(formulaCount, PackUnit(valueCount, out));
  PackText(texts.formula, PackText(texts.value, out));
  if (slots_[slot] != 0) {
    entries_[slots_[slot] - 1] = entry;  // the old bytes stay until Clear
    return;
  }
  entries_.push_back(entry);
  slots_[slot] = static_cast<uint32_t>(entries_.size());
}

void CCellTextCache::Clear() {
  entries_ = {};
  slots_.clear();
  slots_.shrink_to_fit();
  blocks_.clear();
  sharedBlock_ = 0;
  sharedUsed_ = 0;
  hasShared_ = false;
}

CellTexts CCellTextCache::Get(CDependencyContainer& container, const CellPos& cell) {
  CellTexts texts;
  if (Find(cell, &texts)) return texts;
  texts = OnExcelThread(container.ExcelThread(), [&] { return ReadCellTexts(container, cell); });
  Put(cell, texts);
  return texts;
}
