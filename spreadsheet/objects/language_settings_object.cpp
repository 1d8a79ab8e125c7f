// LanguageSettings: LanguageID of every MsoAppLanguageID is English (United States).
#include "spreadsheet/objects/language_settings_object.h"

#include <array>

#include "spreadsheet/objects/object_arguments.h"
#include "spreadsheet/objects/object_factory.h"

namespace spreadsheet {
namespace {

enum Id : DISPID { kApplication = 1, kParent, kLanguageId };

constexpr std::array kMembers = {
    Member{L"Application", kApplication, MemberKind::ReadOnlyProperty},
    Member{L"Parent", kParent, MemberKind::ReadOnlyProperty},
    Member{L"LanguageID", kLanguageId, MemberKind::ReadOnlyProperty},
};

// MsoAppLanguageID values: install, user interface, help, exe mode, UI previous.
constexpr std::int32_t kFirstLanguageKind = 1;
constexpr std::int32_t kLastLanguageKind = 5;
constexpr LONG kEnglishUnitedStates = 1033;

}  // namespace

std::span<const Member> CLanguageSettingsObject::Members() const {
  return kMembers;
}

HRESULT CLanguageSettingsObject::Call(const Member& member, bool, const CArguments& args,
                                      CVariant* result) {
  switch (member.id) {
    case kApplication:
    case kParent:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = ObjectValue(CreateApplicationObject(application_));
      return S_OK;
    case kLanguageId: {
      if (const HRESULT hr = CheckArguments(args, 1, 1); FAILED(hr)) return hr;
      std::int32_t kind = 0;
      if (const HRESULT hr = args.GetLong(0, &kind); FAILED(hr)) return hr;
      if (kind < kFirstLanguageKind || kind > kLastLanguageKind) {
        return RuntimeError(L"Invalid language identifier kind.");
      }
      *result = CVariant(kEnglishUnitedStates);
      return S_OK;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace spreadsheet
