// VARIANT, BSTR and SAFEARRAY declarations of OLE Automation, for builds without the SDK.
//
// Layout and constants are the SDK's, so code written against them reads the same on both
// platforms. Supported element kinds are those the object model exchanges (see variant.cpp);
// the decimal and currency kinds are declared for completeness but not converted.
#pragma once

#include "platform/stand_in/hresult.h"
#include "platform/stand_in/types.h"

struct IUnknown;
struct IDispatch;
struct SAFEARRAY;
struct VARIANT;

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_VOID = 24,
  VT_HRESULT = 25,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_TYPEMASK = 0x0FFF,
};

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

// VariantChangeType(Ex) flags.
constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
constexpr USHORT VARIANT_ALPHABOOL = 0x02;
constexpr USHORT VARIANT_NOUSEROVERRIDE = 0x04;
constexpr USHORT VARIANT_LOCALBOOL = 0x10;

struct BRECORD {
  void* pvRecord;
  void* pRecInfo;
};

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;
    LONG lVal;
    BYTE bVal;
    SHORT iVal;
    float fltVal;
    double dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    DATE date;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    SAFEARRAY* parray;
    VARIANT* pvarVal;
    void* byref;
    char cVal;
    USHORT uiVal;
    ULONG ulVal;
    ULONGLONG ullVal;
    INT intVal;
    UINT uintVal;
    BRECORD brecVal;  // Never used; keeps the SDK's size (24 bytes on 64-bit builds).
  };
};
static_assert(sizeof(void*) != 8 || sizeof(VARIANT) == 24);
using VARIANTARG = VARIANT;

#define V_VT(v) ((v)->vt)
#define V_ISBYREF(v) ((V_VT(v) & VT_BYREF) != 0)
#define V_ISARRAY(v) ((V_VT(v) & VT_ARRAY) != 0)
#define V_I2(v) ((v)->iVal)
#define V_I4(v) ((v)->lVal)
#define V_INT(v) ((v)->intVal)
#define V_UI4(v) ((v)->ulVal)
#define V_R8(v) ((v)->dblVal)
#define V_DATE(v) ((v)->date)
#define V_BSTR(v) ((v)->bstrVal)
#define V_DISPATCH(v) ((v)->pdispVal)
#define V_UNKNOWN(v) ((v)->punkVal)
#define V_ERROR(v) ((v)->scode)
#define V_BOOL(v) ((v)->boolVal)
#define V_ARRAY(v) ((v)->parray)
#define V_VARIANTREF(v) ((v)->pvarVal)

struct SAFEARRAYBOUND {
  ULONG cElements;
  LONG lLbound;
};

// As on Windows, rgsabound holds cDims entries, the last dimension first.
struct SAFEARRAY {
  USHORT cDims;
  USHORT fFeatures;
  ULONG cbElements;
  ULONG cLocks;
  void* pvData;
  SAFEARRAYBOUND rgsabound[1];
};

constexpr USHORT FADF_AUTO = 0x0001;
constexpr USHORT FADF_STATIC = 0x0002;
constexpr USHORT FADF_EMBEDDED = 0x0004;
constexpr USHORT FADF_FIXEDSIZE = 0x0010;
constexpr USHORT FADF_HAVEVARTYPE = 0x0080;
constexpr USHORT FADF_BSTR = 0x0100;
constexpr USHORT FADF_UNKNOWN = 0x0200;
constexpr USHORT FADF_DISPATCH = 0x0400;
constexpr USHORT FADF_VARIANT = 0x0800;

// BSTR: length-prefixed, null-terminated wide text; a null BSTR is the empty string.
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);
void SysFreeString(BSTR text);

void VariantInit(VARIANT* value);
HRESULT VariantClear(VARIANT* value);
// Sources are declared non-const, as the SDK declares them, though they are only read.
HRESULT VariantCopy(VARIANT* destination, VARIANT* source);
HRESULT VariantCopyInd(VARIANT* destination, VARIANT* source);
HRESULT VariantChangeType(VARIANT* destination, VARIANT* source, USHORT flags, VARTYPE type);
HRESULT VariantChangeTypeEx(VARIANT* destination, VARIANT* source, LCID locale, USHORT flags,
                            VARTYPE type);

// Arrays of VT_VARIANT elements only: the one element kind the object model exchanges.
SAFEARRAY* SafeArrayCreate(VARTYPE type, UINT dims, SAFEARRAYBOUND* bounds);
SAFEARRAY* SafeArrayCreateVector(VARTYPE type, LONG lowerBound, ULONG count);
HRESULT SafeArrayDestroy(SAFEARRAY* array);
HRESULT SafeArrayCopy(SAFEARRAY* source, SAFEARRAY** copy);
UINT SafeArrayGetDim(SAFEARRAY* array);
UINT SafeArrayGetElemsize(SAFEARRAY* array);
HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* type);
HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound);
HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound);
HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* element);
HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* element);
HRESULT SafeArrayPtrOfIndex(SAFEARRAY* array, LONG* indices, void** element);
HRESULT SafeArrayLock(SAFEARRAY* array);
HRESULT SafeArrayUnlock(SAFEARRAY* array);
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
