// VariantChangeType and VariantChangeTypeEx: conversions among the kinds the object model
// exchanges, with the platform's rules. Numbers round half to even when they become integers,
// values out of the target's range fail with DISP_E_OVERFLOW, and text is read and written in
// English (United States) conventions whatever the locale passed: these builds have no other.
// Conversions among the 64-bit integer, currency and decimal kinds are not provided and fail
// with DISP_E_BADVARTYPE.
#include <cmath>
#include <cwctype>
#include <limits>
#include <string>

#include "platform/stand_in/date_text.h"
#include "platform/stand_in/dispatch.h"
#include "platform/stand_in/number_text.h"
#include "platform/stand_in/oleauto.h"
#include "platform/stand_in/variant_kinds.h"

namespace {

using stand_in::NumberText;

struct IntegerRange {
  LONGLONG min;
  LONGLONG max;
};

bool IntegerRangeOf(VARTYPE type, IntegerRange* range) {
  switch (type) {
    case VT_I1: *range = {-128, 127}; return true;
    case VT_UI1: *range = {0, 255}; return true;
    case VT_I2: *range = {-32768, 32767}; return true;
    case VT_UI2: *range = {0, 65535}; return true;
    case VT_I4:
    case VT_INT: *range = {std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()}; return true;
    case VT_UI4:
    case VT_UINT: *range = {0, std::numeric_limits<ULONG>::max()}; return true;
    default: return false;
  }
}

bool IsRealKind(VARTYPE type) { return type == VT_R4 || type == VT_R8 || type == VT_DATE; }

// A source value reduced to what the targets need to know of it.
struct Source {
  enum class Shape { Integer, Real, Boolean, Text } shape = Shape::Integer;
  LONGLONG integer = 0;   // Integer kinds and empty (0); booleans as -1 or 0.
  double real = 0.0;      // R4, R8 and DATE.
  VARTYPE kind = VT_EMPTY;
  const VARIANT* value = nullptr;
};

bool ReadSource(const VARIANT& value, Source* source) {
  source->kind = value.vt;
  source->value = &value;
  switch (value.vt) {
    case VT_EMPTY: source->integer = 0; return true;
    case VT_I1: source->integer = value.cVal; return true;
    case VT_UI1: source->integer = value.bVal; return true;
    case VT_I2: source->integer = value.iVal; return true;
    case VT_UI2: source->integer = value.uiVal; return true;
    case VT_I4: source->integer = value.lVal; return true;
    case VT_INT: source->integer = value.intVal; return true;
    case VT_UI4: source->integer = value.ulVal; return true;
    case VT_UINT: source->integer = value.uintVal; return true;
    case VT_R4:
      source->shape = Source::Shape::Real;
      source->real = static_cast<double>(value.fltVal);
      return true;
    case VT_R8:
    case VT_DATE:
      source->shape = Source::Shape::Real;
      source->real = value.dblVal;
      return true;
    case VT_BOOL:
      source->shape = Source::Shape::Boolean;
      source->integer = value.boolVal != 0 ? -1 : 0;
      return true;
    case VT_BSTR: source->shape = Source::Shape::Text; return true;
    default: return false;
  }
}

std::wstring_view TextOf(const Source& source) {
  const BSTR text = source.value->bstrVal;
  return text == nullptr ? std::wstring_view() : std::wstring_view(text, SysStringLen(text));
}

// Rounds half to even, as the platform does when a fraction becomes an integer.
double RoundHalfEven(double value) {
  const double rounded = std::nearbyint(value);  // The default rounding mode is to even.
  return rounded;
}

HRESULT RealToInteger(double real, const IntegerRange& range, LONGLONG* result) {
  if (std::isnan(real)) return DISP_E_OVERFLOW;
  if (real < static_cast<double>(range.min) - 0.5 || real >= static_cast<double>(range.max) + 0.5) {
    return DISP_E_OVERFLOW;
  }
  *result = static_cast<LONGLONG>(RoundHalfEven(real));
  return S_OK;
}

// Hexadecimal and octal text fills the target's width: &HFFFF is -1 as a 16-bit integer.
HRESULT RadixToInteger(ULONGLONG bits, const IntegerRange& range, LONGLONG* result) {
  const ULONGLONG span = static_cast<ULONGLONG>(range.max - range.min);
  if (bits <= static_cast<ULONGLONG>(range.max)) {
    *result = static_cast<LONGLONG>(bits);
  } else if (range.min < 0 && bits <= span) {
    *result = static_cast<LONGLONG>(bits - span - 1);
  } else {
    return DISP_E_OVERFLOW;
  }
  return S_OK;
}

bool Is32BitInteger(VARTYPE type) {
  return type == VT_I4 || type == VT_INT || type == VT_UI4 || type == VT_UINT;
}

HRESULT ToInteger(const Source& source, VARTYPE target, LONGLONG* result) {
  IntegerRange range{};
  IntegerRangeOf(target, &range);
  if (source.shape == Source::Shape::Integer && Is32BitInteger(source.kind) &&
      Is32BitInteger(target)) {
    // Between the signed and unsigned 32-bit kinds the platform keeps the bits: -1 is 4294967295.
    const auto bits = static_cast<ULONG>(source.integer);
    *result = range.min < 0 ? LONGLONG{static_cast<LONG>(bits)} : LONGLONG{bits};
    return S_OK;
  }
  switch (source.shape) {
    case Source::Shape::Boolean:
      // TRUE keeps all its bits: 255 as a byte, 65535 as an unsigned short.
      *result = source.integer == 0 ? 0 : (range.min < 0 ? -1 : range.max);
      return S_OK;
    case Source::Shape::Integer:
      if (source.integer < range.min || source.integer > range.max) return DISP_E_OVERFLOW;
      *result = source.integer;
      return S_OK;
    case Source::Shape::Real:
      return RealToInteger(source.real, range, result);
    case Source::Shape::Text: {
      NumberText number;
      if (const HRESULT parsed = stand_in::ParseNumberText(TextOf(source), &number); FAILED(parsed)) {
        return parsed;
      }
      return number.radix ? RadixToInteger(number.bits, range, result)
                          : RealToInteger(number.value, range, result);
    }
  }
  return DISP_E_TYPEMISMATCH;
}

HRESULT ToReal(const Source& source, double* result) {
  switch (source.shape) {
    case Source::Shape::Boolean:
    case Source::Shape::Integer:
      *result = static_cast<double>(source.integer);
      return S_OK;
    case Source::Shape::Real:
      *result = source.real;
      return S_OK;
    case Source::Shape::Text: {
      NumberText number;
      if (const HRESULT parsed = stand_in::ParseNumberText(TextOf(source), &number); FAILED(parsed)) {
        return parsed;
      }
      *result = number.radix ? static_cast<double>(number.bits) : number.value;
      return S_OK;
    }
  }
  return DISP_E_TYPEMISMATCH;
}

bool EqualsIgnoringCase(std::wstring_view text, std::wstring_view word) {
  if (text.size() != word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(text[i])) != static_cast<wint_t>(word[i])) return false;
  }
  return true;
}

HRESULT ToBoolean(const Source& source, VARIANT_BOOL* result) {
  if (source.shape == Source::Shape::Text) {
    const std::wstring_view text = TextOf(source);
    if (EqualsIgnoringCase(text, L"true") || EqualsIgnoringCase(text, L"#true#")) {
      *result = VARIANT_TRUE;
      return S_OK;
    }
    if (EqualsIgnoringCase(text, L"false") || EqualsIgnoringCase(text, L"#false#")) {
      *result = VARIANT_FALSE;
      return S_OK;
    }
  }
  double real = 0.0;
  if (const HRESULT converted = ToReal(source, &real); FAILED(converted)) return converted;
  *result = real != 0.0 ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT ToDate(const Source& source, DATE* result) {
  if (source.shape == Source::Shape::Text) return stand_in::ParseDateText(TextOf(source), result);
  double real = 0.0;
  ToReal(source, &real);
  if (!stand_in::IsDateInRange(real)) return DISP_E_OVERFLOW;
  *result = real;
  return S_OK;
}

HRESULT ToText(const Source& source, USHORT flags, BSTR* result) {
  std::wstring text;
  switch (source.shape) {
    case Source::Shape::Text:
      *result = SysAllocStringLen(source.value->bstrVal, SysStringLen(source.value->bstrVal));
      return *result == nullptr && source.value->bstrVal != nullptr ? E_OUTOFMEMORY : S_OK;
    case Source::Shape::Boolean:
      if ((flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL)) != 0) {
        text = source.integer != 0 ? L"True" : L"False";
      } else {
        text = std::to_wstring(source.integer);
      }
      break;
    case Source::Shape::Integer:
      if (source.kind != VT_EMPTY) text = std::to_wstring(source.integer);
      break;
    case Source::Shape::Real:
      if (source.kind == VT_DATE) {
        if (!stand_in::IsDateInRange(source.real)) return E_INVALIDARG;
        text = stand_in::FormatDateText(source.real);
      } else {
        text = stand_in::FormatReal(source.real, source.kind == VT_R4 ? 7 : 15);
      }
      break;
  }
  *result = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *result == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT StoreInteger(LONGLONG integer, VARTYPE target, VARIANT* out) {
  out->vt = target;
  switch (target) {
    case VT_I1: out->cVal = static_cast<char>(integer); break;
    case VT_UI1: out->bVal = static_cast<BYTE>(integer); break;
    case VT_I2: out->iVal = static_cast<SHORT>(integer); break;
    case VT_UI2: out->uiVal = static_cast<USHORT>(integer); break;
    case VT_I4: out->lVal = static_cast<LONG>(integer); break;
    case VT_INT: out->intVal = static_cast<INT>(integer); break;
    case VT_UI4: out->ulVal = static_cast<ULONG>(integer); break;
    case VT_UINT: out->uintVal = static_cast<UINT>(integer); break;
    default: return DISP_E_BADVARTYPE;
  }
  return S_OK;
}

// Converts a scalar source; `out` is empty on entry.
HRESULT ConvertScalar(const Source& source, USHORT flags, VARTYPE target, VARIANT* out) {
  IntegerRange range{};
  if (IntegerRangeOf(target, &range)) {
    LONGLONG integer = 0;
    const HRESULT converted = ToInteger(source, target, &integer);
    return FAILED(converted) ? converted : StoreInteger(integer, target, out);
  }
  switch (target) {
    case VT_R8:
    case VT_R4: {
      double real = 0.0;
      if (const HRESULT converted = ToReal(source, &real); FAILED(converted)) return converted;
      if (target == VT_R4) {
        if (std::fabs(real) > static_cast<double>(std::numeric_limits<float>::max())) {
          return DISP_E_OVERFLOW;
        }
        out->fltVal = static_cast<float>(real);
      } else {
        out->dblVal = real;
      }
      out->vt = target;
      return S_OK;
    }
    case VT_DATE: {
      DATE date = 0.0;
      if (const HRESULT converted = ToDate(source, &date); FAILED(converted)) return converted;
      out->vt = VT_DATE;
      out->date = date;
      return S_OK;
    }
    case VT_BOOL: {
      VARIANT_BOOL truth = VARIANT_FALSE;
      if (const HRESULT converted = ToBoolean(source, &truth); FAILED(converted)) return converted;
      out->vt = VT_BOOL;
      out->boolVal = truth;
      return S_OK;
    }
    case VT_BSTR: {
      BSTR text = nullptr;
      if (const HRESULT converted = ToText(source, flags, &text); FAILED(converted)) return converted;
      out->vt = VT_BSTR;
      out->bstrVal = text;
      return S_OK;
    }
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

bool IsConvertibleTarget(VARTYPE target) {
  IntegerRange range{};
  return IntegerRangeOf(target, &range) || IsRealKind(target) || target == VT_BOOL ||
         target == VT_BSTR || target == VT_EMPTY || target == VT_NULL || target == VT_ERROR ||
         target == VT_DISPATCH || target == VT_UNKNOWN;
}

// Asks an object for its default property, as the platform does before converting it.
HRESULT DefaultValue(IDispatch* object, LCID locale, VARIANT* value) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  return object->Invoke(DISPID_VALUE, IID_NULL, locale, DISPATCH_PROPERTYGET, &none, value,
                        nullptr, nullptr);
}

HRESULT ToObject(const VARIANT& source, VARTYPE target, VARIANT* out) {
  if (source.vt != VT_DISPATCH && source.vt != VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
  if (source.punkVal == nullptr) {
    out->vt = target;
    out->punkVal = nullptr;
    return S_OK;
  }
  void* object = nullptr;
  const HRESULT found = source.punkVal->QueryInterface(
      target == VT_DISPATCH ? IID_IDispatch : IID_IUnknown, &object);
  if (FAILED(found)) return DISP_E_TYPEMISMATCH;
  out->vt = target;
  out->punkVal = static_cast<IUnknown*>(object);
  return S_OK;
}

// Converts `source` (not a reference) into the empty `out`.
HRESULT Convert(const VARIANT& source, LCID locale, USHORT flags, VARTYPE target, VARIANT* out) {
  if (source.vt == target) return VariantCopy(out, const_cast<VARIANT*>(&source));
  if ((source.vt & VT_ARRAY) != 0 || (target & VT_ARRAY) != 0) return DISP_E_TYPEMISMATCH;
  // Null and error values become nothing else, not even empty.
  if (source.vt == VT_NULL || source.vt == VT_ERROR || target == VT_ERROR) return DISP_E_TYPEMISMATCH;
  if (target == VT_EMPTY) return S_OK;
  if (target == VT_NULL) {
    if (source.vt != VT_EMPTY) return DISP_E_TYPEMISMATCH;
    out->vt = VT_NULL;
    return S_OK;
  }
  if (target == VT_DISPATCH || target == VT_UNKNOWN) return ToObject(source, target, out);

  if (source.vt == VT_DISPATCH || source.vt == VT_UNKNOWN) {
    if ((flags & VARIANT_NOVALUEPROP) != 0 || source.vt == VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
    if (source.pdispVal == nullptr) return DISP_E_BADVARTYPE;  // As oleaut32 answers.
    VARIANT value;
    VariantInit(&value);
    HRESULT result = DefaultValue(source.pdispVal, locale, &value);
    if (SUCCEEDED(result)) {
      result = (value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN)
                   ? DISP_E_TYPEMISMATCH
                   : Convert(value, locale, flags | VARIANT_NOVALUEPROP, target, out);
    } else {
      result = DISP_E_TYPEMISMATCH;
    }
    VariantClear(&value);
    return result;
  }

  Source reduced;
  if (!ReadSource(source, &reduced)) return DISP_E_BADVARTYPE;
  return ConvertScalar(reduced, flags, target, out);
}

}  // namespace

HRESULT VariantChangeTypeEx(VARIANT* destination, VARIANT* source, LCID locale, USHORT flags,
                            VARTYPE type) {
  if (destination == nullptr || source == nullptr) return E_INVALIDARG;
  if (!stand_in::IsStorableKind(source->vt)) return DISP_E_BADVARTYPE;
  // References and VT_VARIANT are kinds, but no value converts to them.
  if ((type & VT_BYREF) != 0 || type == VT_VARIANT) return DISP_E_TYPEMISMATCH;
  if (!stand_in::IsStorableKind(type)) return DISP_E_BADVARTYPE;
  if ((type & VT_ARRAY) == 0 && !IsConvertibleTarget(type)) return DISP_E_BADVARTYPE;

  // Work on a dereferenced copy so that the destination may be the source itself.
  VARIANT direct;
  VariantInit(&direct);
  HRESULT result = VariantCopyInd(&direct, source);
  if (FAILED(result)) return result;
  VARIANT converted;
  VariantInit(&converted);
  result = Convert(direct, locale, flags, type, &converted);
  VariantClear(&direct);
  if (FAILED(result)) {
    VariantClear(&converted);
    return result;
  }
  if (const HRESULT cleared = VariantClear(destination); FAILED(cleared)) {
    VariantClear(&converted);
    return cleared;
  }
  *destination = converted;
  return S_OK;
}

HRESULT VariantChangeType(VARIANT* destination, VARIANT* source, USHORT flags, VARTYPE type) {
  return VariantChangeTypeEx(destination, source, LOCALE_USER_DEFAULT, flags, type);
}
