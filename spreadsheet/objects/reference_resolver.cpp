// Reference text and defined names as a sheet sees them.
#include "spreadsheet/objects/reference_resolver.h"

#include "spreadsheet/objects/a1_address.h"

namespace spreadsheet {
namespace {

// A name may refer to another name; Excel refuses circles, files may still hold them. The chain
// is followed this far and no further, so a circle ends.
constexpr int kMaxNameChain = 16;

constexpr std::wstring_view kBuiltinPrefix = L"_xlnm.";

std::wstring_view Trim(std::wstring_view text) {
  while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.remove_suffix(1);
  return text;
}

// The parts of a union's text, split at the commas outside quoted sheet names and workbook
// brackets ("'a,b'!A1,[x,y.xlsx]S!B2" is two parts).
std::vector<std::wstring_view> SplitUnion(std::wstring_view text) {
  std::vector<std::wstring_view> parts;
  bool quoted = false;
  bool bracketed = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'\'') {
      quoted = !quoted;  // A doubled apostrophe closes and reopens: still inside.
    } else if (!quoted && c == L'[') {
      bracketed = true;
    } else if (!quoted && c == L']') {
      bracketed = false;
    } else if (!quoted && !bracketed && c == L',') {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  parts.push_back(text.substr(start));
  return parts;
}

}  // namespace

std::wstring_view DisplayedName(const DefinedName& name) {
  std::wstring_view text = name.name;
  if (text.size() > kBuiltinPrefix.size() &&
      SameIdentifier(text.substr(0, kBuiltinPrefix.size()), kBuiltinPrefix)) {
    text.remove_prefix(kBuiltinPrefix.size());
  }
  return text;
}

bool CReferenceResolver::SplitQualifier(std::wstring_view text, std::int32_t* sheet,
                                        std::wstring_view* rest, bool* qualified) const {
  *qualified = false;
  std::wstring qualifier;
  std::size_t bang = std::wstring_view::npos;
  if (!text.empty() && text.front() == L'\'') {
    std::size_t i = 1;
    for (; i < text.size(); ++i) {
      if (text[i] != L'\'') {
        qualifier += text[i];
      } else if (i + 1 < text.size() && text[i + 1] == L'\'') {
        qualifier += L'\'';
        ++i;
      } else {
        break;
      }
    }
    if (i + 1 >= text.size() || text[i] != L'\'' || text[i + 1] != L'!') return false;
    bang = i + 1;
  } else {
    bang = text.find(L'!');
    if (bang == std::wstring_view::npos) {
      *sheet = currentSheet_;
      *rest = text;
      return currentSheet_ >= 1 && currentSheet_ <= workbook_.SheetCount();
    }
    qualifier = text.substr(0, bang);
  }
  *qualified = true;
  std::wstring_view name = qualifier;
  if (!name.empty() && name.front() == L'[') {
    const std::size_t close = name.find(L']');
    if (close == std::wstring_view::npos ||
        !SameIdentifier(name.substr(1, close - 1), workbook_.Name())) {
      return false;  // Another workbook's cells are not this workbook's to answer.
    }
    name.remove_prefix(close + 1);
  }
  const auto found = workbook_.FindSheet(name);
  if (!found) return false;
  *sheet = *found;
  *rest = text.substr(bang + 1);
  return true;
}

std::optional<SheetRange> CReferenceResolver::Resolve(std::wstring_view text, Names names) const {
  std::int32_t onSheet = currentSheet_;
  for (int step = 0; step <= kMaxNameChain; ++step) {
    text = Trim(text);
    if (!text.empty() && text.front() == L'=') text = Trim(text.substr(1));
    std::int32_t sheet = 0;
    std::wstring_view rest;
    bool qualified = false;
    const CReferenceResolver scope(workbook_, onSheet);
    if (!scope.SplitQualifier(text, &sheet, &rest, &qualified)) {
      // Unqualified text with no current sheet can still be a workbook-level name.
      if (qualified || names == Names::Refused) return std::nullopt;
      rest = text;
    } else if (const auto range = ParseA1Range(rest)) {
      return SheetRange{sheet, *range};
    }
    if (names == Names::Refused) return std::nullopt;
    const DefinedName* name = scope.FindName(text);
    if (name == nullptr) return std::nullopt;
    // A name's own text is read on its sheet (workbook names on the sheet asking).
    if (name->scope != 0) onSheet = name->scope;
    text = name->refersTo;  // Owned by the workbook, which outlives this call.
  }
  return std::nullopt;
}

std::optional<std::vector<SheetRange>> CReferenceResolver::ResolveAreas(
    std::wstring_view text) const {
  std::vector<std::wstring_view> parts = SplitUnion(text);
  std::int32_t onSheet = currentSheet_;
  if (parts.size() == 1) {
    if (const auto single = Resolve(text)) return std::vector<SheetRange>{*single};
    // A name of a union, its text read where the name's own text is read.
    const DefinedName* name = FindName(text);
    if (name == nullptr) return std::nullopt;
    std::wstring_view refersTo = Trim(name->refersTo);
    if (!refersTo.empty() && refersTo.front() == L'=') refersTo.remove_prefix(1);
    parts = SplitUnion(refersTo);
    if (parts.size() == 1) return std::nullopt;
    if (name->scope != 0) onSheet = name->scope;
  }
  const CReferenceResolver scope(workbook_, onSheet);
  std::vector<SheetRange> areas;
  for (const std::wstring_view part : parts) {
    const auto area = scope.Resolve(part);
    if (!area) return std::nullopt;
    areas.push_back(*area);
  }
  return areas;
}

const DefinedName* CReferenceResolver::FindName(std::wstring_view text) const {
  text = Trim(text);
  std::int32_t sheet = 0;
  std::wstring_view rest;
  bool qualified = false;
  const bool split = SplitQualifier(text, &sheet, &rest, &qualified);
  if (qualified && !split) return nullptr;
  if (!split) rest = text;
  const auto matches = [&](const DefinedName& name, std::int32_t scope) {
    return name.scope == scope &&
           (SameIdentifier(name.name, rest) || SameIdentifier(DisplayedName(name), rest));
  };
  const std::int32_t local = qualified ? sheet : currentSheet_;
  if (local != 0) {
    for (const DefinedName& name : workbook_.Names()) {
      if (matches(name, local)) return &name;
    }
  }
  if (qualified) return nullptr;
  for (const DefinedName& name : workbook_.Names()) {
    if (matches(name, 0)) return &name;
  }
  return nullptr;
}

}  // namespace spreadsheet
