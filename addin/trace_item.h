// CTraceItem: the automation object through which a workbook's scripts read the lists a trace
// window shows, without a window; each item gives its related cells as further items.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "container/dependency_container.h"
#include "excel/excel_object.h"
#include "formula/cell_reference.h"
#include "platform/automation.h"
#include "platform/com_ptr.h"

class CAddInManager;

// The members by name, with their dispatch ids in this order from 1.
inline constexpr std::wstring_view kTraceItemMembers[] = {L"Range", L"Type",    L"Name",  L"Count",
                                                          L"Item",  L"Display", L"Select"};

class CTraceItem final : public IDispatch {
 public:
  // The item for `kind` ("precedents", "dependents" or "inputs", any case) on `range`; for any
  // other word the message "Unknown argument: '<word>'" and null. A null range gives an item
  // without lists.
  static CComPtr<IDispatch> Trace(CAddInManager& manager, IDispatch* range, std::wstring_view kind);

  // Items live as long as scripts hold them, which may be past the manager: they reach it
  // through the process-wide current manager, and answer nothing once there is none.
  explicit CTraceItem(int32_t kind) : kind_(kind) {}
  virtual ~CTraceItem() = default;

  // The range, with the reference computed from it.
  void SetRange(const ExcelObject& range);
  // A reference that is not a range of cells (a name that is a constant, a table, unreadable
  // text): kept as the engine gave it, with no Range.
  void SetReference(const CellReference& reference);
  const CellReference& Reference() const { return reference_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override;

 private:
  std::shared_ptr<CDependencyContainer> Container() const;
  // 2 for a reference with any flag, 1 for one cell, 0 for a rectangle.
  LONG Type() const;
  LONG Count();
  CComPtr<IDispatch> Item(LONG index);
  // The rectangle clamped to the used area of its sheet; false when it holds no cell.
  bool Normalized(CDependencyContainer& container, CellPos* first, CellPos* last) const;
  void Display() const;
  void Select() const;

  ULONG references_ = 1;
  int32_t kind_;
  ExcelObject range_;
  CellReference reference_;
  LONG count_ = -1;
};
