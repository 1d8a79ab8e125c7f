// CDefinedNames: the workbook-level and sheet-level name maps and the name table, and the lookup
// that both parsers make through them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "formula/name_record.h"
#include "formula/text_compare.h"

// The result of DefinedNameLookup: id 0 means no such name; a found id always has a record
// (an id without one in the table yields an empty record).
struct NameLookupResult {
  int32_t id = 0;
  const NameRecord* record = nullptr;

  bool IsFound() const { return id != 0; }
};

// Names compare exactly (case-sensitively), as the name maps are keyed. Ids are assigned by the
// owner (the dependency container's name counter) and must be non-zero. Owned by the container;
// the parsers keep a pointer that may be null ("no names").
class CDefinedNames {
 public:
  void AddWorkbookName(std::wstring_view name, int32_t id);
  // A name defined on one sheet; the per-sheet list grows to the highest sheet index seen.
  // Excel reports such a name as "Sheet!Name" (the sheet quoted when it must be); it is kept
  // under the text after the last "!", the form in which formulas on its sheet write it.
  void AddSheetName(int32_t sheet, std::wstring_view name, int32_t id);
  // The sheet a name id was defined on; 0 for a workbook-level name or an unknown id.
  int32_t ScopeOf(int32_t id) const;
  void SetRecord(int32_t id, NameRecord record);
  const NameRecord* FindRecord(int32_t id) const;
  void Clear();

  // The sheet's own names first, then the workbook's.
  NameLookupResult DefinedNameLookup(std::wstring_view text, int32_t sheet) const;

 private:
  using NameMap = std::unordered_map<std::wstring, int32_t, ExactHash, ExactEqual>;

  NameMap workbookNames_;
  std::vector<NameMap> sheetNames_;  // position = sheet index
  std::unordered_map<int32_t, NameRecord> records_;
  std::unordered_map<int32_t, int32_t> scopes_;  // sheet-level ids to their sheet
};
