// Escaping and number text of the XML writer.
#include "spreadsheet/xlsx/xml_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace spreadsheet {
namespace {

struct EscapeCase {
  std::wstring input;
  std::string text;       // Element text.
  std::string attribute;  // Attribute value.
  std::string encoded;    // Cell text.
};

TEST(XmlWriter, EscapesEachKindOfText) {
  const std::wstring lone(1, static_cast<wchar_t>(0xDC00));
  const EscapeCase cases[] = {
      {L"plain", "plain", "plain", "plain"},
      {L"<a & \"b\">", "&lt;a &amp; \"b\"&gt;", "&lt;a &amp; &quot;b&quot;&gt;",
       "&lt;a &amp; \"b\"&gt;"},
      {L"]]>", "]]&gt;", "]]&gt;", "]]&gt;"},
      {L"a\tb\nc", "a\tb\nc", "a&#9;b&#10;c", "a\tb\nc"},
      {L"cr\r", "cr&#13;", "cr&#13;", "cr_x000D_"},
      {L"\x0001\x001F", "\xEF\xBF\xBD\xEF\xBF\xBD", "\xEF\xBF\xBD\xEF\xBF\xBD", "_x0001__x001F_"},
      {L"\uFFFF", "\xEF\xBF\xBD", "\xEF\xBF\xBD", "_xFFFF_"},
      {L"_x0041_", "_x0041_", "_x0041_", "_x005F_x0041_"},
      {L"_x00zz_ _x12", "_x00zz_ _x12", "_x00zz_ _x12", "_x00zz_ _x12"},
      {L"\u00E9\u4E2D\U0001F600", "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80",
       "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80"},
      {L"x" + lone + L"y", "x\xEF\xBF\xBDy", "x\xEF\xBF\xBDy", "x\xEF\xBF\xBDy"},
  };
  for (const EscapeCase& c : cases) {
    std::string text, attribute, encoded;
    CXmlWriter(text).Text(c.input);
    CXmlWriter(attribute).Attribute("a", c.input);
    CXmlWriter(encoded).EncodedText(c.input);
    EXPECT_EQ(text, c.text) << c.text;
    EXPECT_EQ(attribute, " a=\"" + c.attribute + "\"") << c.attribute;
    EXPECT_EQ(encoded, c.encoded) << c.encoded;
  }
}

TEST(XmlWriter, WideCodePointsBeyondUnicodeAreReplaced) {
  if constexpr (sizeof(wchar_t) == 4) {
    const std::wstring beyond(1, static_cast<wchar_t>(0x110000));
    std::string out;
    CXmlWriter(out).EncodedText(beyond);
    EXPECT_EQ(out, "\xEF\xBF\xBD");
  }
}

TEST(XmlWriter, NumbersAreTheShortestTextThatReadsBack) {
  const std::pair<double, const char*> cases[] = {
      {0.0, "0"},        {1.5, "1.5"},
      {-0.1, "-0.1"},    {0.1 + 0.2, "0.30000000000000004"},
      {1e21, "1e+21"},   {123456789012.0, "123456789012"},
      {5e-324, "5e-324"}};
  for (const auto& [number, expected] : cases) {
    std::string out;
    CXmlWriter(out).Number(number);
    EXPECT_EQ(out, expected);
    EXPECT_EQ(std::strtod(out.c_str(), nullptr), number);
  }
}

}  // namespace
}  // namespace spreadsheet
