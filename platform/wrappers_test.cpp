// The owning wrappers: references and values are released exactly once.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "platform/bstr.h"
#include "platform/com_ptr.h"
#include "platform/variant.h"
#include "tests/support/value_object.h"

namespace {

using test_support::CValueObject;

TEST(ComPtr, AddsAndReleasesReferences) {
  CValueObject object{CVariant()};
  {
    CComPtr<IDispatch> first(&object);
    EXPECT_EQ(2u, object.References());
    CComPtr<IDispatch> second = first;
    EXPECT_EQ(3u, object.References());
    CComPtr<IDispatch> moved = std::move(second);
    EXPECT_EQ(3u, object.References());
    EXPECT_FALSE(second);  // NOLINT(bugprone-use-after-move): the moved-from state is the point.
    moved = first;  // The same object: the count does not move.
    EXPECT_EQ(3u, object.References());
    moved.Reset();
    EXPECT_EQ(2u, object.References());
  }
  EXPECT_EQ(1u, object.References());
}

TEST(ComPtr, AttachAdoptsAndDetachGivesAway) {
  CValueObject object{CVariant()};
  object.AddRef();
  CComPtr<IDispatch> held;
  held.Attach(&object);
  EXPECT_EQ(2u, object.References());
  IDispatch* raw = held.Detach();
  EXPECT_EQ(2u, object.References());
  raw->Release();
  EXPECT_EQ(1u, object.References());
}

TEST(ComPtr, QueryInterfaceHandsBackACountedReference) {
  CValueObject object{CVariant()};
  CComPtr<IDispatch> dispatch(&object);
  {
    CComPtr<IUnknown> unknown;
    ASSERT_EQ(S_OK, dispatch.QueryInterface(IID_IUnknown, &unknown));
    EXPECT_EQ(3u, object.References());
  }
  EXPECT_EQ(2u, object.References());
  CComPtr<IUnknown> nothing;
  EXPECT_EQ(E_POINTER, CComPtr<IDispatch>().QueryInterface(IID_IUnknown, &nothing));
}

TEST(CVariant, CopiesTextDeeplyAndObjectsByReference) {
  CValueObject object{CVariant()};
  const CVariant text(L"abc");
  const CVariant textCopy = text;  // NOLINT(performance-unnecessary-copy-initialization)
  EXPECT_NE(text.Get()->bstrVal, textCopy.Get()->bstrVal);
  EXPECT_EQ(L"abc", std::wstring(textCopy.Get()->bstrVal));
  {
    const CVariant holder(static_cast<IDispatch*>(&object));
    const CVariant holderCopy = holder;  // NOLINT(performance-unnecessary-copy-initialization)
    EXPECT_EQ(3u, object.References());
  }
  EXPECT_EQ(1u, object.References());
}

TEST(CVariant, MissingIsTheOmittedArgument) {
  const CVariant missing = CVariant::Missing();
  EXPECT_EQ(VT_ERROR, missing.Kind());
  EXPECT_EQ(DISP_E_PARAMNOTFOUND, missing.Get()->scode);
}

TEST(CVariant, ReceiveClearsWhatWasHeld) {
  CValueObject object{CVariant()};
  CVariant holder(static_cast<IDispatch*>(&object));
  VARIANT* slot = holder.Receive();
  EXPECT_EQ(VT_EMPTY, slot->vt);
  EXPECT_EQ(1u, object.References());
}

TEST(CBstr, RoundTripsTextWithEmbeddedNulls) {
  const std::wstring text(L"a\0b", 3);
  const CBstr bstr(text);
  EXPECT_EQ(3u, bstr.Length());
  EXPECT_EQ(text, bstr.ToWString());
  const CBstr copy = bstr;  // NOLINT(performance-unnecessary-copy-initialization)
  EXPECT_NE(bstr.Get(), copy.Get());
  EXPECT_EQ(text, copy.ToWString());
  EXPECT_EQ(L"", CBstr().ToWString());
}

TEST(CBstr, AdoptsAndFreesOnce) {
  CBstr owned = CBstr::Adopt(SysAllocString(L"given"));
  EXPECT_EQ(L"given", owned.ToWString());
  BSTR raw = owned.Detach();
  EXPECT_EQ(nullptr, owned.Get());
  SysFreeString(raw);
}

}  // namespace
