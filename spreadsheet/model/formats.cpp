// Interning of cell formats, and the built-in number formats.
#include "spreadsheet/model/formats.h"

#include <algorithm>
#include <cwctype>
#include <stdexcept>

namespace spreadsheet {
namespace {

template <class T>
std::uint32_t Intern(std::vector<T>& table, const T& value) {
  // Tables stay small (tens to a few thousand entries), so a scan is cheaper than a hash.
  const auto found = std::find(table.begin(), table.end(), value);
  if (found != table.end()) return static_cast<std::uint32_t>(found - table.begin());
  table.push_back(value);
  return static_cast<std::uint32_t>(table.size() - 1);
}

bool EqualsIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
           return std::towlower(static_cast<wint_t>(x)) == std::towlower(static_cast<wint_t>(y));
         });
}

constexpr std::uint32_t kFirstCustomNumberFormat = 164;

}  // namespace

CFormatTable::CFormatTable() {
  fonts_.push_back(Font{});
  fills_.push_back(Fill{});
  fills_.push_back(Fill{L"gray125", Color{}});
  borders_.push_back(Border{});
  formats_.push_back(CellFormat{});
  namedStyles_.push_back(NamedStyle{L"Normal", CellFormat{}, 0});
}

std::uint32_t CFormatTable::InternFont(const Font& font) { return Intern(fonts_, font); }
std::uint32_t CFormatTable::InternFill(const Fill& fill) { return Intern(fills_, fill); }
std::uint32_t CFormatTable::InternBorder(const Border& border) { return Intern(borders_, border); }

std::uint32_t CFormatTable::InternFormat(const CellFormat& format) {
  if (format.font >= fonts_.size() || format.fill >= fills_.size() ||
      format.border >= borders_.size() || format.namedStyle >= namedStyles_.size()) {
    throw std::out_of_range("cell format refers to a missing font, fill, border or style");
  }
  return Intern(formats_, format);
}

std::uint32_t CFormatTable::InternNumberFormat(const std::wstring& code) {
  for (std::uint32_t id = 0; id < kFirstCustomNumberFormat; ++id) {
    if (const auto builtin = BuiltinNumberFormat(id); builtin && *builtin == code) return id;
  }
  for (const auto& [id, known] : custom_) {
    if (known == code) return id;
  }
  const std::uint32_t id =
      custom_.empty() ? kFirstCustomNumberFormat
                      : std::max(kFirstCustomNumberFormat, custom_.rbegin()->first + 1);
  custom_[id] = code;
  return id;
}

void CFormatTable::SetNumberFormat(std::uint32_t id, const std::wstring& code) { custom_[id] = code; }

std::uint32_t CFormatTable::AddNamedStyle(NamedStyle style) {
  if (const auto existing = FindNamedStyle(style.name)) {
    namedStyles_[*existing] = std::move(style);
    return *existing;
  }
  namedStyles_.push_back(std::move(style));
  return static_cast<std::uint32_t>(namedStyles_.size() - 1);
}

std::optional<std::uint32_t> CFormatTable::FindNamedStyle(const std::wstring& name) const {
  for (std::size_t i = 0; i < namedStyles_.size(); ++i) {
    if (EqualsIgnoringCase(namedStyles_[i].name, name)) return static_cast<std::uint32_t>(i);
  }
  return std::nullopt;
}

std::wstring CFormatTable::NumberFormatCode(std::uint32_t id) const {
  if (const auto found = custom_.find(id); found != custom_.end()) return found->second;
  return BuiltinNumberFormat(id).value_or(L"General");
}

std::optional<std::wstring> BuiltinNumberFormat(std::uint32_t id) {
  switch (id) {
    case 0: return L"General";
    case 1: return L"0";
    case 2: return L"0.00";
    case 3: return L"#,##0";
    case 4: return L"#,##0.00";
    // 5-8 and 41-44 are the currency and accounting formats of English (United States).
    case 5: return L"\"$\"#,##0_);\\(\"$\"#,##0\\)";
    case 6: return L"\"$\"#,##0_);[Red]\\(\"$\"#,##0\\)";
    case 7: return L"\"$\"#,##0.00_);\\(\"$\"#,##0.00\\)";
    case 8: return L"\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)";
    case 9: return L"0%";
    case 10: return L"0.00%";
    case 11: return L"0.00E+00";
    case 12: return L"# ?/?";
    case 13: return L"# ?\?/??";
    case 14: return L"m/d/yyyy";
    case 15: return L"d-mmm-yy";
    case 16: return L"d-mmm";
    case 17: return L"mmm-yy";
    case 18: return L"h:mm AM/PM";
    case 19: return L"h:mm:ss AM/PM";
    case 20: return L"h:mm";
    case 21: return L"h:mm:ss";
    case 22: return L"m/d/yyyy h:mm";
    case 37: return L"#,##0_);\\(#,##0\\)";
    case 38: return L"#,##0_);[Red]\\(#,##0\\)";
    case 39: return L"#,##0.00_);\\(#,##0.00\\)";
    case 40: return L"#,##0.00_);[Red]\\(#,##0.00\\)";
    case 41: return L"_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)";
    case 42: return L"_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)";
    case 43: return L"_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"?\?_);_(@_)";
    case 44: return L"_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"?\?_);_(@_)";
    case 45: return L"mm:ss";
    case 46: return L"[h]:mm:ss";
    case 47: return L"mmss.0";
    case 48: return L"##0.0E+0";
    case 49: return L"@";
    default: return std::nullopt;
  }
}

}  // namespace spreadsheet
