// The packed cell texts: what goes in comes back unchanged, whatever the characters, the length
// or the number of cells.
#include "views/cell_text_cache.h"

#include <gtest/gtest.h>

#include <string>

namespace {

CellTexts Texts(std::wstring value, std::wstring formula) {
  return CellTexts{std::move(value), std::move(formula)};
}

TEST(CellTextCache, TextsComeBackAsTheyWentIn) {
  struct Case {
    const char* what;
    CellTexts texts;
  };
  const Case cases[] = {
      {"empty", Texts(L"", L"")},
      {"plain", Texts(L"42", L"=A1+1")},
      {"accents and tabs", Texts(L"caf\u00e9\t\u20ac", L"=\"\u00fc\"&\r\nB2")},
      {"an unpaired surrogate", Texts(std::wstring(1, static_cast<wchar_t>(0xD800)), L"x")},
      {"past the basic plane", Texts(L"", std::wstring(1, static_cast<wchar_t>(0x1F600)))},
      {"longer than a block", Texts(std::wstring(200000, L'\u00e9'), std::wstring(70000, L'a'))},
  };
  CCellTextCache cache;
  int32_t row = 1;
  for (const Case& c : cases) cache.Put(CellPos{1, 1, row++}, c.texts);
  row = 1;
  for (const Case& c : cases) {
    CellTexts back;
    ASSERT_TRUE(cache.Find(CellPos{1, 1, row++}, &back)) << c.what;
    EXPECT_EQ(c.texts.value, back.value) << c.what;
    EXPECT_EQ(c.texts.formula, back.formula) << c.what;
  }
}

TEST(CellTextCache, ManyCellsAreEachFoundAndOthersAreNot) {
  CCellTextCache cache;
  for (int32_t sheet = 1; sheet <= 3; ++sheet) {
    for (int32_t row = 1; row <= 5000; ++row) {
      cache.Put(CellPos{sheet, row % 7 + 1, row}, Texts(std::to_wstring(sheet * row), L""));
    }
  }
  EXPECT_EQ(15000u, cache.Size());
  CellTexts back;
  ASSERT_TRUE(cache.Find(CellPos{2, 4000 % 7 + 1, 4000}, &back));
  EXPECT_EQ(L"8000", back.value);
  EXPECT_FALSE(cache.Find(CellPos{2, 4000 % 7 + 2, 4000}, &back));
  EXPECT_FALSE(cache.Find(CellPos{4, 1, 1}, &back));

  // A cell put again answers its new texts and is counted once.
  cache.Put(CellPos{1, 2, 1}, Texts(L"new", L"=1"));
  ASSERT_TRUE(cache.Find(CellPos{1, 2, 1}, &back));
  EXPECT_EQ(L"new", back.value);
  EXPECT_EQ(L"=1", back.formula);
  EXPECT_EQ(15000u, cache.Size());

  cache.Clear();
  EXPECT_EQ(0u, cache.Size());
  EXPECT_FALSE(cache.Find(CellPos{1, 2, 1}, &back));
  cache.Put(CellPos{1, 2, 1}, Texts(L"again", L""));
  ASSERT_TRUE(cache.Find(CellPos{1, 2, 1}, &back));
  EXPECT_EQ(L"again", back.value);
}

}  // namespace
