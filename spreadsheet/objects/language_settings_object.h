// CLanguageSettingsObject: Office's LanguageSettings, answering the languages this spreadsheet
// works in (English, United States, throughout).
#pragma once

#include <memory>

#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/spreadsheet_application.h"

namespace spreadsheet {

// Invariant: application_ is set.
class CLanguageSettingsObject final : public CDispatchObject {
 public:
  explicit CLanguageSettingsObject(std::shared_ptr<CSpreadsheetApplication> application)
      : application_(std::move(application)) {}

 protected:
  ~CLanguageSettingsObject() override = default;
  std::span<const Member> Members() const override;
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override;

 private:
  std::shared_ptr<CSpreadsheetApplication> application_;
};

}  // namespace spreadsheet
