// CNameObject: Excel's Name, one defined name of a workbook: its text, what it refers to, the
// range it refers to, and whether it is shown.
#pragma once

#include <string>

#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/object_factory.h"

namespace spreadsheet {

// The text Name.Name shows: the name, after its sheet's name and "!" for a sheet-level name.
std::wstring NameText(const CWorkbook& workbook, const DefinedName& name);

// What a RefersTo value becomes, as Excel stores it: text beginning with "=" as it is, other
// text as a quoted text constant, numbers and Booleans as constants, and a range of this
// workbook as its sheet-qualified absolute address. DISP_E_TYPEMISMATCH for anything else.
HRESULT RefersToText(const VARIANT& value, const CWorkbook& workbook, std::wstring* text);

// Refers to its name by scope and text, so it follows the name through sheet moves and sees
// a replaced definition; a name gone from the workbook makes every member a run-time error.
// Invariant: context_.application and context_.workbook are set; context_.sheet is the sheet
// of a sheet-level name and null for a workbook-level one.
class CNameObject final : public CDispatchObject {
 public:
  // `position` is where the name sits in the workbook's list now: a hint that spares a search.
  CNameObject(ObjectContext context, std::wstring name, std::size_t position)
      : context_(std::move(context)), name_(std::move(name)), position_(position) {}

 protected:
  ~CNameObject() override = default;
  std::span<const Member> Members() const override;
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override;

 private:
  std::int32_t Scope() const;
  const DefinedName* Find() const;
  HRESULT RefersToRange(const DefinedName& name, CVariant* result);

  ObjectContext context_;
  std::wstring name_;  // As the workbook stores it, without a qualifier.
  mutable std::size_t position_;
};

}  // namespace spreadsheet
