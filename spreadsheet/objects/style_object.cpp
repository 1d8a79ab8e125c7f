// Style: a named style's name and whether it is one of Excel's built-in styles.
#include "spreadsheet/objects/style_object.h"

#include <array>

#include "spreadsheet/objects/object_arguments.h"

namespace spreadsheet {
namespace {

enum Id : DISPID { kValue = DISPID_VALUE, kApplication = 1, kParent, kName, kNameLocal, kBuiltIn };

constexpr std::array kMembers = {
    Member{L"Value", kValue, MemberKind::ReadOnlyProperty},
    Member{L"Application", kApplication, MemberKind::ReadOnlyProperty},
    Member{L"Parent", kParent, MemberKind::ReadOnlyProperty},
    Member{L"Name", kName, MemberKind::ReadOnlyProperty},
    Member{L"NameLocal", kNameLocal, MemberKind::ReadOnlyProperty},
    Member{L"BuiltIn", kBuiltIn, MemberKind::ReadOnlyProperty},
};

}  // namespace

std::span<const Member> CStyleObject::Members() const {
  return kMembers;
}

HRESULT CStyleObject::Call(const Member& member, bool, const CArguments& args, CVariant* result) {
  if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
  if (member.id == kApplication) {
    *result = ObjectValue(CreateApplicationObject(context_.application));
    return S_OK;
  }
  const CFormatTable& formats = context_.workbook->Formats();
  const auto index = formats.FindNamedStyle(name_);
  if (!index) return RuntimeError(L"The style '" + name_ + L"' no longer exists.");
  const NamedStyle& style = formats.NamedStyles()[*index];
  switch (member.id) {
    case kParent:
      *result = ObjectValue(CreateWorkbookObject(context_));
      return S_OK;
    case kValue:
    case kName:
    case kNameLocal:
      // Names are English throughout, so the local name is the name.
      *result = CVariant(std::wstring_view(style.name));
      return S_OK;
    case kBuiltIn:
      *result = CVariant(style.builtinId.has_value());
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace spreadsheet
