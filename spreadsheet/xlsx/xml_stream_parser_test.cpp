// The expat wrapper: what it reports, and what it refuses.
#include "spreadsheet/xlsx/xml_stream_parser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace spreadsheet {
namespace {

using testing::HasSubstr;

// Records "<name" and ">name:text" events; skips <skip>, collects the text of <t>.
class CRecorder final : public IXmlContentHandler {
 public:
  void OnStart(CXmlStreamParser& parser, const XmlName& name, const XmlAttributes&) override {
    events += '<';
    events.append(name.local);
    if (name.ns != XmlNamespace::Main) events += '?';
    if (name.local == "skip") parser.SkipElement();
    if (name.local == "t") parser.CollectText();
    if (name.local == "fail") parser.Fail("refused by the handler");
  }
  void OnEnd(CXmlStreamParser&, const XmlName& name, std::string_view text) override {
    events += '>';
    events.append(name.local);
    if (!text.empty()) {
      events += ':';
      events.append(text);
    }
  }
  std::string events;
};

constexpr const char* kOpen = "<root xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                              "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\">";

struct Outcome {
  bool ok;
  std::string events;
  std::string error;
};

Outcome ParseAll(const std::string& xml, std::uint32_t depth = 16, std::uint32_t text = 64) {
  CRecorder recorder;
  CXmlStreamParser parser(recorder, depth, text);
  // Fed a byte at a time, so that nothing depends on where pieces break.
  bool ok = true;
  for (std::size_t i = 0; i < xml.size() && ok; ++i) ok = parser.Parse(xml.substr(i, 1), false);
  if (ok) ok = parser.Parse({}, true);
  return {ok, recorder.events, parser.Error()};
}

TEST(XmlStreamParser, ReportsElementsTextAndSkips) {
  const Outcome outcome = ParseAll(std::string(kOpen) + "<a><t>x&amp;y</t><skip><b/></skip></a></root>");
  ASSERT_TRUE(outcome.ok) << outcome.error;
  EXPECT_EQ("<root<a<t>t:x&y<skip>a>root", outcome.events);
}

TEST(XmlStreamParser, ReadsAlternateContentAsItsFallback) {
  const Outcome outcome = ParseAll(std::string(kOpen) +
                              "<mc:AlternateContent><mc:Choice Requires=\"x14\"><a/></mc:Choice>"
                              "<mc:Fallback><b/></mc:Fallback></mc:AlternateContent></root>");
  ASSERT_TRUE(outcome.ok) << outcome.error;
  EXPECT_EQ("<root<b>b>root", outcome.events);
}

TEST(XmlStreamParser, NamesTheLineOfMalformedXml) {
  const Outcome outcome = ParseAll(std::string(kOpen) + "\n<a>\n<b></a></root>");
  EXPECT_FALSE(outcome.ok);
  EXPECT_THAT(outcome.error, HasSubstr("not well-formed XML at line 3"));
  EXPECT_THAT(outcome.error, HasSubstr("mismatched tag"));
}

TEST(XmlStreamParser, RefusesADoctypeBeforeAnyEntityIsDeclared) {
  const Outcome outcome = ParseAll("<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaa\">]><r>&a;</r>");
  EXPECT_FALSE(outcome.ok);
  EXPECT_THAT(outcome.error, HasSubstr("DOCTYPE"));
  EXPECT_EQ("", outcome.events);
}

TEST(XmlStreamParser, RefusesUndeclaredEntities) {
  const Outcome outcome = ParseAll(std::string(kOpen) + "&lol;</root>");
  EXPECT_FALSE(outcome.ok);
  EXPECT_THAT(outcome.error, HasSubstr("undefined entity"));
}

TEST(XmlStreamParser, RefusesNestingPastTheDepth) {
  std::string xml = kOpen;
  for (int i = 0; i < 20; ++i) xml += "<a>";
  const Outcome outcome = ParseAll(xml);
  EXPECT_FALSE(outcome.ok);
  EXPECT_THAT(outcome.error, HasSubstr("nested deeper than 16"));
}

TEST(XmlStreamParser, RefusesTextPastTheLength) {
  const Outcome outcome = ParseAll(std::string(kOpen) + "<t>" + std::string(100, 'x') + "</t></root>");
  EXPECT_FALSE(outcome.ok);
  EXPECT_THAT(outcome.error, HasSubstr("text longer than 64 bytes"));
}

TEST(XmlStreamParser, StopsWhenTheHandlerFails) {
  const Outcome outcome = ParseAll(std::string(kOpen) + "\n<fail/><a/></root>");
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ("<root<fail", outcome.events);
  EXPECT_THAT(outcome.error, HasSubstr("refused by the handler at line 2"));
}

}  // namespace
}  // namespace spreadsheet
