// CDispatchObject: the base of every object the embedded spreadsheet exposes through IDispatch.
// Members are found by name without regard to case, as Excel's GetIDsOfNames finds them, and
// invoked with Excel's argument conventions (positional arguments last first, the new value of
// a property write as the named argument DISPID_PROPERTYPUT).
#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/automation.h"
#include "platform/variant.h"

namespace spreadsheet {

// The arguments of one call, in the order the caller wrote them.
class CArguments {
 public:
  explicit CArguments(const DISPPARAMS* params);

  std::size_t Count() const { return count_; }
  // An argument that was not passed, or passed as the standard missing value.
  bool IsMissing(std::size_t index) const;
  // The argument itself, read through a VT_BYREF|VT_VARIANT; nullptr when missing.
  const VARIANT* At(std::size_t index) const;

  // Conversions as Excel applies them; DISP_E_TYPEMISMATCH when the value does not convert,
  // DISP_E_PARAMNOTFOUND when it is missing.
  HRESULT GetLong(std::size_t index, std::int32_t* value) const;
  HRESULT GetDouble(std::size_t index, double* value) const;
  HRESULT GetBool(std::size_t index, bool* value) const;
  HRESULT GetText(std::size_t index, std::wstring* value) const;

  // The new value of a property write; nullptr for any other call.
  const VARIANT* PutValue() const { return putValue_; }

 private:
  const VARIANT* arguments_ = nullptr;  // Not owned: the caller's DISPPARAMS.
  std::size_t count_ = 0;
  const VARIANT* putValue_ = nullptr;
};

// How a member may be called.
enum class MemberKind : std::uint8_t {
  Property,         // Read, and written where the object allows it.
  ReadOnlyProperty,
  Method,
};

struct Member {
  std::wstring_view name;
  DISPID id;
  MemberKind kind;
};

// Invariant: the reference count starts at 1 for the creator; the object deletes itself when it
// reaches 0. No C++ exception leaves Invoke: allocation failure becomes E_OUTOFMEMORY.
class CDispatchObject : public IDispatch {
 public:
  CDispatchObject(const CDispatchObject&) = delete;
  CDispatchObject& operator=(const CDispatchObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override;

  // The object behind an interface pointer when it is one of this spreadsheet's, else nullptr.
  static CDispatchObject* FromDispatch(IDispatch* object);
  template <class T>
  static T* As(IDispatch* object) {
    return dynamic_cast<T*>(FromDispatch(object));
  }

 protected:
  CDispatchObject() = default;
  virtual ~CDispatchObject() = default;

  virtual std::span<const Member> Members() const = 0;
  // Reads (put == false) or writes a member found in Members(). `result` is empty on entry.
  virtual HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) = 0;

  // A run-time error as Excel raises it (for example writing to a protected sheet): Invoke
  // fails with DISP_E_EXCEPTION and the description in the exception information.
  HRESULT RuntimeError(std::wstring description);

 private:
  std::atomic<ULONG> references_{1};
  std::wstring pendingError_;
};

// Excel's code for a run-time error raised by a member ("Application-defined or
// object-defined error").
constexpr SCODE kExcelRuntimeError = static_cast<SCODE>(0x800A03ECu);

}  // namespace spreadsheet
