// CComAddInsObject and CComAddInObject: Office's Application.COMAddIns collection and its
// entries, as Excel keeps them for the add-ins it loaded. An add-in publishes its automation
// object through its entry's Object property; scripts read it back from there.
#pragma once

#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/variant.h"
#include "spreadsheet/objects/dispatch_object.h"

// One loaded add-in: ProgId, Description, Connect and Object.
class CComAddInObject final : public spreadsheet::CDispatchObject {
 public:
  CComAddInObject(std::wstring progId, std::wstring description)
      : progId_(std::move(progId)), description_(std::move(description)) {}

  const std::wstring& ProgId() const { return progId_; }
  // What the add-in set as Object (VT_DISPATCH), or empty.
  const CVariant& PublishedObject() const { return object_; }
  // Excel drops the object when it unloads the add-in; this ends the cycle of references
  // between the add-in, which holds the Application, and its published object.
  void DropPublishedObject() { object_.Clear(); }

 protected:
  ~CComAddInObject() override = default;
  std::span<const spreadsheet::Member> Members() const override;
  HRESULT Call(const spreadsheet::Member& member, bool put, const spreadsheet::CArguments& args,
               CVariant* result) override;

 private:
  std::wstring progId_;
  std::wstring description_;
  bool connected_ = true;
  CVariant object_;
};

// Count, and Item by position from 1 or by ProgId (ignoring case).
class CComAddInsObject final : public spreadsheet::CDispatchObject {
 public:
  CComAddInsObject() = default;

  // Adds an entry and answers it.
  CComPtr<CComAddInObject> Add(std::wstring progId, std::wstring description);
  // The entry of a ProgId (ignoring case), or null.
  CComPtr<CComAddInObject> Find(std::wstring_view progId) const;

 protected:
  ~CComAddInsObject() override = default;
  std::span<const spreadsheet::Member> Members() const override;
  HRESULT Call(const spreadsheet::Member& member, bool put, const spreadsheet::CArguments& args,
               CVariant* result) override;

 private:
  std::vector<CComPtr<CComAddInObject>> entries_;
};
