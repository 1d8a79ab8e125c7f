// The customUI document read back element by element, and the ribbon callbacks' answers for
// every control of it.
#include "addin/ribbon_ui.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/char_class.h"
#include "platform/text_encoding.h"

namespace {

using CustomUiAttributes = std::vector<std::pair<std::wstring, std::wstring>>;

struct CustomUiElement {
  int depth = 0;
  std::wstring name;
  CustomUiAttributes attributes;
};

std::string CustomUiElementText(const CustomUiElement& element) {
  std::wstring text = std::to_wstring(element.depth) + L" <" + element.name;
  for (const auto& [name, value] : element.attributes) text += L" " + name + L"=\"" + value + L"\"";
  return WideToUtf8(text + L">");
}

struct CustomUiReading {
  std::vector<CustomUiElement> elements;
  std::string error;  // empty when the text is well-formed
};

// A reader for the subset of XML a customUI document needs: elements and double- or single-quoted
// attributes with the five predefined entities; blanks only between elements. Each step consumes
// text, and nesting is bounded, so any input ends.
class CCustomUiReader {
 public:
  explicit CCustomUiReader(std::wstring_view text) : text_(text) {}

  CustomUiReading Read() {
    CustomUiReading reading;
    std::vector<std::wstring> open;
    bool rootSeen = false;
    while (error_.empty()) {
      SkipBlanks();
      if (pos_ == text_.size()) break;
      if (text_[pos_] != L'<') {
        Fail("text outside a tag");
        break;
      }
      ++pos_;
      if (Take(L'/')) {
        const std::wstring name = Name();
        SkipBlanks();
        if (!Take(L'>')) Fail("end tag not closed");
        if (open.empty() || open.back() != name) Fail("end tag does not match");
        if (error_.empty()) open.pop_back();
        continue;
      }
      if (open.empty() && rootSeen) {
        Fail("second root element");
        break;
      }
      rootSeen = true;
      CustomUiElement element{static_cast<int>(open.size()), Name(), {}};
      const bool closed = Attributes(element.attributes);
      if (!error_.empty()) break;
      reading.elements.push_back(element);
      if (!closed) {
        if (open.size() == kMaxDepth) Fail("nested too deep");
        open.push_back(element.name);
      }
    }
    if (error_.empty() && !open.empty()) Fail("element not closed");
    if (error_.empty() && !rootSeen) Fail("no root element");
    reading.error = error_;
    return reading;
  }

 private:
  static constexpr size_t kMaxDepth = 32;

  void Fail(const char* what) {
    if (error_.empty()) error_ = std::string(what) + " at " + std::to_string(pos_);
  }
  bool Take(wchar_t c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == L' ' || text_[pos_] == L'\t' ||
                                   text_[pos_] == L'\r' || text_[pos_] == L'\n')) {
      ++pos_;
    }
  }
  std::wstring Name() {
    const size_t start = pos_;
    while (pos_ < text_.size() && (IsAsciiLetter(text_[pos_]) || text_[pos_] == L'_' ||
                                   (pos_ > start && IsAsciiDigit(text_[pos_])))) {
      ++pos_;
    }
    if (pos_ == start) Fail("name expected");
    return std::wstring(text_.substr(start, pos_ - start));
  }
  // True when the tag closed itself ("/>").
  bool Attributes(CustomUiAttributes& attributes) {
    while (error_.empty()) {
      const size_t before = pos_;
      SkipBlanks();
      if (Take(L'/')) {
        if (!Take(L'>')) Fail("'>' expected after '/'");
        return true;
      }
      if (Take(L'>')) return false;
      if (pos_ == before) Fail("blank expected before an attribute");
      const std::wstring name = Name();
      if (!Take(L'=')) Fail("'=' expected");
      const wchar_t quote = pos_ < text_.size() ? text_[pos_] : L'\0';
      if (quote != L'"' && quote != L'\'') Fail("quoted value expected");
      if (!error_.empty()) break;
      ++pos_;
      std::wstring value;
      while (error_.empty() && pos_ < text_.size() && text_[pos_] != quote) {
        if (text_[pos_] == L'<') Fail("'<' in a value");
        value += text_[pos_] == L'&' ? Entity() : text_[pos_++];
      }
      if (!Take(quote)) Fail("value not closed");
      for (const auto& attribute : attributes) {
        if (attribute.first == name) Fail("attribute repeated");
      }
      attributes.emplace_back(name, value);
    }
    return false;
  }
  wchar_t Entity() {
    static constexpr std::pair<std::wstring_view, wchar_t> kEntities[] = {
        {L"&amp;", L'&'}, {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&quot;", L'"'}, {L"&apos;", L'\''}};
    for (const auto& [entity, c] : kEntities) {
      if (text_.substr(pos_, entity.size()) == entity) {
        pos_ += entity.size();
        return c;
      }
    }
    Fail("unknown entity");
    return L'\0';
  }

  std::wstring_view text_;
  size_t pos_ = 0;
  std::string error_;
};

CustomUiElement ExpectedOfficeImageButton(int depth, const wchar_t* id, const wchar_t* imageMso,
                                          const wchar_t* label) {
  return {depth,
          L"button",
          {{L"id", id},
           {L"imageMso", imageMso},
           {L"label", label},
           {L"onAction", L"ButtonClicked"},
           {L"getScreentip", L"GetScreentip"},
           {L"getSupertip", L"GetSupertip"}}};
}

CustomUiElement ExpectedOwnImageButton(int depth, const wchar_t* id, const wchar_t* label) {
  return {depth,
          L"button",
          {{L"id", id},
           {L"tag", id},
           {L"image", id},
           {L"label", label},
           {L"onAction", L"ButtonClicked"},
           {L"getScreentip", L"GetScreentip"},
           {L"getSupertip", L"GetSupertip"}}};
}

CustomUiElement ExpectedRecentItemButton(int index) {
  const std::wstring id = L"nuvMru" + std::to_wstring(index);
  return {6,
          L"button",
          {{L"id", id},
           {L"tag", id},
           {L"getLabel", L"GetButtonLabel"},
           {L"getVisible", L"GetButtonVisible"},
           {L"onAction", L"ButtonClicked"}}};
}

std::vector<CustomUiElement> ExpectedCustomUi() {
  std::vector<CustomUiElement> expected = {
      {0,
       L"customUI",
       {{L"xmlns", L"http://schemas.microsoft.com/office/2009/07/customui"},
        {L"loadImage", L"LoadImage"},
        {L"onLoad", L"OnLoadCustomUI"}}},
      {1, L"ribbon", {}},
      {2, L"tabs", {}},
      {3, L"tab", {{L"id", L"nuvTab"}, {L"label", L"Trelvane"}}},
      {4, L"group", {{L"id", L"nuvGrpRecent"}, {L"label", L"Recent"}}},
      {5,
       L"menu",
       {{L"id", L"nuvRecentItemsMenu"},
        {L"visible", L"true"},
        {L"size", L"large"},
        {L"image", L"nuvRecentItem"}}},
  };
  for (int index = 0; index < 10; ++index) expected.push_back(ExpectedRecentItemButton(index));
  const std::vector<CustomUiElement> rest = {
      {4, L"group", {{L"id", L"nuvGroup0"}, {L"label", L"Audit"}}},
      ExpectedOfficeImageButton(5, L"nuvShowPrecedents", L"TracePrecedents", L"Show Precedents"),
      ExpectedOfficeImageButton(5, L"nuvShowDependents", L"TraceDependents", L"Show Dependents"),
      ExpectedOwnImageButton(5, L"nuvShowInputs", L"Show Inputs"),
      ExpectedOfficeImageButton(5, L"nuvEvaluateFormula", L"FormulaEvaluate", L"Evaluate Formula"),
      {4, L"group", {{L"id", L"nuvGroup1"}, {L"label", L"Errors"}}},
      ExpectedOwnImageButton(5, L"nuvShowErrors", L"Show Errors"),
      ExpectedOfficeImageButton(5, L"nuvTraceError", L"TraceError", L"Trace Error"),
      {4, L"group", {{L"id", L"nuvGroup2"}, {L"label", L"Filter"}}},
      ExpectedOwnImageButton(5, L"nuvFilterBG", L"Filter by fill color"),
      ExpectedOwnImageButton(5, L"nuvFilterFace", L"Filter by font color"),
      {4, L"group", {{L"id", L"nuvGroup3"}, {L"label", L"Tools"}}},
      ExpectedOwnImageButton(5, L"nuvCalcOrder", L"Display Calculation Chain"),
      ExpectedOwnImageButton(5, L"nuvRefresh", L"Refresh Contents"),
      ExpectedOwnImageButton(5, L"nuvTranspose", L"Transpose"),
      {4, L"group", {{L"id", L"nuvGroup4"}, {L"label", L"Support"}}},
      ExpectedOwnImageButton(5, L"nuvContact", L"Contact us ..."),
      ExpectedOfficeImageButton(5, L"nuvShowHelp", L"Help", L"Show Help"),
      ExpectedOwnImageButton(5, L"nuvAbout", L"About ..."),
      {1, L"contextMenus", {}},
      {2, L"contextMenu", {{L"idMso", L"ContextMenuCell"}}},
      {3, L"menuSeparator", {{L"id", L"nuvSeparator0"}}},
      {3,
       L"menu",
       {{L"id", L"nuvRCM"}, {L"label", L"Trelvane"}, {L"imageMso", L"TracePrecedents"}}},
      ExpectedOfficeImageButton(4, L"nuvRCMShowPrecedents", L"TracePrecedents", L"Show Precedents"),
      ExpectedOfficeImageButton(4, L"nuvRCMShowDependents", L"TraceDependents", L"Show Dependents"),
      ExpectedOwnImageButton(4, L"nuvRCMShowInputs", L"Show Inputs"),
      {4, L"menuSeparator", {{L"id", L"nuvSeparator1"}}},
      ExpectedOfficeImageButton(4, L"nuvRCMEvaluateFormula", L"FormulaEvaluate",
                                L"Evaluate Formula"),
      {4, L"menuSeparator", {{L"id", L"nuvSeparator2"}}},
      ExpectedOfficeImageButton(4, L"nuvRCMCopyAddress", L"Copy", L"Copy Address to Clipboard"),
      ExpectedOwnImageButton(4, L"nuvRCMTranspose", L"Transpose"),
  };
  expected.insert(expected.end(), rest.begin(), rest.end());
  return expected;
}

std::vector<CustomUiElement> ReadCustomUi() {
  const std::wstring document = BuildCustomUi();
  CustomUiReading reading = CCustomUiReader(document).Read();
  EXPECT_EQ("", reading.error);
  return std::move(reading.elements);
}

std::optional<std::wstring> CustomUiAttributeOf(const CustomUiElement& element,
                                                std::wstring_view name) {
  for (const auto& attribute : element.attributes) {
    if (attribute.first == name) return attribute.second;
  }
  return std::nullopt;
}

TEST(CustomUiReader, RefusesTextThatIsNotWellFormed) {
  const std::pair<const wchar_t*, const char*> cases[] = {
      {L"<a><b></a></b>", "crossed end tags"},
      {L"<a id=x />", "unquoted value"},
      {L"<a id=\"x />", "unterminated value"},
      {L"<a id=\"&bad;\" />", "unknown entity"},
      {L"<a id=\"1\" id=\"2\" />", "repeated attribute"},
      {L"<a>", "unclosed element"},
      {L"<a/><b/>", "two roots"},
      {L"<a>text</a>", "text content"},
      {L"", "empty text"},
  };
  for (const auto& [text, why] : cases) {
    EXPECT_NE("", CCustomUiReader(text).Read().error) << why;
  }
  const CustomUiReading good = CCustomUiReader(L"<a x='&lt;&amp;'><b/></a>").Read();
  EXPECT_EQ("", good.error);
  ASSERT_EQ(2U, good.elements.size());
  EXPECT_EQ(L"<&", good.elements[0].attributes.at(0).second);
}

TEST(RibbonUi, DocumentHoldsEveryElementInOrder) {
  const std::vector<CustomUiElement> actual = ReadCustomUi();
  const std::vector<CustomUiElement> expected = ExpectedCustomUi();
  for (size_t i = 0; i < std::min(actual.size(), expected.size()); ++i) {
    EXPECT_EQ(CustomUiElementText(expected[i]), CustomUiElementText(actual[i])) << "element " << i;
  }
  EXPECT_EQ(expected.size(), actual.size());
}

struct RibbonControlAnswers {
  const wchar_t* id;
  std::optional<int32_t> command;
  int32_t image;
};

// The control ids the document holds, with the command and own image each one stands for.
const RibbonControlAnswers kRibbonControlAnswers[] = {
    {L"nuvTab", std::nullopt, 0},
    {L"nuvGrpRecent", std::nullopt, 0},
    {L"nuvRecentItemsMenu", std::nullopt, 0},
    {L"nuvGroup0", std::nullopt, 0},
    {L"nuvGroup1", std::nullopt, 0},
    {L"nuvGroup2", std::nullopt, 0},
    {L"nuvGroup3", std::nullopt, 0},
    {L"nuvGroup4", std::nullopt, 0},
    {L"nuvShowPrecedents", 1, 0},
    {L"nuvShowDependents", 0, 0},
    {L"nuvShowInputs", 2, 1016},
    {L"nuvEvaluateFormula", 5, 0},
    {L"nuvShowErrors", 3, 3010},
    {L"nuvTraceError", 4, 0},
    {L"nuvFilterBG", 7, 1021},
    {L"nuvFilterFace", 8, 1026},
    {L"nuvCalcOrder", 9, 3011},
    {L"nuvRefresh", 10, 3012},
    {L"nuvTranspose", 11, 1035},
    {L"nuvContact", 15, 1041},
    {L"nuvShowHelp", 13, 0},
    {L"nuvAbout", 14, 1037},
    {L"nuvRCM", std::nullopt, 0},
    {L"nuvRCMShowPrecedents", 1, 0},
    {L"nuvRCMShowDependents", 0, 0},
    {L"nuvRCMShowInputs", 2, 1016},
    {L"nuvRCMEvaluateFormula", 5, 0},
    {L"nuvRCMCopyAddress", 16, 0},
    {L"nuvRCMTranspose", 11, 1035},
    {L"nuvMru0", 18, 0},
    {L"nuvMru1", 19, 0},
    {L"nuvMru2", 20, 0},
    {L"nuvMru3", 21, 0},
    {L"nuvMru4", 22, 0},
    {L"nuvMru5", 23, 0},
    {L"nuvMru6", 24, 0},
    {L"nuvMru7", 25, 0},
    {L"nuvMru8", 26, 0},
    {L"nuvMru9", 27, 0},
    {L"nuvSeparator0", std::nullopt, 0},
    {L"nuvSeparator1", std::nullopt, 0},
    {L"nuvSeparator2", std::nullopt, 0},
};

struct RibbonTips {
  int32_t command;
  const wchar_t* screentip;
  const wchar_t* supertip;
};

const RibbonTips kRibbonTips[] = {
    {0, L"Show dependents", L""},
    {1, L"Show precedents", L""},
    {2, L"Show input cells",
     L"Display constant values which affect to currently selected formula."},
    {3, L"Show errors", L"Show all errors in current workbook."},
    {4, L"Trace error", L"Analyze all cells and find which cells may be source of selected error."},
    {5, L"Evaluate Formula",
     L"Divide formula into sub-expressions and show value of each one in hierarchical form."},
    {7, L"Filter cells by fill color", L"Filter all cells by their fill color"},
    {8, L"Filter cells by face color", L"Filter all cells by their face color"},
    {9, L"Save cells in calculation order",
     L"Save formulas from active workbook to text file in same order, in which they should be "
     L"calculated."},
    {10, L"Refresh Contents",
     L"Trelvane doesn't update it's windows automatically.\nPlease, use this command when "
     L"something is changed in your workbook."},
    {11, L"Transpose", L"Transpose selected range and keep formulas"},
    {13, L"Show Help", L"Show Trelvane Help Library"},
    {14, L"About Trelvane", L"Display program information, copyright, ..."},
    {15, L"Contact Halvorn",
     L"Get more Help on the Trelvane, send bugreport, request for new feature ..."},
    {16, L"Copy address of the current selection to clipboard",
     L"Copy address of the current selection to clipboard"},
};

const RibbonTips* RibbonTipsOf(std::optional<int32_t> command) {
  for (const RibbonTips& tips : kRibbonTips) {
    if (command == tips.command) return &tips;
  }
  return nullptr;
}

std::wstring RibbonIdCased(std::wstring text, bool upper) {
  for (wchar_t& c : text) {
    if (upper && c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    if (!upper && c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return text;
}

std::optional<int32_t> RibbonCommandNumberOf(std::wstring_view id) {
  const std::optional<CommandId> command = CommandFromControlId(id);
  if (!command) return std::nullopt;
  return static_cast<int32_t>(*command);
}

TEST(RibbonUi, EveryControlIdOfTheDocumentHasItsAnswers) {
  std::set<std::wstring> known;
  for (const RibbonControlAnswers& row : kRibbonControlAnswers) known.insert(row.id);
  for (const CustomUiElement& element : ReadCustomUi()) {
    if (const std::optional<std::wstring> id = CustomUiAttributeOf(element, L"id")) {
      EXPECT_TRUE(known.contains(*id)) << WideToUtf8(*id);
    }
  }
}

TEST(RibbonUi, CallbacksAnswerEveryControlIgnoringCase) {
  for (const RibbonControlAnswers& row : kRibbonControlAnswers) {
    const RibbonTips* tips = RibbonTipsOf(row.command);
    for (const std::wstring& id :
         {std::wstring(row.id), RibbonIdCased(row.id, true), RibbonIdCased(row.id, false)}) {
      SCOPED_TRACE(WideToUtf8(id));
      EXPECT_EQ(row.command, RibbonCommandNumberOf(id));
      EXPECT_EQ(row.image, ImageFromControlId(id));
      EXPECT_EQ(tips != nullptr ? tips->screentip : L"", ScreentipOf(id));
      EXPECT_EQ(tips != nullptr ? tips->supertip : L"", SupertipOf(id));
    }
  }
}

TEST(RibbonUi, ControlIdsOutsideTheDocumentRunNoCommand) {
  for (const wchar_t* id :
       {L"", L"nuv", L"nuvShowPrecedent", L"nuvShowPrecedentsX", L"xnuvShowPrecedents", L"nuvMru10",
        L"nuvMru-1", L"nuvMru99999999999"}) {
    EXPECT_EQ(std::nullopt, RibbonCommandNumberOf(id)) << WideToUtf8(id);
    EXPECT_EQ(L"", ScreentipOf(id)) << WideToUtf8(id);
    EXPECT_EQ(0, ImageFromControlId(id)) << WideToUtf8(id);
  }
  // The recent-item number is read as "%ld" reads it, and an unreadable one counts as 0.
  EXPECT_EQ(18, RibbonCommandNumberOf(L"nuvMruX"));
  EXPECT_EQ(18, RibbonCommandNumberOf(L"nuvMru"));
  EXPECT_EQ(21, RibbonCommandNumberOf(L"nuvMru 3"));
  EXPECT_EQ(21, RibbonCommandNumberOf(L"nuvMru+3"));
  EXPECT_EQ(21, RibbonCommandNumberOf(L"nuvMru3x"));
  EXPECT_EQ(18, RibbonCommandNumberOf(L"nuvMru00"));
}

TEST(RibbonUi, OwnImagesAreExactlyThoseTheDocumentNames) {
  std::set<std::wstring> named;
  for (const CustomUiElement& element : ReadCustomUi()) {
    if (const std::optional<std::wstring> image = CustomUiAttributeOf(element, L"image")) {
      named.insert(*image);
      EXPECT_NE(0, ImageFromControlId(*image)) << WideToUtf8(*image);
    }
  }
  std::set<std::wstring> listed;
  for (const OwnImage& image : kOwnImages) listed.insert(std::wstring(image.imageId));
  EXPECT_EQ(named, listed);
  EXPECT_EQ(1042, ImageFromControlId(L"NUVRECENTITEM"));
}

TEST(RibbonUi, OnlyTheRecentItemsImageIsLarge) {
  for (const wchar_t* id : {L"nuvRecentItem", L"NUVRECENTITEM", L"nuvrecentitem"}) {
    EXPECT_TRUE(IsLargeImage(id)) << WideToUtf8(id);
  }
  for (const wchar_t* id : {L"", L"nuvRecentItems", L"nuvRecentItemsMenu", L"nuvShowInputs"}) {
    EXPECT_FALSE(IsLargeImage(id)) << WideToUtf8(id);
  }
}

struct RibbonRecentButtonCase {
  const wchar_t* id;
  int expectedCaption;  // index into the captions, -1 for an empty label
  bool visible;
};

TEST(RibbonUi, RecentItemButtonsFollowTheList) {
  const std::vector<std::wstring> captions = {L"Show Precedents - Sheet1!B3",
                                              L"Evaluate Formula - 'My Sheet'!C4 & D5"};
  const RibbonRecentButtonCase cases[] = {
      {L"nuvMru0", 0, true},
      {L"nuvMru1", 1, true},
      {L"nuvMru2", -1, false},
      {L"nuvMru5", -1, false},
      {L"nuvMru9", -1, false},
      {L"NUVMRU1", 1, true},
      {L"nuvmru0", 0, true},
      {L"nuvMruX", 0, true},
      {L"nuvMru", 0, true},
      {L"nuvMru 1", 1, true},
      {L"nuvMru1st", 1, true},
      {L"nuvMru-1", -1, false},
      {L"nuvMru99999999999999999999", -1, false},
      {L"nuvShowPrecedents", -1, true},
      {L"nuvRecentItemsMenu", -1, true},
      {L"nuvMr", -1, true},
      {L"", -1, true},
  };
  for (const RibbonRecentButtonCase& row : cases) {
    SCOPED_TRACE(WideToUtf8(row.id));
    const std::wstring expected =
        row.expectedCaption < 0 ? L"" : captions[static_cast<size_t>(row.expectedCaption)];
    EXPECT_EQ(expected, RecentItemButtonLabel(row.id, captions));
    EXPECT_EQ(row.visible, RecentItemButtonVisible(row.id, captions.size()));
  }
}

TEST(RibbonUi, RecentItemButtonsOfAnEmptyAndAFullList) {
  std::vector<std::wstring> captions;
  EXPECT_EQ(L"", RecentItemButtonLabel(L"nuvMru0", captions));
  EXPECT_FALSE(RecentItemButtonVisible(L"nuvMru0", 0));
  EXPECT_TRUE(RecentItemButtonVisible(L"nuvShowInputs", 0));
  for (int index = 0; index < 10; ++index) captions.push_back(L"item " + std::to_wstring(index));
  for (int index = 0; index < 10; ++index) {
    const std::wstring id = L"nuvMru" + std::to_wstring(index);
    EXPECT_EQ(captions[static_cast<size_t>(index)], RecentItemButtonLabel(id, captions));
    EXPECT_TRUE(RecentItemButtonVisible(id, captions.size()));
  }
  EXPECT_FALSE(RecentItemButtonVisible(L"nuvMru10", captions.size()));
}

}  // namespace
