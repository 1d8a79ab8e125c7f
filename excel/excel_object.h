// ExcelObject: the one way the system reads and writes a workbook. It calls an automation object
// late-bound by member name, exactly as Excel's object model is called: a name lookup on every
// call (no identifier cache), Invoke in English (United States), positional arguments last first,
// property writes through the named argument DISPID_PROPERTYPUT.
//
// Every accessor returns success or failure; on failure the output is left as the caller set it,
// so callers preset defaults. Nothing is thrown except std::bad_alloc when text cannot be
// allocated.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#if TRELVANE_EXCEL_THREAD_CHECK
#include <thread>
#endif

#include "excel/value_text.h"
#include "platform/automation.h"
#include "platform/com_ptr.h"
#include "platform/variant.h"

class ExcelObject {
 public:
  using Arguments = std::initializer_list<CVariant>;

  ExcelObject() = default;
  explicit ExcelObject(IDispatch* object) : object_(object) { ClaimThread(); }

  bool IsEmpty() const { return !object_; }
  IDispatch* Get() const { return object_.Get(); }
  // Adds a reference to the new object, then releases the old one.
  void Reset(IDispatch* object = nullptr) {
    object_.Reset(object);
    ClaimThread();
  }
  friend bool operator==(const ExcelObject& a, const ExcelObject& b) { return a.object_ == b.object_; }

  // The three primitive calls.
  bool GetValue(std::wstring_view member, CVariant* result, Arguments args = {}) const;
  bool PutValue(std::wstring_view member, const CVariant& value) const;
  bool CallMethod(std::wstring_view member, CVariant* result, Arguments args = {}) const;

  // Typed reads.
  bool GetLong(std::wstring_view member, LONG* value, Arguments args = {}) const;
  bool GetDouble(std::wstring_view member, double* value, Arguments args = {}) const;
  // Succeeds whenever the read does; sets `value` only for a Boolean result.
  bool GetBool(std::wstring_view member, bool* value, Arguments args = {}) const;
  // True only for a successful read of the Boolean TRUE.
  bool IsTrue(std::wstring_view member, Arguments args = {}) const;
  // HasFormula read generously: false only for a successful read of FALSE, so a range mixing
  // formulas and constants (null) counts as having formulas.
  bool HasAnyFormula() const;
  // By PropertyText: error values read "#ERROR!", null and arrays empty text.
  bool GetText(std::wstring_view member, std::wstring* value, Arguments args = {}) const;
  // Succeeds only for a non-null object, which `target` then holds.
  bool GetObject(std::wstring_view member, ExcelObject* target, Arguments args = {}) const;

  // Typed writes.
  bool PutText(std::wstring_view member, std::wstring_view text) const;
  bool PutLong(std::wstring_view member, LONG value) const;
  bool PutBool(std::wstring_view member, bool value) const;

  bool CallForObject(std::wstring_view member, ExcelObject* target, Arguments args = {}) const;

 private:
#if TRELVANE_EXCEL_THREAD_CHECK
  // An object is called on the thread it was obtained on: in the add-in a workbook's objects
  // belong to Excel's thread, and a call from the window thread must go through the host call.
  // Test builds check it on every call, so that a stray call fails a test instead of hanging or
  // crashing Excel.
  void ClaimThread() { owner_ = std::this_thread::get_id(); }
  void CheckThread() const;
  std::thread::id owner_;
#else
  void ClaimThread() {}
  void CheckThread() const {}
#endif

  bool Invoke(std::wstring_view member, WORD flags, const CVariant* put, Arguments args,
              CVariant* result) const;

  CComPtr<IDispatch> object_;
};
