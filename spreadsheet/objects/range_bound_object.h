// CRangeBoundObject: the base of the objects that answer for a rectangle of one sheet (Range,
// Interior, Font, Borders, Border): their context, argument reading and result shapes.
#pragma once

#include <cstdint>
#include <string>

#include "platform/com_ptr.h"
#include "spreadsheet/model/coordinates.h"
#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/object_factory.h"
#include "spreadsheet/objects/range_outcome.h"

namespace spreadsheet {

// Invariant: context.sheet and context.workbook are set, and `range` lies on the sheet. The
// context's shared pointers keep the workbook (and so the sheet) alive while the object lives.
class CRangeBoundObject : public CDispatchObject {
 public:
  const ObjectContext& Context() const { return context_; }
  const CellRect& Range() const { return range_; }

 protected:
  CRangeBoundObject(ObjectContext context, const CellRect& range)
      : context_(std::move(context)), range_(range) {}

  CWorksheet& Sheet() const { return *context_.sheet; }
  CWorkbook& Workbook() const { return *context_.workbook; }

  // The members of the derived object. Model exceptions (a broken invariant of a loaded file)
  // are turned into run-time errors by the caller, so none reaches Invoke.
  virtual HRESULT CallMember(const Member& member, bool put, const CArguments& args,
                             CVariant* result) = 0;

  HRESULT Report(RangeOutcome outcome);
  // An object result; failure when the object could not be made.
  HRESULT ObjectResult(const CComPtr<IDispatch>& object, CVariant* result);
  HRESULT RangeResult(const CellRect& range, CVariant* result);
  HRESULT ApplicationResult(CVariant* result);
  HRESULT WorksheetResult(CVariant* result);
  static void SetNull(CVariant* result);

  // Fails with DISP_E_BADPARAMCOUNT when more than `allowed` arguments came.
  static HRESULT AllowArguments(const CArguments& args, std::size_t allowed);
  // The new value of a property write, converted as Excel converts it.
  static HRESULT PutLong(const CArguments& args, std::int32_t* value);
  static HRESULT PutDouble(const CArguments& args, double* value);
  static HRESULT PutBool(const CArguments& args, bool* value);
  static HRESULT PutText(const CArguments& args, std::wstring* value);

 private:
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) final;

  ObjectContext context_;
  CellRect range_;
};

}  // namespace spreadsheet
