// Argument and result conventions shared by the workbook-level objects: argument counts, the
// index-or-name argument of a collection's Item, property-write values and value kinds.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/com_ptr.h"
#include "platform/variant.h"
#include "spreadsheet/model/cell_value.h"
#include "spreadsheet/objects/dispatch_object.h"

namespace spreadsheet {

// DISP_E_BADPARAMCOUNT when more than `allowed` arguments came, DISP_E_PARAMNOTFOUND when one of
// the first `required` is missing; S_OK otherwise.
HRESULT CheckArguments(const CArguments& args, std::size_t required, std::size_t allowed);

// Finds an item by name; nothing when no item has the name.
using ItemFinder = std::function<std::optional<std::int32_t>(std::wstring_view name)>;

// The argument of Item: a number of any kind is a position from 1; text is a name looked up with
// `find` (or, without a finder, read as a number). DISP_E_BADINDEX for a position or name that
// names no item, DISP_E_TYPEMISMATCH for other kinds, DISP_E_PARAMNOTFOUND when missing.
HRESULT ReadItemPosition(const CArguments& args, std::size_t index, std::int32_t count,
                         const ItemFinder& find, std::int32_t* position);

// The new value of a property write, converted as Excel converts it (DISP_E_TYPEMISMATCH when
// it does not convert).
HRESULT ReadPutLong(const CArguments& args, std::int32_t* value);
HRESULT ReadPutDouble(const CArguments& args, double* value);
HRESULT ReadPutBool(const CArguments& args, bool* value);
HRESULT ReadPutText(const CArguments& args, std::wstring* value);

// A new object, held by the pointer returned (its count starts at one for its creator).
template <class T, class... Args>
CComPtr<IDispatch> NewObject(Args&&... arguments) {
  CComPtr<IDispatch> object;
  object.Attach(new T(std::forward<Args>(arguments)...));
  return object;
}

// An object result; a null object is Excel's Nothing (VT_DISPATCH null).
CVariant ObjectValue(const CComPtr<IDispatch>& object);
// A cell value as Excel hands it out: VT_R8, VT_BSTR, VT_BOOL, VT_ERROR or VT_EMPTY.
CVariant CellValueToVariant(const CellValue& value);

}  // namespace spreadsheet
