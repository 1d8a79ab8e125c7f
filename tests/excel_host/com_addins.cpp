// The COMAddIns collection and its entries.
#include "tests/excel_host/com_addins.h"

#include <array>
#include <cstdint>
#include <optional>

#include "platform/text_case.h"
#include "spreadsheet/objects/object_arguments.h"

namespace {

using spreadsheet::Member;
using spreadsheet::MemberKind;

enum ComAddInId : DISPID { kAddInDescription = 1, kAddInProgId, kAddInConnect, kAddInObject };

constexpr std::array kComAddInMembers = {
    Member{L"Description", kAddInDescription, MemberKind::Property},
    Member{L"ProgId", kAddInProgId, MemberKind::ReadOnlyProperty},
    Member{L"Connect", kAddInConnect, MemberKind::Property},
    Member{L"Object", kAddInObject, MemberKind::Property},
};

enum ComAddInsId : DISPID { kAddInsCount = 1, kAddInsItem, kAddInsUpdate };

constexpr std::array kComAddInsMembers = {
    Member{L"Count", kAddInsCount, MemberKind::ReadOnlyProperty},
    Member{L"Item", kAddInsItem, MemberKind::ReadOnlyProperty},
    Member{L"Update", kAddInsUpdate, MemberKind::Method},
};

}  // namespace

std::span<const Member> CComAddInObject::Members() const {
  return kComAddInMembers;
}

HRESULT CComAddInObject::Call(const Member& member, bool put, const spreadsheet::CArguments& args,
                              CVariant* result) {
  if (const HRESULT hr = spreadsheet::CheckArguments(args, 0, 0); FAILED(hr)) return hr;
  switch (member.id) {
    case kAddInDescription:
      if (put) return spreadsheet::ReadPutText(args, &description_);
      *result = CVariant(description_);
      return S_OK;
    case kAddInProgId:
      *result = CVariant(progId_);
      return S_OK;
    case kAddInConnect:
      if (put) return spreadsheet::ReadPutBool(args, &connected_);
      *result = CVariant(connected_);
      return S_OK;
    case kAddInObject: {
      if (!put) {
        // Nothing until the add-in sets it.
        *result =
            object_.Kind() == VT_DISPATCH ? object_ : CVariant(static_cast<IDispatch*>(nullptr));
        return S_OK;
      }
      const VARIANT* value = args.PutValue();
      if (value->vt == VT_EMPTY) {
        object_.Clear();
        return S_OK;
      }
      if (value->vt != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
      object_ = CVariant(value->pdispVal);
      return S_OK;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

CComPtr<CComAddInObject> CComAddInsObject::Add(std::wstring progId, std::wstring description) {
  CComPtr<CComAddInObject> entry;
  entry.Attach(new CComAddInObject(std::move(progId), std::move(description)));
  entries_.push_back(entry);
  return entry;
}

CComPtr<CComAddInObject> CComAddInsObject::Find(std::wstring_view progId) const {
  for (const CComPtr<CComAddInObject>& entry : entries_) {
    if (UpperCase(entry->ProgId()) == UpperCase(progId)) return entry;
  }
  return nullptr;
}

std::span<const Member> CComAddInsObject::Members() const {
  return kComAddInsMembers;
}

HRESULT CComAddInsObject::Call(const Member& member, bool, const spreadsheet::CArguments& args,
                               CVariant* result) {
  switch (member.id) {
    case kAddInsCount:
      if (const HRESULT hr = spreadsheet::CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = CVariant(static_cast<LONG>(entries_.size()));
      return S_OK;
    case kAddInsItem: {
      if (const HRESULT hr = spreadsheet::CheckArguments(args, 1, 1); FAILED(hr)) return hr;
      const auto find = [this](std::wstring_view progId) -> std::optional<std::int32_t> {
        for (std::size_t i = 0; i < entries_.size(); ++i) {
          if (UpperCase(entries_[i]->ProgId()) == UpperCase(progId)) {
            return static_cast<std::int32_t>(i + 1);
          }
        }
        return std::nullopt;
      };
      std::int32_t position = 0;
      if (const HRESULT hr = spreadsheet::ReadItemPosition(
              args, 0, static_cast<std::int32_t>(entries_.size()), find, &position);
          FAILED(hr)) {
        return hr;
      }
      *result =
          CVariant(static_cast<IDispatch*>(entries_[static_cast<std::size_t>(position - 1)].Get()));
      return S_OK;
    }
    case kAddInsUpdate:
      return spreadsheet::CheckArguments(args, 0, 0);
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}
