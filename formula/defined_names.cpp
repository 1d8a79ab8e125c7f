// Defined-name maps and their lookup.
#include "formula/defined_names.h"

#include <utility>

namespace {

// Sheet-level names are kept for sheets up to this index; a workbook cannot have more sheets
// than memory allows, but a corrupt index must not make the list grow without limit.
constexpr int32_t kMaxSheetIndex = 65535;

const NameRecord kEmptyRecord{};

}  // namespace

void CDefinedNames::AddWorkbookName(std::wstring_view name, int32_t id) {
  if (id == 0) return;
  workbookNames_.insert_or_assign(std::wstring(name), id);
}

void CDefinedNames::AddSheetName(int32_t sheet, std::wstring_view name, int32_t id) {
  if (id == 0 || sheet < 0 || sheet > kMaxSheetIndex) return;
  const auto index = static_cast<size_t>(sheet);
  if (sheetNames_.size() <= index) sheetNames_.resize(index + 1);
  const size_t bang = name.rfind(L'!');
  if (bang != std::wstring_view::npos) name.remove_prefix(bang + 1);
  sheetNames_[index].insert_or_assign(std::wstring(name), id);
  scopes_.insert_or_assign(id, sheet);
}

int32_t CDefinedNames::ScopeOf(int32_t id) const {
  const auto found = scopes_.find(id);
  return found == scopes_.end() ? 0 : found->second;
}

void CDefinedNames::SetRecord(int32_t id, NameRecord record) {
  records_.insert_or_assign(id, std::move(record));
}

const NameRecord* CDefinedNames::FindRecord(int32_t id) const {
  const auto found = records_.find(id);
  return found == records_.end() ? nullptr : &found->second;
}

void CDefinedNames::Clear() {
  workbookNames_.clear();
  sheetNames_.clear();
  records_.clear();
  scopes_.clear();
}

NameLookupResult CDefinedNames::DefinedNameLookup(std::wstring_view text, int32_t sheet) const {
  int32_t id = 0;
  if (sheet >= 0 && static_cast<size_t>(sheet) < sheetNames_.size()) {
    const NameMap& local = sheetNames_[static_cast<size_t>(sheet)];
    if (const auto found = local.find(text); found != local.end()) id = found->second;
  }
  if (id == 0) {
    if (const auto found = workbookNames_.find(text); found != workbookNames_.end()) {
      id = found->second;
    }
  }
  if (id == 0) return {};
  const NameRecord* record = FindRecord(id);
  return {id, record != nullptr ? record : &kEmptyRecord};
}
