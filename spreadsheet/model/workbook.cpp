// The workbook model.
#include "spreadsheet/model/workbook.h"

#include <algorithm>
#include <cwctype>
#include <stdexcept>

namespace spreadsheet {

bool SameIdentifier(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
           return std::towupper(static_cast<wint_t>(x)) == std::towupper(static_cast<wint_t>(y));
         });
}

CWorkbook::CWorkbook(std::wstring name) : name_(std::move(name)), fullName_(name_) {}

void CWorkbook::SetPath(const std::wstring& fullName) {
  fullName_ = fullName;
  const auto slash = fullName.find_last_of(L"/\\");
  name_ = slash == std::wstring::npos ? fullName : fullName.substr(slash + 1);
}

std::optional<std::int32_t> CWorkbook::FindSheet(std::wstring_view name) const {
  for (std::size_t i = 0; i < sheets_.size(); ++i) {
    if (SameIdentifier(sheets_[i]->Name(), name)) return static_cast<std::int32_t>(i + 1);
  }
  return std::nullopt;
}

std::int32_t CWorkbook::IndexOf(const CWorksheet& sheet) const {
  for (std::size_t i = 0; i < sheets_.size(); ++i) {
    if (sheets_[i].get() == &sheet) return static_cast<std::int32_t>(i + 1);
  }
  return 0;
}

CWorksheet& CWorkbook::AddSheet(std::wstring name, std::optional<std::int32_t> position) {
  if (name.empty() || FindSheet(name)) throw std::invalid_argument("sheet name is empty or taken");
  const std::size_t at =
      position ? std::clamp<std::size_t>(static_cast<std::size_t>(std::max(*position, 1) - 1), 0,
                                         sheets_.size())
               : sheets_.size();
  // Sheet-scoped names follow their sheet to its new position.
  for (DefinedName& defined : names_) {
    if (defined.scope > static_cast<std::int32_t>(at)) ++defined.scope;
  }
  const auto inserted =
      sheets_.insert(sheets_.begin() + static_cast<std::ptrdiff_t>(at),
                     std::make_unique<CWorksheet>(*this, std::move(name)));
  return **inserted;
}

std::wstring CWorkbook::NextSheetName() const {
  for (std::int32_t number = 1;; ++number) {
    std::wstring candidate = L"Sheet" + std::to_wstring(number);
    if (!FindSheet(candidate)) return candidate;
  }
}

void CWorkbook::AddName(DefinedName name) {
  for (DefinedName& existing : names_) {
    if (existing.scope == name.scope && SameIdentifier(existing.name, name.name)) {
      existing = std::move(name);
      return;
    }
  }
  names_.push_back(std::move(name));
}

const DefinedName* CWorkbook::FindName(std::wstring_view name, std::int32_t scope) const {
  for (const DefinedName& defined : names_) {
    if (defined.scope == scope && SameIdentifier(defined.name, name)) return &defined;
  }
  return nullptr;
}

}  // namespace spreadsheet
