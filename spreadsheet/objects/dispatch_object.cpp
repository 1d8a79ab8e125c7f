// Name lookup and invocation for the spreadsheet's automation objects.
#include "spreadsheet/objects/dispatch_object.h"

#include <array>
#include <cstddef>
#include <cwctype>
#include <deque>
#include <list>
#include <mutex>
#include <new>
#include <string>
#include <span>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/bstr.h"

namespace spreadsheet {
namespace {

// Answers QueryInterface with the object itself, so that objects handed back to the
// spreadsheet (a range passed to Intersect) are recognised without trusting a cast.
constexpr IID kIidSpreadsheetObject = {
    0x6a1c7d52, 0x3f0e, 0x4b8a, {0x9d, 0x21, 0x5c, 0x7e, 0x40, 0x18, 0xa3, 0x6f}};

// The member tables by name, without regard to case, and by id. Every object's table is a
// static array, so its address and length name it; each table is indexed once, instead of
// comparing the name with every member on each of the scans' many calls.
struct MemberIndex {
  std::deque<std::wstring> foldedNames;  // what byName's keys view
  std::unordered_map<std::wstring_view, const Member*> byName;
  std::vector<const Member*> byId;  // ids from 0 up; larger ids are searched for
};
// Keyed by the table's address and length: an object may offer the first members of its table
// only (a host without some feature), and then the rest must not be found.
struct TableKeyHash {
  std::size_t operator()(const std::pair<const Member*, std::size_t>& key) const {
    return std::hash<const Member*>{}(key.first) ^
           static_cast<std::size_t>(key.second * 0x9E3779B97F4A7C15ull);
  }
};
using MemberIndexes =
    std::unordered_map<std::pair<const Member*, std::size_t>, MemberIndex, TableKeyHash>;

// Names longer than this are no member's.
constexpr std::size_t kLongestName = 64;

// Each thread's indexes, found without a lock. The process owns them: a thread_local object
// with a destructor corrupts the heap of a statically linked MinGW program when its thread
// exits, so the thread keeps only a plain pointer.
MemberIndexes& ThreadIndexes() {
  thread_local MemberIndexes* mine = nullptr;
  if (mine == nullptr) {
    static std::mutex lock;
    static std::list<MemberIndexes> all;
    const std::lock_guard guard(lock);
    mine = &all.emplace_back();
  }
  return *mine;
}

// Every member name is ASCII, and every call folds one: the locale is asked only beyond it.
wchar_t FoldedChar(wchar_t c) {
  if (c < 0x80) return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
  return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
}

const MemberIndex& IndexOf(std::span<const Member> members) {
  MemberIndex& index = ThreadIndexes()[{members.data(), members.size()}];
  if (!index.foldedNames.empty() || members.empty()) return index;
  constexpr DISPID kDenseIds = 4096;
  for (const Member& member : members) {
    std::wstring& folded = index.foldedNames.emplace_back(member.name);
    for (wchar_t& c : folded) c = FoldedChar(c);
    index.byName.emplace(folded, &member);
    if (member.id >= 0 && member.id < kDenseIds) {
      const auto at = static_cast<std::size_t>(member.id);
      if (index.byId.size() <= at) index.byId.resize(at + 1, nullptr);
      if (index.byId[at] == nullptr) index.byId[at] = &member;
    }
  }
  return index;
}

const Member* FindMember(std::span<const Member> members, const OLECHAR* name) {
  std::array<wchar_t, kLongestName> folded{};
  std::size_t length = 0;
  for (; name[length] != 0; ++length) {
    if (length == kLongestName) return nullptr;
    folded[length] = FoldedChar(name[length]);
  }
  const MemberIndex& index = IndexOf(members);
  const auto found = index.byName.find(std::wstring_view(folded.data(), length));
  return found == index.byName.end() ? nullptr : found->second;
}

const Member* MemberById(std::span<const Member> members, DISPID id) {
  const MemberIndex& index = IndexOf(members);
  if (id >= 0 && static_cast<std::size_t>(id) < index.byId.size()) {
    return index.byId[static_cast<std::size_t>(id)];
  }
  for (const Member& member : members) {
    if (member.id == id) return &member;
  }
  return nullptr;
}

const VARIANT* Dereference(const VARIANT* value) {
  if (value != nullptr && value->vt == (VT_BYREF | VT_VARIANT)) return value->pvarVal;
  return value;
}

HRESULT Convert(const VARIANT* value, VARTYPE type, CVariant* converted) {
  if (value == nullptr) return DISP_E_PARAMNOTFOUND;
  const HRESULT hr = VariantChangeTypeEx(converted->Receive(), const_cast<VARIANT*>(value),
                                         kLocaleEnglishUS, 0, type);
  if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
  return FAILED(hr) ? DISP_E_TYPEMISMATCH : S_OK;
}

}  // namespace

CArguments::CArguments(const DISPPARAMS* params) {
  if (params == nullptr) return;
  std::size_t named = 0;
  for (UINT i = 0; i < params->cNamedArgs; ++i) {
    if (params->rgdispidNamedArgs != nullptr &&
        params->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT) {
      putValue_ = Dereference(&params->rgvarg[i]);
      named = i + 1;
    }
  }
  // Named arguments come first in rgvarg; the positional ones follow, last first.
  arguments_ = params->rgvarg == nullptr ? nullptr : params->rgvarg + named;
  count_ = params->cArgs >= named ? params->cArgs - named : 0;
}

const VARIANT* CArguments::At(std::size_t index) const {
  if (index >= count_) return nullptr;
  const VARIANT* value = Dereference(&arguments_[count_ - 1 - index]);
  if (value == nullptr || (value->vt == VT_ERROR && value->scode == DISP_E_PARAMNOTFOUND)) {
    return nullptr;
  }
  return value;
}

bool CArguments::IsMissing(std::size_t index) const {
  return At(index) == nullptr;
}

HRESULT CArguments::GetLong(std::size_t index, std::int32_t* value) const {
  CVariant converted;
  const HRESULT hr = Convert(At(index), VT_I4, &converted);
  if (SUCCEEDED(hr)) *value = converted.Get()->lVal;
  return hr;
}

HRESULT CArguments::GetDouble(std::size_t index, double* value) const {
  CVariant converted;
  const HRESULT hr = Convert(At(index), VT_R8, &converted);
  if (SUCCEEDED(hr)) *value = converted.Get()->dblVal;
  return hr;
}

HRESULT CArguments::GetBool(std::size_t index, bool* value) const {
  CVariant converted;
  const HRESULT hr = Convert(At(index), VT_BOOL, &converted);
  if (SUCCEEDED(hr)) *value = converted.Get()->boolVal != VARIANT_FALSE;
  return hr;
}

HRESULT CArguments::GetText(std::size_t index, std::wstring* value) const {
  CVariant converted;
  const HRESULT hr = Convert(At(index), VT_BSTR, &converted);
  if (SUCCEEDED(hr)) {
    const BSTR text = converted.Get()->bstrVal;
    value->assign(text == nullptr ? L"" : text, SysStringLen(text));
  }
  return hr;
}

HRESULT CDispatchObject::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
      IsEqualIID(iid, kIidSpreadsheetObject)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG CDispatchObject::AddRef() {
  return ++references_;
}

ULONG CDispatchObject::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT CDispatchObject::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT CDispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo**) {
  return E_NOTIMPL;
}

HRESULT CDispatchObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  HRESULT result = S_OK;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  // Only the member name is looked up; named arguments are not offered, as Excel's late-bound
  // callers here pass none.
  if (names[0] != nullptr) {
    if (const Member* member = FindMember(Members(), names[0])) ids[0] = member->id;
  }
  if (ids[0] == DISPID_UNKNOWN || count > 1) result = DISP_E_UNKNOWNNAME;
  return result;
}

HRESULT CDispatchObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
  if (argumentError != nullptr) *argumentError = 0;
  const Member* found = MemberById(Members(), id);
  if (found == nullptr) return DISP_E_MEMBERNOTFOUND;

  const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  const bool get = (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0;
  // Reads and method calls are interchangeable, as in Excel: Names.Item is called either way.
  if (put && found->kind != MemberKind::Property) return DISP_E_MEMBERNOTFOUND;
  if (!put && !get) return DISP_E_MEMBERNOTFOUND;
  const CArguments args(params);
  if (put && args.PutValue() == nullptr) return DISP_E_PARAMNOTOPTIONAL;

  try {
    CVariant value;
    pendingError_.clear();
    const HRESULT hr = Call(*found, put, args, &value);
    if (hr == DISP_E_EXCEPTION && exception != nullptr) {
      *exception = EXCEPINFO{};
      exception->bstrSource = CBstr(L"Trelvane spreadsheet").Detach();
      exception->bstrDescription = CBstr(pendingError_).Detach();
      exception->scode = kExcelRuntimeError;
    }
    if (SUCCEEDED(hr) && result != nullptr) {
      VariantInit(result);
      value.Detach(result);
    }
    return hr;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    // No C++ exception may cross a COM entry point; a fault inside a member fails the call.
    return E_UNEXPECTED;
  }
}

HRESULT CDispatchObject::RuntimeError(std::wstring description) {
  pendingError_ = std::move(description);
  return DISP_E_EXCEPTION;
}

CDispatchObject* CDispatchObject::FromDispatch(IDispatch* object) {
  if (object == nullptr) return nullptr;
  void* found = nullptr;
  if (FAILED(object->QueryInterface(kIidSpreadsheetObject, &found)) || found == nullptr) {
    return nullptr;
  }
  auto* ours = static_cast<CDispatchObject*>(static_cast<IDispatch*>(found));
  ours->Release();  // The caller holds its own reference to `object`.
  return ours;
}

}  // namespace spreadsheet
