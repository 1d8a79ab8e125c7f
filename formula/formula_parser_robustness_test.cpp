// The parser on hostile input: it must finish, on a small stack, with a sound result.
#include "formula/formula_parser.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "formula/reference_functions.h"
#include "tests/support/formula_workbook.h"

#if __has_include(<pthread.h>)
#include <pthread.h>
#define TRELVANE_HAS_PTHREAD 1
#endif

namespace {

std::wstring Repeat(std::wstring_view piece, size_t times) {
  std::wstring text = L"=";
  text.reserve(piece.size() * times + 1);
  for (size_t i = 0; i < times; ++i) text += piece;
  return text;
}

std::vector<std::wstring> HostileFormulas() {
  constexpr size_t kMegabyte = 1 << 20;
  std::vector<std::wstring> texts = {
      Repeat(L"(", 10000) + L"A1",
      Repeat(L"SUM(", 10000) + L"A1",
      Repeat(L"OFFSET(", 5000) + L"A1,1,1",
      Repeat(L"-", kMegabyte),
      Repeat(L"+", kMegabyte),
      Repeat(L"1+", kMegabyte / 2),
      Repeat(L"A1^", kMegabyte / 3),
      Repeat(L"a:", kMegabyte / 2),
      Repeat(L"Sheet1!A1:", kMegabyte / 10),
      Repeat(L"{", kMegabyte),
      Repeat(L"[", kMegabyte),
      Repeat(L"'", kMegabyte),
      L"=\"" + std::wstring(kMegabyte, L'x'),
      L"=[Book" + std::wstring(kMegabyte, L'!'),
      L"=SUM(A1,B1",
      L"=((((A1",
      L"=Table1[[#This Row],[Amount",
      Repeat(L"Loop+", 1000),
      Repeat(L"LET(x,", 5000) + L"x",
      Repeat(L"LAMBDA(", 5000),
      Repeat(L"(A1,", 5000),
      Repeat(L"A1 ", kMegabyte / 3),
      Repeat(L"Sales['[", kMegabyte / 8),
      Repeat(L"#N/A:", kMegabyte / 5),
      Repeat(L"1E+", kMegabyte / 3),
  };
  // Invalid UTF-16 (and, where wchar_t is wider, values beyond Unicode) inside every kind of token.
  const wchar_t odd[] = {static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0xDFFF),
                         static_cast<wchar_t>(0xFFFF), static_cast<wchar_t>(-1)};
  for (wchar_t c : odd) {
    std::wstring text = L"='#'!A1+\"#\"+SUM(#1:B#)+Sales[#]+#";
    for (wchar_t& unit : text) unit = unit == L'#' ? c : unit;
    texts.push_back(text);
  }
  // Random texts over the characters the rules look at.
  const std::wstring alphabet = L"=+-*/^&%<>(),;:{}[]!'\"#$.@ Ab1C9ERr_\x00E9\xD83D";
  std::mt19937 random(20240601);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<size_t> length(1, 200);
  for (int i = 0; i < 3000; ++i) {
    std::wstring text = L"=";
    for (size_t n = length(random); n > 0; --n) text += alphabet[pick(random)];
    texts.push_back(std::move(text));
  }
  return texts;
}

// Runs `work` on a thread whose stack is far smaller than any input-driven recursion would need.
void OnSmallStack(const std::function<void()>& work) {
#ifdef TRELVANE_HAS_PTHREAD
  constexpr size_t kStackBytes = 512 * 1024;
  pthread_attr_t attributes;
  ASSERT_EQ(pthread_attr_init(&attributes), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attributes, kStackBytes), 0);
  pthread_t thread;
  auto run = [](void* argument) -> void* {
    (*static_cast<const std::function<void()>*>(argument))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attributes, run, const_cast<std::function<void()>*>(&work)),
            0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
#else
  work();
#endif
}

TEST(FormulaParserRobustness, HostileTextsParseOnASmallStack) {
  const std::vector<std::wstring> texts = HostileFormulas();
  size_t parsed = 0;
  size_t bad = 0;
  OnSmallStack([&] {
    ReferenceFunctions::Add(L"OFFSET");
    test_support::CFormulaWorkbook book;
    book.AddSheet(L"Sheet1");
    book.AddName(L"Loop", L"=Loop+1");
    TableRecord sales;
    sales.name = L"Sales";
    sales.whole = {{1, 1, 1}, {1, 2, 9}};
    sales.dataBody = {{1, 1, 2}, {1, 2, 9}};
    sales.headerRow = {{1, 1, 1}, {1, 2, 1}};
    sales.totalsRow = sales.whole;
    sales.columns = {{{{1, 1, 2}, {1, 1, 9}}, L"A"}, {{{1, 2, 2}, {1, 2, 9}}, L"["}};
    book.tables.Add(sales);
    for (const std::wstring& text : texts) {
      if (!book.parser.Parse(text, {1, 1, 1})) continue;
      ++parsed;
      for (const CellReference& r : book.parser.GetReferences()) {
        const bool readable = (r.flags & RefInvalid) == 0;
        const bool inRange = r.first.column >= 0 && r.last.column <= 65536 && r.first.row >= 0 &&
                             r.last.row <= 1048576;
        if (readable && !inRange) ++bad;
      }
      if (parsed % 500 == 0) book.parser.ClearMemo();  // trees are torn down too
    }
    ReferenceFunctions::Clear();
  });
  EXPECT_EQ(parsed, texts.size());
  EXPECT_EQ(bad, 0u);
}

TEST(FormulaParserRobustness, DeepNestingIsReadUpToTheBound) {
  test_support::CFormulaWorkbook book;
  book.AddSheet(L"Sheet1");
  ASSERT_TRUE(book.parser.Parse(Repeat(L"(", 900) + L"B7" + std::wstring(900, L')'), {1, 1, 1}));
  ASSERT_EQ(book.parser.GetReferences().size(), 1u);
  EXPECT_EQ(book.parser.GetRoot()->GetText(),
            std::wstring(900, L'(') + L"B7" + std::wstring(900, L')'));
  // Beyond the bound the rest is ignored like leftover tokens; what came before is kept.
  ASSERT_TRUE(book.parser.Parse(L"=C3+" + Repeat(L"(", 5000).substr(1) + L"B7", {1, 1, 1}));
  ASSERT_EQ(book.parser.GetReferences().size(), 1u);
  EXPECT_EQ(book.parser.GetReferences()[0].first, (CellPos{1, 3, 3}));
}

}  // namespace
