// SAFEARRAY of VARIANT in one and two dimensions, and BSTR: the same tests run against the
// stand-ins natively and against oleaut32 under Wine.
#include <gtest/gtest.h>

#include <string>

#include "platform/automation.h"
#include "platform/variant.h"

namespace {

// Rows 1..3, columns 1..2: the shape of Range.Value for a 3x2 range.
class TwoDimensionalArray : public testing::Test {
 protected:
  void SetUp() override {
    SAFEARRAYBOUND bounds[2] = {{3, 1}, {2, 1}};
    array_ = SafeArrayCreate(VT_VARIANT, 2, bounds);
    ASSERT_NE(nullptr, array_);
  }
  void TearDown() override {
    if (array_ != nullptr) {
      EXPECT_EQ(S_OK, SafeArrayDestroy(array_));
    }
  }
  HRESULT Put(LONG row, LONG column, const CVariant& value) {
    LONG indices[2] = {row, column};
    return SafeArrayPutElement(array_, indices, const_cast<VARIANT*>(value.Get()));
  }
  HRESULT Get(LONG row, LONG column, CVariant* value) {
    LONG indices[2] = {row, column};
    return SafeArrayGetElement(array_, indices, value->Receive());
  }
  SAFEARRAY* array_ = nullptr;
};

TEST_F(TwoDimensionalArray, ReportsItsShape) {
  EXPECT_EQ(2u, SafeArrayGetDim(array_));
  EXPECT_EQ(sizeof(VARIANT), SafeArrayGetElemsize(array_));
  LONG bound = 0;
  ASSERT_EQ(S_OK, SafeArrayGetLBound(array_, 1, &bound));
  EXPECT_EQ(1, bound);
  ASSERT_EQ(S_OK, SafeArrayGetUBound(array_, 1, &bound));
  EXPECT_EQ(3, bound);
  ASSERT_EQ(S_OK, SafeArrayGetUBound(array_, 2, &bound));
  EXPECT_EQ(2, bound);
  EXPECT_EQ(DISP_E_BADINDEX, SafeArrayGetUBound(array_, 3, &bound));
  EXPECT_EQ(DISP_E_BADINDEX, SafeArrayGetLBound(array_, 0, &bound));
  VARTYPE type = VT_EMPTY;
  ASSERT_EQ(S_OK, SafeArrayGetVartype(array_, &type));
  EXPECT_EQ(VT_VARIANT, type);
}

TEST_F(TwoDimensionalArray, StartsEmptyAndKeepsWhatIsPut) {
  CVariant value;
  ASSERT_EQ(S_OK, Get(2, 2, &value));
  EXPECT_EQ(VT_EMPTY, value.Kind());
  ASSERT_EQ(S_OK, Put(2, 1, CVariant(L"text")));
  ASSERT_EQ(S_OK, Put(3, 2, CVariant(2.5)));
  ASSERT_EQ(S_OK, Get(2, 1, &value));
  ASSERT_EQ(VT_BSTR, value.Kind());
  EXPECT_EQ(L"text", std::wstring(value.Get()->bstrVal));
  ASSERT_EQ(S_OK, Get(3, 2, &value));
  EXPECT_EQ(2.5, value.Get()->dblVal);
  ASSERT_EQ(S_OK, Put(2, 1, CVariant(LONG{1})));  // Replacing frees the old text.
  ASSERT_EQ(S_OK, Get(2, 1, &value));
  EXPECT_EQ(VT_I4, value.Kind());
}

TEST_F(TwoDimensionalArray, RefusesIndicesOutsideItsBounds) {
  CVariant value;
  EXPECT_EQ(DISP_E_BADINDEX, Get(0, 1, &value));
  EXPECT_EQ(DISP_E_BADINDEX, Get(4, 1, &value));
  EXPECT_EQ(DISP_E_BADINDEX, Get(1, 3, &value));
  EXPECT_EQ(DISP_E_BADINDEX, Put(1, 0, CVariant(1.0)));
}

// The first dimension varies fastest, as code that walks pvData relies on.
TEST_F(TwoDimensionalArray, LaysElementsOutColumnByColumn) {
  ASSERT_EQ(S_OK, Put(2, 1, CVariant(LONG{21})));
  ASSERT_EQ(S_OK, Put(1, 2, CVariant(LONG{12})));
  void* data = nullptr;
  ASSERT_EQ(S_OK, SafeArrayAccessData(array_, &data));
  const VARIANT* elements = static_cast<const VARIANT*>(data);
  EXPECT_EQ(21, elements[1].lVal);
  EXPECT_EQ(12, elements[3].lVal);
  EXPECT_EQ(DISP_E_ARRAYISLOCKED, SafeArrayDestroy(array_));
  ASSERT_EQ(S_OK, SafeArrayUnaccessData(array_));
}

TEST_F(TwoDimensionalArray, CopiesDeeply) {
  ASSERT_EQ(S_OK, Put(1, 1, CVariant(L"original")));
  SAFEARRAY* copy = nullptr;
  ASSERT_EQ(S_OK, SafeArrayCopy(array_, &copy));
  ASSERT_EQ(S_OK, Put(1, 1, CVariant(L"changed")));
  LONG indices[2] = {1, 1};
  CVariant value;
  ASSERT_EQ(S_OK, SafeArrayGetElement(copy, indices, value.Receive()));
  EXPECT_EQ(L"original", std::wstring(value.Get()->bstrVal));
  EXPECT_EQ(S_OK, SafeArrayDestroy(copy));
}

TEST_F(TwoDimensionalArray, IsOwnedByTheVariantThatHoldsIt) {
  ASSERT_EQ(S_OK, Put(1, 1, CVariant(L"kept")));
  VARIANT holder;
  VariantInit(&holder);
  holder.vt = VT_ARRAY | VT_VARIANT;
  holder.parray = std::exchange(array_, nullptr);
  CVariant owned = CVariant::Adopt(&holder);
  const CVariant copy = owned;  // NOLINT(performance-unnecessary-copy-initialization): copies the array.
  ASSERT_NE(owned.Get()->parray, copy.Get()->parray);
  LONG indices[2] = {1, 1};
  CVariant value;
  ASSERT_EQ(S_OK, SafeArrayGetElement(copy.Get()->parray, indices, value.Receive()));
  EXPECT_EQ(L"kept", std::wstring(value.Get()->bstrVal));
}

TEST(OneDimensionalArray, HasTheBoundsItWasMadeWith) {
  SAFEARRAY* vector = SafeArrayCreateVector(VT_VARIANT, 0, 4);
  ASSERT_NE(nullptr, vector);
  EXPECT_EQ(1u, SafeArrayGetDim(vector));
  LONG lower = -1, upper = -1;
  ASSERT_EQ(S_OK, SafeArrayGetLBound(vector, 1, &lower));
  ASSERT_EQ(S_OK, SafeArrayGetUBound(vector, 1, &upper));
  EXPECT_EQ(0, lower);
  EXPECT_EQ(3, upper);
  LONG index = 3;
  CVariant value(true);
  ASSERT_EQ(S_OK, SafeArrayPutElement(vector, &index, value.GetMutable()));
  index = 4;
  EXPECT_EQ(DISP_E_BADINDEX, SafeArrayPutElement(vector, &index, value.GetMutable()));
  EXPECT_EQ(S_OK, SafeArrayDestroy(vector));
}

TEST(OneDimensionalArray, MayBeEmpty) {
  SAFEARRAY* vector = SafeArrayCreateVector(VT_VARIANT, 1, 0);
  ASSERT_NE(nullptr, vector);
  LONG upper = -1;
  ASSERT_EQ(S_OK, SafeArrayGetUBound(vector, 1, &upper));
  EXPECT_EQ(0, upper);
  LONG index = 1;
  CVariant value;
  EXPECT_EQ(DISP_E_BADINDEX, SafeArrayGetElement(vector, &index, value.Receive()));
  EXPECT_EQ(S_OK, SafeArrayDestroy(vector));
}

TEST(Bstr, KeepsItsLengthAndEmbeddedNulls) {
  const OLECHAR text[] = {L'a', L'\0', L'b'};
  BSTR bstr = SysAllocStringLen(text, 3);
  ASSERT_NE(nullptr, bstr);
  EXPECT_EQ(3u, SysStringLen(bstr));
  EXPECT_EQ(3u * sizeof(OLECHAR), SysStringByteLen(bstr));
  EXPECT_EQ(L'b', bstr[2]);
  EXPECT_EQ(L'\0', bstr[3]);
  SysFreeString(bstr);
}

TEST(Bstr, TreatsNullAsEmpty) {
  EXPECT_EQ(nullptr, SysAllocString(nullptr));
  EXPECT_EQ(0u, SysStringLen(nullptr));
  SysFreeString(nullptr);
  BSTR blank = SysAllocStringLen(nullptr, 2);
  ASSERT_NE(nullptr, blank);
  EXPECT_EQ(2u, SysStringLen(blank));
  SysFreeString(blank);
}

TEST(VariantClear, RefusesKindsThatAreNotValues) {
  VARIANT value;
  VariantInit(&value);
  value.vt = 0x0FFF;
  EXPECT_EQ(DISP_E_BADVARTYPE, VariantClear(&value));
}

}  // namespace
