// Names: Count, Item and Add over the workbook's defined names.
#include "spreadsheet/objects/names_object.h"

#include <array>
#include <functional>

#include "platform/char_class.h"
#include "spreadsheet/objects/a1_address.h"
#include "spreadsheet/objects/name_object.h"
#include "spreadsheet/objects/object_arguments.h"
#include "spreadsheet/objects/reference_resolver.h"

namespace spreadsheet {
namespace {

enum Id : DISPID { kItem = DISPID_VALUE, kApplication = 1, kParent, kCount, kAdd };

constexpr std::array kMembers = {
    Member{L"Item", kItem, MemberKind::Method},
    Member{L"Application", kApplication, MemberKind::ReadOnlyProperty},
    Member{L"Parent", kParent, MemberKind::ReadOnlyProperty},
    Member{L"Count", kCount, MemberKind::ReadOnlyProperty},
    Member{L"Add", kAdd, MemberKind::Method},
};

// Names.Add(Name, RefersTo, Visible, MacroType, ShortcutKey, Category, NameLocal,
// RefersToLocal, CategoryLocal, RefersToR1C1, RefersToR1C1Local).
enum AddArgument : std::size_t {
  kAddName = 0,
  kAddRefersTo = 1,
  kAddVisible = 2,
  kAddNameLocal = 6,
  kAddRefersToLocal = 7,
  kAddRefersToR1C1 = 9,
  kAddRefersToR1C1Local = 10,
  kAddArguments = 11,
};

// "Sheet1!Local" or "'My sheet'!Local" into the sheet's name and the name; false without a
// qualifier.
bool SplitQualified(std::wstring_view text, std::wstring* sheet, std::wstring_view* local) {
  std::size_t bang = std::wstring_view::npos;
  if (!text.empty() && text.front() == L'\'') {
    std::wstring name;
    std::size_t i = 1;
    for (; i < text.size(); ++i) {
      if (text[i] != L'\'') {
        name += text[i];
      } else if (i + 1 < text.size() && text[i + 1] == L'\'') {
        name += L'\'';
        ++i;
      } else {
        break;
      }
    }
    if (i + 1 >= text.size() || text[i + 1] != L'!') return false;
    *sheet = std::move(name);
    bang = i + 1;
  } else {
    bang = text.find(L'!');
    if (bang == std::wstring_view::npos) return false;
    *sheet = std::wstring(text.substr(0, bang));
  }
  *local = text.substr(bang + 1);
  return true;
}

bool NameMatches(const DefinedName& name, std::wstring_view text) {
  return SameIdentifier(name.name, text) || SameIdentifier(DisplayedName(name), text);
}

}  // namespace

bool IsValidDefinedName(std::wstring_view name) {
  if (name.empty() || name.size() > kMaxDefinedNameLength) return false;
  // Letters beyond ASCII are letters whatever the C library's locale says.
  const auto letter = [](wchar_t c) { return c > 0x7F || IsAsciiLetter(c); };
  if (!letter(name.front()) && name.front() != L'_' && name.front() != L'\\') return false;
  for (const wchar_t c : name) {
    if (!letter(c) && !IsAsciiDigit(c) && c != L'_' && c != L'.' && c != L'\\' && c != L'?') return false;
  }
  if (SameIdentifier(name, L"R") || SameIdentifier(name, L"C")) return false;
  if (ParseA1Range(name)) return false;
  // R1C1 cell text: R, C, or both, each followed by digits.
  std::size_t i = 0;
  bool row = false;
  bool column = false;
  if (i < name.size() && (name[i] == L'R' || name[i] == L'r')) {
    row = true;
    for (++i; i < name.size() && IsAsciiDigit(name[i]);) ++i;
  }
  if (i < name.size() && (name[i] == L'C' || name[i] == L'c')) {
    column = true;
    for (++i; i < name.size() && IsAsciiDigit(name[i]);) ++i;
  }
  return !((row || column) && i == name.size());
}

std::span<const Member> CNamesObject::Members() const {
  return kMembers;
}

CNamesObject::Listing CNamesObject::ListingNow() const {
  return {context_.sheet ? context_.workbook->IndexOf(*context_.sheet) : 0,
          context_.workbook->SheetCount()};
}

bool CNamesObject::Lists(const Listing& listing, const DefinedName& name) const {
  // A name of a sheet the workbook does not have (a damaged file) belongs to no collection.
  if (name.scope < 0 || name.scope > listing.sheets) return false;
  return context_.sheet == nullptr || name.scope == listing.scope;
}

std::int32_t CNamesObject::ListedCount() const {
  const Listing listing = ListingNow();
  std::int32_t count = 0;
  for (const DefinedName& name : context_.workbook->Names()) count += Lists(listing, name) ? 1 : 0;
  return count;
}

std::optional<std::int32_t> CNamesObject::FindListed(
    const std::function<bool(const DefinedName&)>& match) const {
  const Listing listing = ListingNow();
  std::int32_t position = 0;
  for (const DefinedName& name : context_.workbook->Names()) {
    if (!Lists(listing, name)) continue;
    ++position;
    if (match(name)) return position;
  }
  return std::nullopt;
}

std::size_t CNamesObject::IndexOfListed(std::int32_t position) const {
  const Listing listing = ListingNow();
  const auto& names = context_.workbook->Names();
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (Lists(listing, names[i]) && --position == 0) return i;
  }
  return names.size();
}

std::optional<std::int32_t> CNamesObject::FindByName(std::wstring_view text) const {
  const CWorkbook& workbook = *context_.workbook;
  std::wstring sheetName;
  std::wstring_view local = text;
  std::int32_t scope = context_.sheet ? workbook.IndexOf(*context_.sheet) : 0;
  if (SplitQualified(text, &sheetName, &local)) {
    const auto sheet = workbook.FindSheet(sheetName);
    if (!sheet) return std::nullopt;
    scope = *sheet;
  }
  return FindListed(
      [&](const DefinedName& name) { return name.scope == scope && NameMatches(name, local); });
}

CComPtr<IDispatch> CNamesObject::NameObject(std::size_t index) const {
  const DefinedName& name = context_.workbook->Names()[index];
  ObjectContext context{context_.application, context_.workbook};
  if (name.scope != 0) context.sheet = &context_.workbook->Sheet(name.scope);
  return NewObject<CNameObject>(context, name.name, index);
}

HRESULT CNamesObject::Call(const Member& member, bool, const CArguments& args, CVariant* result) {
  switch (member.id) {
    case kApplication:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = ObjectValue(CreateApplicationObject(context_.application));
      return S_OK;
    case kParent:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = ObjectValue(context_.sheet ? CreateWorksheetObject(context_)
                                           : CreateWorkbookObject(context_));
      return S_OK;
    case kCount:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = CVariant(LONG{ListedCount()});
      return S_OK;
    case kItem:
      return Item(args, result);
    case kAdd:
      return Add(args, result);
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT CNamesObject::Item(const CArguments& args, CVariant* result) {
  // Item(Index, IndexLocal, RefersTo): a position or a name, a name, or what it refers to.
  if (const HRESULT hr = CheckArguments(args, 0, 3); FAILED(hr)) return hr;
  const ItemFinder find = [this](std::wstring_view text) { return FindByName(text); };
  std::int32_t position = 0;
  if (!args.IsMissing(0) || !args.IsMissing(1)) {
    const std::size_t which = args.IsMissing(0) ? 1 : 0;
    const HRESULT hr = ReadItemPosition(args, which, ListedCount(), find, &position);
    if (FAILED(hr)) return hr;
  } else if (!args.IsMissing(2)) {
    std::wstring refersTo;
    if (const HRESULT hr = args.GetText(2, &refersTo); FAILED(hr)) return hr;
    if (refersTo.empty() || refersTo.front() != L'=') refersTo.insert(0, L"=");
    const auto found = FindListed(
        [&](const DefinedName& name) { return SameIdentifier(name.refersTo, refersTo); });
    if (!found) return DISP_E_BADINDEX;
    position = *found;
  } else {
    return DISP_E_PARAMNOTFOUND;
  }
  *result = ObjectValue(NameObject(IndexOfListed(position)));
  return S_OK;
}

HRESULT CNamesObject::Add(const CArguments& args, CVariant* result) {
  if (const HRESULT hr = CheckArguments(args, 0, kAddArguments); FAILED(hr)) return hr;
  const std::size_t nameArgument = args.IsMissing(kAddName) ? kAddNameLocal : kAddName;
  if (args.IsMissing(nameArgument)) return DISP_E_PARAMNOTFOUND;
  std::wstring text;
  if (const HRESULT hr = args.GetText(nameArgument, &text); FAILED(hr)) return hr;
  const std::size_t refersArgument =
      args.IsMissing(kAddRefersTo) ? kAddRefersToLocal : kAddRefersTo;
  if (args.IsMissing(refersArgument)) {
    if (!args.IsMissing(kAddRefersToR1C1) || !args.IsMissing(kAddRefersToR1C1Local)) {
      return RuntimeError(L"This spreadsheet reads RefersTo in A1 notation only.");
    }
    return RuntimeError(L"Names.Add needs what the name refers to.");
  }
  CWorkbook& workbook = *context_.workbook;
  std::wstring refersTo;
  if (const HRESULT hr = RefersToText(*args.At(refersArgument), workbook, &refersTo); FAILED(hr)) {
    return hr;
  }
  bool visible = true;
  if (!args.IsMissing(kAddVisible)) {
    if (const HRESULT hr = args.GetBool(kAddVisible, &visible); FAILED(hr)) return hr;
  }
  // A qualified name belongs to the sheet it names; otherwise to this collection's scope.
  std::int32_t scope = context_.sheet ? workbook.IndexOf(*context_.sheet) : 0;
  std::wstring sheetName;
  std::wstring_view local = text;
  if (SplitQualified(text, &sheetName, &local)) {
    const auto sheet = workbook.FindSheet(sheetName);
    if (!sheet) return RuntimeError(L"The sheet '" + sheetName + L"' of the name does not exist.");
    scope = *sheet;
  }
  if (!IsValidDefinedName(local)) {
    return RuntimeError(L"The syntax of this name isn't correct.");
  }
  workbook.AddName({std::wstring(local), refersTo, scope, !visible});
  context_.application->StructureChanged(workbook);
  ObjectContext context{context_.application, context_.workbook};
  if (scope != 0) context.sheet = &workbook.Sheet(scope);
  // The stored spelling, which a replaced name of other case keeps.
  const DefinedName* added = workbook.FindName(local, scope);
  if (added == nullptr) return RuntimeError(L"The name could not be added.");
  *result = ObjectValue(NewObject<CNameObject>(
      context, added->name, static_cast<std::size_t>(added - workbook.Names().data())));
  return S_OK;
}

CComPtr<IDispatch> CreateNamesObject(const ObjectContext& context, std::int32_t scope) {
  ObjectContext names{context.application, context.workbook};
  if (scope != 0) names.sheet = &context.workbook->Sheet(scope);
  return NewObject<CNamesObject>(names);
}

}  // namespace spreadsheet
