// The dispatch base: name lookup, argument order, property writes, run-time errors, lifetime.
#include "spreadsheet/objects/dispatch_object.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/com_ptr.h"

namespace spreadsheet {
namespace {

// Answers Sum(a, b) with a*10+b to show the order, Value as a property, Fail as an error.
class CProbe final : public CDispatchObject {
 public:
  static int alive;
  CProbe() { ++alive; }
  ~CProbe() override { --alive; }
  double value = 0;

 protected:
  std::span<const Member> Members() const override {
    static constexpr std::array<Member, 3> kMembers = {{
        {L"Sum", 1, MemberKind::Method},
        {L"Value", 2, MemberKind::Property},
        {L"Fail", 3, MemberKind::ReadOnlyProperty},
    }};
    return kMembers;
  }
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override {
    switch (member.id) {
      case 1: {
        std::int32_t a = 0, b = 0;
        if (FAILED(args.GetLong(0, &a))) return DISP_E_TYPEMISMATCH;
        if (args.IsMissing(1)) b = 0;
        else if (FAILED(args.GetLong(1, &b))) return DISP_E_TYPEMISMATCH;
        *result = CVariant(static_cast<LONG>(a * 10 + b));
        return S_OK;
      }
      case 2:
        if (put) {
          CVariant converted;
          if (FAILED(CVariant(*args.PutValue()).ChangeType(VT_R8, &converted))) {
            return DISP_E_TYPEMISMATCH;
          }
          value = converted.Get()->dblVal;
          return S_OK;
        }
        *result = CVariant(value);
        return S_OK;
      default:
        return RuntimeError(L"refused");
    }
  }
};
int CProbe::alive = 0;

DISPID IdOf(IDispatch* object, const wchar_t* name) {
  std::wstring text(name);
  LPOLESTR names[1] = {text.data()};
  DISPID id = DISPID_UNKNOWN;
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, kLocaleEnglishUS, &id))) return DISPID_UNKNOWN;
  return id;
}

class DispatchBase : public testing::Test {
 protected:
  void SetUp() override { object_.Attach(new CProbe()); }
  HRESULT Invoke(DISPID id, WORD flags, std::vector<CVariant> reversedArgs, CVariant* result,
                 const VARIANT* put = nullptr, EXCEPINFO* exception = nullptr) {
    std::vector<VARIANT> raw;
    DISPID named = DISPID_PROPERTYPUT;
    if (put != nullptr) raw.push_back(*put);
    for (auto& arg : reversedArgs) raw.push_back(*arg.Get());
    DISPPARAMS params{raw.data(), put != nullptr ? &named : nullptr, static_cast<UINT>(raw.size()),
                      put != nullptr ? 1u : 0u};
    return object_->Invoke(id, IID_NULL, kLocaleEnglishUS, flags, &params, result->Receive(),
                           exception, nullptr);
  }
  CComPtr<IDispatch> object_;
};

TEST_F(DispatchBase, FindsMembersWithoutRegardToCase) {
  EXPECT_EQ(1, IdOf(object_.Get(), L"sum"));
  EXPECT_EQ(2, IdOf(object_.Get(), L"VALUE"));
  EXPECT_EQ(DISPID_UNKNOWN, IdOf(object_.Get(), L"Values"));
  EXPECT_EQ(DISPID_UNKNOWN, IdOf(object_.Get(), L"Su"));
}

TEST_F(DispatchBase, PassesArgumentsInTheOrderWritten) {
  CVariant result;
  // rgvarg holds the last argument first: Sum(3, 4) arrives as {4, 3}.
  ASSERT_EQ(S_OK, Invoke(1, DISPATCH_METHOD, {CVariant(LONG{4}), CVariant(LONG{3})}, &result));
  EXPECT_EQ(34, result.Get()->lVal);
  ASSERT_EQ(S_OK, Invoke(1, DISPATCH_METHOD, {CVariant::Missing(), CVariant(L"7")}, &result));
  EXPECT_EQ(70, result.Get()->lVal);
  EXPECT_EQ(DISP_E_TYPEMISMATCH, Invoke(1, DISPATCH_METHOD, {CVariant(L"x")}, &result));
}

TEST_F(DispatchBase, WritesPropertiesThroughTheNamedArgument) {
  CVariant result;
  const CVariant value(L"2.5");
  ASSERT_EQ(S_OK, Invoke(2, DISPATCH_PROPERTYPUT, {}, &result, value.Get()));
  ASSERT_EQ(S_OK, Invoke(2, DISPATCH_PROPERTYGET, {}, &result));
  EXPECT_EQ(2.5, result.Get()->dblVal);
  EXPECT_EQ(DISP_E_PARAMNOTOPTIONAL, Invoke(2, DISPATCH_PROPERTYPUT, {}, &result));
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Invoke(3, DISPATCH_PROPERTYPUT, {}, &result, value.Get()));
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Invoke(99, DISPATCH_PROPERTYGET, {}, &result));
}

TEST_F(DispatchBase, ReportsRunTimeErrorsAsExceptions) {
  CVariant result;
  EXCEPINFO exception{};
  ASSERT_EQ(DISP_E_EXCEPTION, Invoke(3, DISPATCH_PROPERTYGET, {}, &result, nullptr, &exception));
  EXPECT_EQ(kExcelRuntimeError, exception.scode);
  EXPECT_EQ(L"refused", std::wstring(exception.bstrDescription));
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
}

TEST_F(DispatchBase, RecognisesItsOwnObjectsAndDiesWithTheLastReference) {
  EXPECT_NE(nullptr, CDispatchObject::As<CProbe>(object_.Get()));
  EXPECT_EQ(1, CProbe::alive);
  object_.Reset();
  EXPECT_EQ(0, CProbe::alive);
}

}  // namespace
}  // namespace spreadsheet
