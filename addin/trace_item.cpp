// CTraceItem: the trace lists for scripts, one related cell at a time.
#include "addin/trace_item.h"

#include <algorithm>
#include <string>

#include "addin/addin_manager.h"
#include "addin/command_ids.h"
#include "engine/related.h"
#include "excel/cell_range.h"
#include "formula/text_compare.h"
#include "platform/bstr.h"
#include "platform/variant.h"
#include "scan/used_range.h"

namespace {

constexpr uint32_t kAnyReferenceFlag =
    RefDynamic | RefArrayRange | RefStructured | RefInvalid | RefNameNotRange;

enum TraceItemMember : DISPID {
  kRangeMember = 1,
  kTypeMember,
  kNameMember,
  kCountMember,
  kItemMember,
  kDisplayMember,
  kSelectMember,
};

// Describes a failed call the way automation clients show it: VBA puts the description in its
// run-time error.
HRESULT RaiseReadOnly(std::wstring_view member, EXCEPINFO* exception) {
  if (exception != nullptr) {
    *exception = EXCEPINFO{};
    const std::wstring text = L"'" + std::wstring(member) + L"' property is read-only";
    exception->bstrDescription = SysAllocString(text.c_str());
    exception->scode = DISP_E_EXCEPTION;
  }
  return DISP_E_EXCEPTION;
}

// The value an object member gives back: the object, or Nothing (a null object).
void ReturnObject(IDispatch* object, VARIANT* result) {
  if (result == nullptr) return;
  CVariant(object).Detach(result);
}

}  // namespace

CComPtr<IDispatch> CTraceItem::Trace(CAddInManager& manager, IDispatch* range,
                                     std::wstring_view kind) {
  int32_t number = -1;
  if (EqualsNoCase(kind, L"precedents")) {
    number = static_cast<int32_t>(CommandId::kShowPrecedents);
  } else if (EqualsNoCase(kind, L"dependents")) {
    number = static_cast<int32_t>(CommandId::kShowDependents);
  } else if (EqualsNoCase(kind, L"inputs")) {
    number = static_cast<int32_t>(CommandId::kShowInputs);
  } else {
    manager.ShowMessage(L"Unknown argument: '" + std::wstring(kind) + L"'");
    return nullptr;
  }
  CComPtr<IDispatch> item;
  auto* created = new CTraceItem(number);
  item.Attach(created);
  if (range != nullptr) created->SetRange(ExcelObject(range));
  return item;
}

void CTraceItem::SetRange(const ExcelObject& range) {
  range_ = range;
  reference_ = CellReference{};
  count_ = -1;
  const std::shared_ptr<CDependencyContainer> container = Container();
  if (!container) return;
  CellPos first;
  CellPos last;
  if (GetRangePosition(range_, container->AddressParser(), &first, &last)) {
    reference_.first = first;
    reference_.last = last;
  }
}

void CTraceItem::SetReference(const CellReference& reference) {
  reference_ = reference;
  count_ = -1;
}

std::shared_ptr<CDependencyContainer> CTraceItem::Container() const {
  CAddInManager* manager = CAddInManager::Current();
  if (manager == nullptr || range_.IsEmpty()) return nullptr;
  ExcelObject sheet;
  ExcelObject workbook;
  std::wstring name;
  if (!range_.GetObject(L"Parent", &sheet) || !sheet.GetObject(L"Parent", &workbook) ||
      !workbook.GetText(L"Name", &name)) {
    return nullptr;
  }
  return manager->FindContainerByWorkbookName(name, true);
}

LONG CTraceItem::Type() const {
  if ((reference_.flags & kAnyReferenceFlag) != 0) return 2;
  return reference_.IsSingleCell() ? 1 : 0;
}

bool CTraceItem::Normalized(CDependencyContainer& container, CellPos* first, CellPos* last) const {
  *first =
      CellPos{reference_.first.sheet, std::min(reference_.first.column, reference_.last.column),
              std::min(reference_.first.row, reference_.last.row)};
  *last = CellPos{reference_.last.sheet, std::max(reference_.first.column, reference_.last.column),
                  std::max(reference_.first.row, reference_.last.row)};
  return ClampRectangle(container, first, last);
}

LONG CTraceItem::Count() {
  if (count_ != -1) return count_;
  const std::shared_ptr<CDependencyContainer> container = Container();
  if (!container) return 0;
  if (!reference_.IsSingleCell()) {
    CellPos first;
    CellPos last;
    if (!Normalized(*container, &first, &last)) return 0;
    const int64_t cells = int64_t{last.column - first.column + 1} * (last.row - first.row + 1);
    count_ = static_cast<LONG>(std::min<int64_t>(cells, INT32_MAX));
    return count_;
  }
  if (Type() != 1) return 0;
  const SharedReferenceList list =
      ListRelated(*container, reference_.first, static_cast<TraceKind>(kind_));
  count_ = list ? static_cast<LONG>(list->size()) : 0;
  return count_;
}

CComPtr<IDispatch> CTraceItem::Item(LONG index) {
  if (index < 1) return nullptr;
  const std::shared_ptr<CDependencyContainer> container = Container();
  if (!container) return nullptr;
  CComPtr<IDispatch> item;
  if (reference_.IsSingleCell()) {
    if (Type() != 1) return nullptr;
    const SharedReferenceList list =
        ListRelated(*container, reference_.first, static_cast<TraceKind>(kind_));
    if (!list || static_cast<size_t>(index) > list->size()) return nullptr;
    const CellReference& element = (*list)[static_cast<size_t>(index - 1)];
    auto* created = new CTraceItem(kind_);
    item.Attach(created);
    if ((element.flags & kAnyReferenceFlag) != 0) {
      created->SetReference(element);
      return item;
    }
    ExcelObject range;
    if (GetRectangleRange(container->Worksheets(), element.first, element.last, &range)) {
      created->SetRange(range);
    }
    return item;
  }
  CellPos first;
  CellPos last;
  if (!Normalized(*container, &first, &last)) return nullptr;
  const int64_t columns = last.column - first.column + 1;
  const int64_t rows = last.row - first.row + 1;
  const int64_t offset = index - 1;
  if (offset >= columns * rows) return nullptr;
  const CellPos cell{first.sheet, first.column + static_cast<int32_t>(offset % columns),
                     first.row + static_cast<int32_t>(offset / columns)};
  ExcelObject range;
  if (!GetCellRange(container->Worksheets(), cell, &range)) return nullptr;
  auto* created = new CTraceItem(kind_);
  item.Attach(created);
  created->SetRange(range);
  return item;
}

void CTraceItem::Display() const {
  if (CAddInManager* manager = CAddInManager::Current()) manager->PostCommand(kind_, &reference_);
}

void CTraceItem::Select() const {
  ExcelObject sheet;
  ExcelObject workbook;
  bool visible = false;
  if (range_.IsEmpty() || !range_.GetObject(L"Parent", &sheet) ||
      !sheet.GetBool(L"Visible", &visible) || !visible) {
    return;
  }
  if (sheet.GetObject(L"Parent", &workbook)) workbook.CallMethod(L"Activate", nullptr);
  sheet.CallMethod(L"Activate", nullptr);
  range_.CallMethod(L"Select", nullptr);
}

HRESULT STDMETHODCALLTYPE CTraceItem::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CTraceItem::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE CTraceItem::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CTraceItem::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CTraceItem::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                                    DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  HRESULT answer = S_OK;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  for (DISPID id = 1; id <= static_cast<DISPID>(std::size(kTraceItemMembers)); ++id) {
    if (names[0] != nullptr && EqualsNoCase(names[0], kTraceItemMembers[id - 1])) ids[0] = id;
  }
  // Members take no named arguments.
  for (UINT i = 0; i < count; ++i) {
    if (ids[i] == DISPID_UNKNOWN) answer = DISP_E_UNKNOWNNAME;
  }
  return answer;
}

HRESULT STDMETHODCALLTYPE CTraceItem::Invoke(DISPID member, REFIID, LCID, WORD flags,
                                             DISPPARAMS* params, VARIANT* result,
                                             EXCEPINFO* exception, UINT* argumentError) {
  const UINT arguments = params != nullptr ? params->cArgs : 0;
  const bool get = (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0;
  const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  if (result != nullptr) VariantInit(result);
  switch (member) {
    case kRangeMember:
      if (put) {
        if (arguments != 1) return DISP_E_BADPARAMCOUNT;
        const VARIANT& value = params->rgvarg[0];
        if (value.vt != VT_DISPATCH) {
          if (argumentError != nullptr) *argumentError = 0;
          return DISP_E_TYPEMISMATCH;
        }
        // The object only: the item's cells stay those computed when it was made.
        range_.Reset(value.pdispVal);
        return S_OK;
      }
      ReturnObject(range_.Get(), result);
      return S_OK;
    case kTypeMember:
    case kNameMember:
    case kCountMember:
    case kItemMember:
      if (put) return RaiseReadOnly(kTraceItemMembers[member - 1], exception);
      break;
    case kDisplayMember:
      Display();
      return S_OK;
    case kSelectMember:
      Select();
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
  if (!get) return DISP_E_MEMBERNOTFOUND;
  switch (member) {
    case kTypeMember:
      if (result != nullptr) CVariant(Type()).Detach(result);
      return S_OK;
    case kNameMember:
      if (result != nullptr) CVariant(std::wstring_view(reference_.text)).Detach(result);
      return S_OK;
    case kCountMember:
      if (result != nullptr) CVariant(Count()).Detach(result);
      return S_OK;
    default: {  // Item
      if (arguments != 1) return DISP_E_BADPARAMCOUNT;
      CVariant index;
      if (FAILED(CVariant(params->rgvarg[0]).ChangeType(VT_I4, &index))) {
        if (argumentError != nullptr) *argumentError = 0;
        return DISP_E_TYPEMISMATCH;
      }
      ReturnObject(Item(index.Get()->lVal).Get(), result);
      return S_OK;
    }
  }
}
