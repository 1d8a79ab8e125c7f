// The add-in object as Excel and scripts meet it before and without a connection: its
// interfaces and identity, binding by name, the ribbon document, the pictures, and the wording
// of COM errors.
#include <gtest/gtest.h>

#include <olectl.h>

#include <string>

#include "addin/ribbon_ui.h"
#include "addin/win32/addin_object.h"
#include "addin/win32/com_error.h"
#include "addin/win32/com_module.h"
#include "addin/win32/office_interfaces.h"
#include "platform/bstr.h"
#include "platform/com_ptr.h"
#include "platform/variant.h"
#include "tests/support/test_owned_dispatch.h"

namespace {

// A new add-in object, held by the test's one reference.
CComPtr<IDispatch> NewAddIn() {
  CComPtr<IDispatch> addIn;
  addIn.Attach(new CAddIn());
  return addIn;
}

DISPID IdOf(IDispatch* object, const wchar_t* name) {
  auto* names = const_cast<LPOLESTR>(name);
  DISPID id = DISPID_UNKNOWN;
  object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id);
  return id;
}

// Calls a member by name with the arguments in their own order, as a script does.
HRESULT CallByName(IDispatch* object, const wchar_t* name, std::vector<CVariant> arguments,
                   CVariant* result) {
  std::vector<VARIANT> reversed;
  for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) reversed.push_back(*it->Get());
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  return object->Invoke(IdOf(object, name), IID_NULL, LOCALE_USER_DEFAULT,
                        DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params, result->Receive(),
                        nullptr, nullptr);
}

// A ribbon control with an id, as Office hands it to the callbacks.
class CTestRibbonControl final : public test_support::CTestOwnedDispatch {
 public:
  explicit CTestRibbonControl(std::wstring id) : id_(std::move(id)) {}
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                          DISPID* ids) override {
    if (_wcsicmp(names[0], L"Id") != 0) return DISP_E_UNKNOWNNAME;
    ids[0] = kRibbonControlIdId;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    if (id != kRibbonControlIdId) return DISP_E_MEMBERNOTFOUND;
    CVariant(std::wstring_view(id_)).Detach(result);
    return S_OK;
  }

 private:
  std::wstring id_;
};

}  // namespace

TEST(Win32AddInObject, EveryInterfaceIsOneObject) {
  CComPtr<IDispatch> addIn = NewAddIn();
  CComPtr<IUnknown> identity;
  ASSERT_EQ(addIn.QueryInterface(IID_IUnknown, &identity), S_OK);
  CComPtr<IDTExtensibility2> extensibility;
  CComPtr<IRibbonExtensibility> ribbon;
  ASSERT_EQ(addIn.QueryInterface(IID_IDTExtensibility2, &extensibility), S_OK);
  ASSERT_EQ(addIn.QueryInterface(IID_IRibbonExtensibility, &ribbon), S_OK);
  for (IUnknown* face : {static_cast<IUnknown*>(extensibility.Get()),
                         static_cast<IUnknown*>(ribbon.Get())}) {
    CComPtr<IUnknown> back;
    CComPtr<IUnknown> held(face);
    ASSERT_EQ(held.QueryInterface(IID_IUnknown, &back), S_OK);
    EXPECT_EQ(back.Get(), identity.Get());
  }
  CComPtr<IUnknown> none;
  EXPECT_EQ(addIn.QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
  EXPECT_FALSE(none);
}

TEST(Win32AddInObject, KeepsTheModuleLoadedWhileItLives) {
  ASSERT_TRUE(CComModule::CanUnload());
  {
    CComPtr<IDispatch> addIn = NewAddIn();
    EXPECT_FALSE(CComModule::CanUnload());
  }
  EXPECT_TRUE(CComModule::CanUnload());
}

TEST(Win32AddInObject, BindsEveryMemberByNameIgnoringCase) {
  CComPtr<IDispatch> addIn = NewAddIn();
  DISPID expected = 1;
  for (std::wstring_view member : kConnectMembers) {
    std::wstring upper(member);
    for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
    EXPECT_EQ(IdOf(addIn.Get(), upper.c_str()), expected++) << std::wstring(member);
  }
  EXPECT_EQ(IdOf(addIn.Get(), L"Connect"), DISPID_UNKNOWN);
}

TEST(Win32AddInObject, WithoutAConnectionTheRibbonIsEmptyAndTraceGivesNothing) {
  CComPtr<IDispatch> addIn = NewAddIn();
  CComPtr<IDTExtensibility2> extensibility;
  CComPtr<IRibbonExtensibility> ribbon;
  ASSERT_EQ(addIn.QueryInterface(IID_IDTExtensibility2, &extensibility), S_OK);
  ASSERT_EQ(addIn.QueryInterface(IID_IRibbonExtensibility, &ribbon), S_OK);
  EXPECT_EQ(extensibility->OnConnection(nullptr, ext_cm_Startup, nullptr, nullptr), S_OK);
  EXPECT_EQ(extensibility->OnStartupComplete(nullptr), S_OK);

  EXPECT_EQ(ribbon->GetCustomUI(nullptr, nullptr), E_POINTER);
  CBstr xml;
  ASSERT_EQ(ribbon->GetCustomUI(nullptr, xml.Receive()), S_OK);
  ASSERT_NE(xml.Get(), nullptr);  // an empty text, not a null one
  EXPECT_EQ(xml.Length(), 0u);

  CVariant item;
  ASSERT_EQ(CallByName(addIn.Get(), L"Trace", {CVariant(static_cast<IDispatch*>(nullptr)),
                                               CVariant(L"precedents")},
                       &item),
            S_OK);
  EXPECT_EQ(item.Kind(), VT_DISPATCH);
  EXPECT_EQ(item.Get()->pdispVal, nullptr);
  EXPECT_EQ(extensibility->OnBeginShutdown(nullptr), S_OK);
}

TEST(Win32AddInObject, AnswersTheCallbacksOfEveryControlFromItsTables) {
  CComPtr<IDispatch> addIn = NewAddIn();
  for (const wchar_t* id : {L"nuvShowPrecedents", L"nuvShowInputs", L"nuvMru0", L"nuvAbout"}) {
    CTestRibbonControl control(id);
    CVariant tip;
    CVariant supertip;
    CVariant visible;
    CVariant keytip;
    ASSERT_EQ(CallByName(addIn.Get(), L"GetScreentip", {CVariant(&control)}, &tip), S_OK);
    ASSERT_EQ(CallByName(addIn.Get(), L"GetSupertip", {CVariant(&control)}, &supertip), S_OK);
    ASSERT_EQ(CallByName(addIn.Get(), L"GetButtonVisible", {CVariant(&control)}, &visible), S_OK);
    ASSERT_EQ(CallByName(addIn.Get(), L"GetKeytip", {CVariant(&control)}, &keytip), S_OK);
    EXPECT_EQ(std::wstring_view(tip.Get()->bstrVal), ScreentipOf(id));
    EXPECT_EQ(std::wstring_view(supertip.Get()->bstrVal), SupertipOf(id));
    EXPECT_EQ(visible.Get()->boolVal == VARIANT_TRUE, RecentItemButtonVisible(id, 0));
    EXPECT_EQ(SysStringLen(keytip.Get()->bstrVal), 0u);
  }
}

TEST(Win32AddInObject, LoadsEachOwnImageAsAnIconPictureOfItsSize) {
  CComPtr<IDispatch> addIn = NewAddIn();
  for (const OwnImage& image : kOwnImages) {
    CVariant picture;
    ASSERT_EQ(CallByName(addIn.Get(), L"LoadImage", {CVariant(image.imageId)}, &picture), S_OK);
    ASSERT_EQ(picture.Kind(), VT_DISPATCH);
    ASSERT_NE(picture.Get()->pdispVal, nullptr) << image.iconResource;
    CComPtr<IDispatch> object(picture.Get()->pdispVal);
    CComPtr<IPicture> icon;
    ASSERT_EQ(object.QueryInterface(IID_IPicture, &icon), S_OK);
    SHORT type = PICTYPE_UNINITIALIZED;
    icon->get_Type(&type);
    EXPECT_EQ(type, PICTYPE_ICON);
    OLE_XSIZE_HIMETRIC width = 0;
    icon->get_Width(&width);
    const int pixels = GetSystemMetrics(IsLargeImage(image.imageId) ? SM_CXICON : SM_CXSMICON);
    EXPECT_NEAR(width, MulDiv(pixels, 2540, 96), 30) << image.iconResource;
  }
  CVariant none;
  ASSERT_EQ(CallByName(addIn.Get(), L"LoadImage", {CVariant(L"nuvShowPrecedents")}, &none), S_OK);
  EXPECT_EQ(none.Get()->pdispVal, nullptr);  // an Office image, not ours
}

TEST(Win32ComError, WordsCodesWithoutASystemTextAsThePlatformDoes) {
  EXPECT_EQ(ComErrorText(static_cast<HRESULT>(0x8004FFFFL)), L"IDispatch error #65023");
  EXPECT_EQ(ComErrorText(static_cast<HRESULT>(0x8004F201L)), L"IDispatch error #61441");
  EXPECT_EQ(ComErrorText(static_cast<HRESULT>(0xA0CDEF12L)), L"Unknown error 0xA0CDEF12");
  const std::wstring system = ComErrorText(E_OUTOFMEMORY);
  ASSERT_FALSE(system.empty());
  EXPECT_NE(system.back(), L'\n');
  EXPECT_NE(system.back(), L'\r');
}
