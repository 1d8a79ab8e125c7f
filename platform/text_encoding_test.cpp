// Text encodings on both platforms (wchar_t is UTF-16 on Windows, code points elsewhere).
#include "platform/text_encoding.h"

#include <gtest/gtest.h>

namespace {

TEST(TextEncoding, RoundTripsEveryPlane) {
  const std::string utf8 = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // A, e acute, euro, emoji
  const std::wstring wide = Utf8ToWide(utf8);
  EXPECT_EQ(sizeof(wchar_t) == 2 ? 5u : 4u, wide.size());
  EXPECT_EQ(utf8, WideToUtf8(wide));
}

TEST(TextEncoding, ReplacesBadUtf8OncePerSequence) {
  EXPECT_EQ(L"a\xFFFD" L"b", Utf8ToWide("a\xE2\x82" "b"));  // Truncated sequence.
  EXPECT_EQ(L"\xFFFD\xFFFD", Utf8ToWide("\xC0\xAF\xFF"));       // Overlong, then invalid byte.
  EXPECT_EQ(L"\xFFFD", Utf8ToWide("\xED\xA0\x80"));             // Encoded surrogate.
}

TEST(TextEncoding, ReplacesUnpairedSurrogates) {
  const std::wstring lone(1, static_cast<wchar_t>(0xD800));
  EXPECT_EQ("\xEF\xBF\xBD", WideToUtf8(lone));
  EXPECT_EQ("?", WideToWindows1252(lone));
}

TEST(TextEncoding, WritesWindows1252WithQuestionMarks) {
  EXPECT_EQ("caf\xE9 \x80 ? x", WideToWindows1252(L"caf\xE9 \x20AC \x4E2D x"));
}

}  // namespace
