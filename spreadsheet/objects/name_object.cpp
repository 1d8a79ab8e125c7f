// Name: the text, definition, range and visibility of one defined name.
#include "spreadsheet/objects/name_object.h"

#include <array>

#include "spreadsheet/objects/a1_address.h"
#include "spreadsheet/objects/object_arguments.h"
#include "spreadsheet/objects/reference_resolver.h"

namespace spreadsheet {
namespace {

enum Id : DISPID {
  kValue = DISPID_VALUE,
  kApplication = 1,
  kParent,
  kName,
  kNameLocal,
  kRefersTo,
  kRefersToLocal,
  kRefersToRange,
  kVisible,
};

constexpr std::array kMembers = {
    Member{L"Value", kValue, MemberKind::Property},
    Member{L"Application", kApplication, MemberKind::ReadOnlyProperty},
    Member{L"Parent", kParent, MemberKind::ReadOnlyProperty},
    Member{L"Name", kName, MemberKind::ReadOnlyProperty},
    Member{L"NameLocal", kNameLocal, MemberKind::ReadOnlyProperty},
    Member{L"RefersTo", kRefersTo, MemberKind::Property},
    Member{L"RefersToLocal", kRefersToLocal, MemberKind::ReadOnlyProperty},
    Member{L"RefersToRange", kRefersToRange, MemberKind::ReadOnlyProperty},
    Member{L"Visible", kVisible, MemberKind::Property},
};

std::wstring RefersToOf(const DefinedName& name) {
  if (!name.refersTo.empty() && name.refersTo.front() == L'=') return name.refersTo;
  return L"=" + name.refersTo;
}

}  // namespace

std::wstring NameText(const CWorkbook& workbook, const DefinedName& name) {
  if (name.scope < 1 || name.scope > workbook.SheetCount())
    return std::wstring(DisplayedName(name));
  return QuoteSheetName(workbook.Sheet(name.scope).Name()) + L"!" +
         std::wstring(DisplayedName(name));
}

HRESULT RefersToText(const VARIANT& value, const CWorkbook& workbook, std::wstring* text) {
  switch (value.vt) {
    case VT_BSTR: {
      const std::wstring_view given(value.bstrVal == nullptr ? L"" : value.bstrVal,
                                    SysStringLen(value.bstrVal));
      if (!given.empty() && given.front() == L'=') {
        *text = std::wstring(given);
        return S_OK;
      }
      std::wstring quoted = L"=\"";
      for (const wchar_t c : given) {
        quoted += c;
        if (c == L'"') quoted += L'"';
      }
      *text = quoted + L"\"";
      return S_OK;
    }
    case VT_BOOL:
      *text = value.boolVal != VARIANT_FALSE ? L"=TRUE" : L"=FALSE";
      return S_OK;
    case VT_DISPATCH: {
      ObjectContext context;
      CellRect range;
      if (!ReadRangeObject(value.pdispVal, &context, &range) ||
          context.workbook.get() != &workbook) {
        return DISP_E_TYPEMISMATCH;
      }
      *text = L"=" + QuoteSheetName(context.sheet->Name()) + L"!" + FormatAbsoluteA1(range);
      return S_OK;
    }
    case VT_EMPTY:
    case VT_NULL:
    case VT_ERROR:
      return DISP_E_TYPEMISMATCH;
    default: {
      CVariant converted;
      if ((value.vt & VT_ARRAY) != 0 || FAILED(CVariant(value).ChangeType(VT_BSTR, &converted))) {
        return DISP_E_TYPEMISMATCH;
      }
      *text =
          L"=" + std::wstring(converted.Get()->bstrVal == nullptr ? L"" : converted.Get()->bstrVal);
      return S_OK;
    }
  }
}

std::span<const Member> CNameObject::Members() const {
  return kMembers;
}

std::int32_t CNameObject::Scope() const {
  return context_.sheet ? context_.workbook->IndexOf(*context_.sheet) : 0;
}

const DefinedName* CNameObject::Find() const {
  const auto& names = context_.workbook->Names();
  const std::int32_t scope = Scope();
  if (position_ < names.size() && names[position_].scope == scope &&
      SameIdentifier(names[position_].name, name_)) {
    return &names[position_];
  }
  const DefinedName* found = context_.workbook->FindName(name_, scope);
  if (found != nullptr) position_ = static_cast<std::size_t>(found - names.data());
  return found;
}

HRESULT CNameObject::Call(const Member& member, bool put, const CArguments& args,
                          CVariant* result) {
  if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
  if (member.id == kApplication) {
    *result = ObjectValue(CreateApplicationObject(context_.application));
    return S_OK;
  }
  const DefinedName* name = Find();
  if (name == nullptr) return RuntimeError(L"The name '" + name_ + L"' no longer exists.");
  CWorkbook& workbook = *context_.workbook;
  switch (member.id) {
    case kParent:
      *result = ObjectValue(context_.sheet ? CreateWorksheetObject(context_)
                                           : CreateWorkbookObject(context_));
      return S_OK;
    case kName:
    case kNameLocal:
      *result = CVariant(std::wstring_view(NameText(workbook, *name)));
      return S_OK;
    case kValue:
    case kRefersTo:
    case kRefersToLocal:
      if (put) {
        std::wstring refersTo;
        if (const HRESULT hr = RefersToText(*args.PutValue(), workbook, &refersTo); FAILED(hr)) {
          return hr;
        }
        DefinedName changed = *name;
        changed.refersTo = std::move(refersTo);
        workbook.AddName(std::move(changed));
        context_.application->StructureChanged(workbook);
        return S_OK;
      }
      *result = CVariant(std::wstring_view(RefersToOf(*name)));
      return S_OK;
    case kRefersToRange:
      return RefersToRange(*name, result);
    case kVisible:
      if (put) {
        bool visible = true;
        if (const HRESULT hr = ReadPutBool(args, &visible); FAILED(hr)) return hr;
        DefinedName changed = *name;
        changed.hidden = !visible;
        workbook.AddName(std::move(changed));
        return S_OK;
      }
      *result = CVariant(!name->hidden);
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT CNameObject::RefersToRange(const DefinedName& name, CVariant* result) {
  CWorkbook& workbook = *context_.workbook;
  // A workbook-level name's unqualified text is read on the active sheet, as Excel reads it.
  const std::int32_t sheet = name.scope != 0 ? name.scope : workbook.ActiveSheet();
  const CReferenceResolver resolver(workbook, sheet);
  std::optional<SheetRange> found = resolver.Resolve(name.refersTo);
  if (!found && context_.application->Evaluator() && sheet >= 1 && sheet <= workbook.SheetCount()) {
    // Names defined by formulas (OFFSET, INDEX, ...) refer to whatever range the formula gives.
    const auto answer = context_.application->Evaluator()(workbook, sheet, RefersToOf(name));
    if (answer && answer->kind == EvaluationResult::Kind::Reference && answer->sheet >= 1 &&
        answer->sheet <= workbook.SheetCount() && IsOnSheet(answer->range)) {
      found = SheetRange{answer->sheet, answer->range};
    }
  }
  if (!found) return RuntimeError(L"Unable to get the RefersToRange property of the Name class");
  const ObjectContext on{context_.application, context_.workbook, &workbook.Sheet(found->sheet)};
  *result = ObjectValue(CreateRangeObject(on, found->range));
  return S_OK;
}

}  // namespace spreadsheet
