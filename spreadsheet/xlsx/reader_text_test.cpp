// Scalar values and text of spreadsheet XML.
#include "spreadsheet/xlsx/reader_text.h"

#include <gtest/gtest.h>

namespace spreadsheet {
namespace {

TEST(ReaderText, DecodesUtf8IncludingAstralCharacters) {
  EXPECT_EQ(L"abc", WideFromUtf8("abc"));
  EXPECT_EQ(L"\u00E9\u20AC", WideFromUtf8("\xC3\xA9\xE2\x82\xAC"));
  EXPECT_EQ(std::wstring(1, static_cast<wchar_t>(0x1F600)), WideFromUtf8("\xF0\x9F\x98\x80"));
  EXPECT_EQ(L"a\uFFFDb", WideFromUtf8("a\xFF" "b"));
}

TEST(ReaderText, DecodesXstringEscapesOnce) {
  std::wstring text = L"a_x000D__x000A_b_x005F_x000D_c_xZZZZ_";
  DecodeXstringEscapes(text);
  EXPECT_EQ(L"a\r\nb_x000D_c_xZZZZ_", text);
}

TEST(ReaderText, ParsesNumbersAsXmlSchemaWritesThem) {
  EXPECT_EQ(1.5, ParseXmlNumber("1.5"));
  EXPECT_EQ(-2.5e-3, ParseXmlNumber(" -2.5E-3 "));
  EXPECT_EQ(0.1 + 0.2, ParseXmlNumber("0.30000000000000004"));
  EXPECT_EQ(std::nullopt, ParseXmlNumber(""));
  EXPECT_EQ(std::nullopt, ParseXmlNumber("1.5x"));
  EXPECT_EQ(std::nullopt, ParseXmlNumber("inf"));
  EXPECT_EQ(std::nullopt, ParseXmlNumber("nan"));
}

TEST(ReaderText, ParsesIndexesAndBooleans) {
  EXPECT_EQ(42u, ParseXmlUnsigned("42"));
  EXPECT_EQ(std::nullopt, ParseXmlUnsigned("-1"));
  EXPECT_EQ(std::nullopt, ParseXmlUnsigned("99999999999"));
  EXPECT_EQ(true, ParseXmlBoolean("true"));
  EXPECT_EQ(false, ParseXmlBoolean("0"));
  EXPECT_EQ(std::nullopt, ParseXmlBoolean("yes"));
}

}  // namespace
}  // namespace spreadsheet
