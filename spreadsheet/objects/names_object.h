// CNamesObject: Excel's Names, of a workbook (every defined name, sheet-level ones included, as
// Excel lists them) or of one sheet (that sheet's own names): counting, finding, adding.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/object_factory.h"

namespace spreadsheet {

// Excel's limit on the length of a defined name.
constexpr std::size_t kMaxDefinedNameLength = 255;

// Whether Excel accepts `name` as a defined name (without a sheet qualifier): a letter,
// underscore or backslash first, then letters, digits, underscores, periods, backslashes and
// question marks; never a cell reference ("A1", "R1C1", "R", "C").
bool IsValidDefinedName(std::wstring_view name);

// Invariant: context_.application and context_.workbook are set; context_.sheet, when set,
// belongs to the workbook and makes this the sheet's own names.
class CNamesObject final : public CDispatchObject {
 public:
  explicit CNamesObject(ObjectContext context) : context_(std::move(context)) {}

 protected:
  ~CNamesObject() override = default;
  std::span<const Member> Members() const override;
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override;

 private:
  // Which names the collection lists: the workbook's every name of the workbook or of one of
  // its sheets, a sheet's only its own. Positions count listed names from 1, in the workbook's
  // order; each walk is one pass over the workbook's names, with nothing copied.
  struct Listing {
    std::int32_t scope;   // The sheet's index, or 0 for the workbook's names.
    std::int32_t sheets;  // Names of sheets past this are strays of a damaged file.
  };
  Listing ListingNow() const;
  bool Lists(const Listing& listing, const DefinedName& name) const;
  std::int32_t ListedCount() const;
  std::optional<std::int32_t> FindListed(
      const std::function<bool(const DefinedName&)>& match) const;
  // The position in the workbook's list of the listed name at `position` (from 1, in range).
  std::size_t IndexOfListed(std::int32_t position) const;
  std::optional<std::int32_t> FindByName(std::wstring_view text) const;
  HRESULT Item(const CArguments& args, CVariant* result);
  HRESULT Add(const CArguments& args, CVariant* result);
  CComPtr<IDispatch> NameObject(std::size_t index) const;

  ObjectContext context_;
};

}  // namespace spreadsheet
