// CVariant: owns one VARIANT; nobody calls VariantClear by hand.
#pragma once

#include <string>
#include <string_view>

#include "platform/automation.h"

// Copying copies the value (strings and arrays deeply, objects by reference). Allocation failure
// throws std::bad_alloc.
class CVariant {
 public:
  CVariant() { VariantInit(&value_); }
  explicit CVariant(LONG number);
  explicit CVariant(double number);
  explicit CVariant(bool truth);
  explicit CVariant(std::wstring_view text);
  explicit CVariant(const wchar_t* text) : CVariant(std::wstring_view(text)) {}
  explicit CVariant(IDispatch* object);  // Adds a reference; a null object is VT_DISPATCH null.
  explicit CVariant(const VARIANT& value);  // Copies.
  CVariant(const CVariant& other) : CVariant(other.value_) {}
  CVariant(CVariant&& other) noexcept;
  CVariant& operator=(CVariant other) noexcept;
  ~CVariant() { VariantClear(&value_); }

  // The standard value of an omitted optional argument.
  static CVariant Missing();
  static CVariant Error(SCODE code);
  // Takes over a VARIANT the caller owned; `value` is left empty.
  static CVariant Adopt(VARIANT* value);

  const VARIANT* Get() const { return &value_; }
  // The SDK takes sources as non-const pointers though it only reads them.
  VARIANT* GetSource() const { return const_cast<VARIANT*>(&value_); }
  VARIANT* GetMutable() { return &value_; }
  VARTYPE Kind() const { return value_.vt; }
  // For out-parameters: clears and lends the VARIANT.
  VARIANT* Receive();
  // Hands the value to `destination`, which must not own anything.
  void Detach(VARIANT* destination);
  void Clear();

  // VariantChangeTypeEx into a new value, in the locale every object-model call uses.
  HRESULT ChangeType(VARTYPE type, CVariant* result, USHORT flags = 0) const;

 private:
  VARIANT value_;
};
