// Caption shortening with a fixed-width font of 7 pixels a character.
#include "wndmgr/fit_text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

int FixedWidth(std::wstring_view text) {
  return 7 * static_cast<int>(text.size());
}

// Spaces 2 pixels wide, so that the " ..." fallback is narrower than any kept tail.
int NarrowSpaces(std::wstring_view text) {
  return FixedWidth(text) - 5 * static_cast<int>(std::count(text.begin(), text.end(), L' '));
}

TEST(FitText, KeepsPrefixAndLongestTailThatFits) {
  const std::wstring caption = L"Sheet1!B3:D20 - precedents";  // 26 characters, 182 pixels
  struct Case {
    std::wstring caption;
    int width;
    bool narrowSpaces;
    std::wstring text;
    int textWidth;
  };
  const Case cases[] = {
      {caption, 183, false, caption, 182},
      {caption, 182, false, L"Sheet...:D20 - precedents", 175},  // the tail from position 9
      {caption, 100, false, L"Sheet...edents", 98},
      {L"Precedents", 60, true, L"Prece ...", 58},  // no tail fits: the fallback
      {L"Workbooks", 57, false, L"Work ...", 56},
      {L"Workbooks", 50, false, L"Wor ...", 49},
      {L"Workbooks", 43, false, L"Wo ...", 42},
      {L"Workbooks", 36, false, L"W ...", 35},
      {L"", 1, false, L"", 0},
  };
  for (const Case& c : cases) {
    const FittedText fitted =
        FitText(c.caption, c.width, c.narrowSpaces ? TextMeasure(NarrowSpaces) : FixedWidth);
    EXPECT_TRUE(fitted.fits) << c.width;
    EXPECT_EQ(c.text, fitted.text) << c.width;
    EXPECT_EQ(c.textWidth, fitted.width) << c.width;
  }
}

TEST(FitText, NothingFitsWhenOneCharacterAndEllipsisIsTooWide) {
  struct Case {
    std::wstring_view caption;
    int width;
  };
  for (const Case& c : {Case{L"Workbooks", 35}, Case{L"W", 7}, Case{L"", 0}, Case{L"Ab", -5}}) {
    const FittedText fitted = FitText(c.caption, c.width, FixedWidth);
    EXPECT_FALSE(fitted.fits) << c.width;
    EXPECT_EQ(0, fitted.width);
  }
}

}  // namespace
