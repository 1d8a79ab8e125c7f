// Styles: Count, Item and Add over the workbook's named styles.
#include "spreadsheet/objects/styles_object.h"

#include <array>

#include "spreadsheet/objects/object_arguments.h"
#include "spreadsheet/objects/style_object.h"

namespace spreadsheet {
namespace {

enum Id : DISPID { kItem = DISPID_VALUE, kApplication = 1, kParent, kCount, kAdd };

constexpr std::array kMembers = {
    Member{L"Item", kItem, MemberKind::ReadOnlyProperty},
    Member{L"Application", kApplication, MemberKind::ReadOnlyProperty},
    Member{L"Parent", kParent, MemberKind::ReadOnlyProperty},
    Member{L"Count", kCount, MemberKind::ReadOnlyProperty},
    Member{L"Add", kAdd, MemberKind::Method},
};

}  // namespace

std::span<const Member> CStylesObject::Members() const {
  return kMembers;
}

HRESULT CStylesObject::Call(const Member& member, bool, const CArguments& args, CVariant* result) {
  const CFormatTable& formats = context_.workbook->Formats();
  const auto& styles = formats.NamedStyles();
  switch (member.id) {
    case kApplication:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = ObjectValue(CreateApplicationObject(context_.application));
      return S_OK;
    case kParent:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = ObjectValue(CreateWorkbookObject(context_));
      return S_OK;
    case kCount:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = CVariant(static_cast<LONG>(styles.size()));
      return S_OK;
    case kItem: {
      if (const HRESULT hr = CheckArguments(args, 1, 1); FAILED(hr)) return hr;
      std::int32_t position = 0;
      const HRESULT hr = ReadItemPosition(
          args, 0, static_cast<std::int32_t>(styles.size()),
          [&](std::wstring_view name) -> std::optional<std::int32_t> {
            const auto found = formats.FindNamedStyle(std::wstring(name));
            if (!found) return std::nullopt;
            return static_cast<std::int32_t>(*found + 1);
          },
          &position);
      if (FAILED(hr)) return hr;
      *result = ObjectValue(
          NewObject<CStyleObject>(context_, styles[static_cast<std::size_t>(position - 1)].name));
      return S_OK;
    }
    case kAdd:
      return Add(args, result);
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT CStylesObject::Add(const CArguments& args, CVariant* result) {
  // Add(Name, BasedOn): BasedOn is a range whose first cell's format the style takes.
  if (const HRESULT hr = CheckArguments(args, 1, 2); FAILED(hr)) return hr;
  std::wstring name;
  if (const HRESULT hr = args.GetText(0, &name); FAILED(hr)) return hr;
  if (name.empty() || name.size() > kMaxStyleNameLength) {
    return RuntimeError(L"Method 'Add' of object 'Styles' failed");
  }
  CFormatTable& formats = context_.workbook->Formats();
  if (formats.FindNamedStyle(name)) {
    return RuntimeError(L"A style named '" + name + L"' already exists.");
  }
  CellFormat format;
  if (!args.IsMissing(1)) {
    const VARIANT* basedOn = args.At(1);
    ObjectContext context;
    CellRect range;
    if (basedOn->vt != VT_DISPATCH || !ReadRangeObject(basedOn->pdispVal, &context, &range) ||
        context.workbook != context_.workbook) {
      return DISP_E_TYPEMISMATCH;
    }
    format = formats.FormatAt(context.sheet->FormatOf(range.first));
    format.namedStyle = 0;
  }
  formats.AddNamedStyle(NamedStyle{name, format, std::nullopt});
  *result = ObjectValue(NewObject<CStyleObject>(context_, name));
  return S_OK;
}

CComPtr<IDispatch> CreateStylesObject(const ObjectContext& context) {
  return NewObject<CStylesObject>(context);
}

}  // namespace spreadsheet
