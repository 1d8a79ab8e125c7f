// CFormulaTokenizer: token boundaries and types, above all of the word rule.
#include "formula/formula_tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/formula_workbook.h"

namespace {

class FormulaTokenizerTest : public ::testing::Test {
 protected:
  FormulaTokenizerTest() {
    const CellPos a1{1, 1, 1};
    book.AddSheet(L"Sheet1");
    book.AddName(L"Data", L"=Sheet1!$A$1", 0, &a1);
    book.AddName(L"Empty", L"");
  }

  std::vector<std::wstring> TokenTexts(const std::wstring& formula) {
    tokens.clear();
    tokenizer.Tokenize(formula, &book.names, 1, tokens);
    std::vector<std::wstring> texts;
    for (const FormulaToken& token : tokens) texts.emplace_back(token.text);
    return texts;
  }

  test_support::CFormulaWorkbook book;
  CFormulaTokenizer tokenizer;
  std::vector<FormulaToken> tokens;
};

using Texts = std::vector<std::wstring>;

TEST_F(FormulaTokenizerTest, WordBoundaries) {
  const std::pair<const wchar_t*, Texts> cases[] = {
      {L"=Sheet1!$A$1:$B$2+1", {L"=", L"Sheet1!$A$1:$B$2", L"+", L"1"}},
      {L"=A1:B2", {L"=", L"A1", L":", L"B2"}},
      {L"='My Sheet'!A1", {L"=", L"'My Sheet'!A1"}},
      {L"='It''s'!A1*2", {L"=", L"'It''s'!A1", L"*", L"2"}},
      {L"=Sheet1!A1:Sheet2!B2", {L"=", L"Sheet1!A1:Sheet2!B2"}},
      // A fuzzing find: the ":" joined the word though no corner followed it.
      {L"=Sheet1!C1:(1,2)", {L"=", L"Sheet1!C1", L":", L"(", L"1", L",", L"2", L")"}},
      {L"=[Book1.xlsx]Sheet1!A1", {L"=", L"[Book1.xlsx]Sheet1!A1"}},
      {L"=#REF!+1", {L"=", L"#REF!", L"+", L"1"}},
      {L"=R[1]C[-2]:R[2]C[3]", {L"=", L"R[1]C[-2]:R[2]C[3]"}},
      {L"=RC[1]:RC[2]", {L"=", L"RC[1]:RC[2]"}},
      {L"=R1C1:R2C2", {L"=", L"R1C1:R2C2"}},
      {L"=r1c1:r2c2", {L"=", L"r1c1", L":", L"r2c2"}},
      {L"=A1:Data", {L"=", L"A1:Data"}},              // a defined name on the right is taken in
      {L"=A1:Empty", {L"=", L"A1", L":", L"Empty"}},  // one without text is not
      {L"=Table1[Col A]", {L"=", L"Table1[Col A]"}},
      {L"=Table1[[#This Row],[Amount]]", {L"=", L"Table1[[#This Row],[Amount]]"}},
      {L"=T[ [#This Row], [Col']x] ]*2", {L"=", L"T[ [#This Row], [Col']x] ]", L"*", L"2"}},
      {L"=[@Value]+[[#Totals],[Sum]]", {L"=", L"[@Value]", L"+", L"[[#Totals],[Sum]]"}},
      {L"=CHISQ.TEST(A1,B1)", {L"=", L"CHISQ.TEST", L"(", L"A1", L",", L"B1", L")"}},
      {L"=_xlfn._xlws.SORT(Tax.Rate)", {L"=", L"_xlfn._xlws.SORT", L"(", L"Tax.Rate", L")"}},
      {L"=ISNA(#N/A)+#DIV/0!", {L"=", L"ISNA", L"(", L"#N/A", L")", L"+", L"#DIV/0!"}},
      {L"=Sheet1!#REF!+#REF!A1:B2", {L"=", L"Sheet1!#REF!", L"+", L"#REF!A1:B2"}},
      {L"=SUM(A1#)", {L"=", L"SUM", L"(", L"A1#", L")"}},
      {L"=@A1:A9", {L"=", L"@", L"A1", L":", L"A9"}},
      {L"=a:b:c:d", {L"=", L"a", L":", L"b", L":", L"c", L":", L"d"}},
      {L"=x!y!z", {L"=", L"x!y", L"!z"}},
      {L"='abc", {L"=", L"'abc"}},
      {L"=Table1[abc", {L"=", L"Table1[abc"}},
      {L"=1E+20", {L"=", L"1E+20"}},
      {L"=1.5e-3*2E5%+1E", {L"=", L"1.5e-3", L"*", L"2E5%", L"+", L"1", L"E"}},
      {L"= 1.5%*\t2\r\n", {L"=", L"1.5%", L"*", L"2"}},
      {L"=A1>=B1<>C1<=D1", {L"=", L"A1", L">=", L"B1", L"<>", L"C1", L"<=", L"D1"}},
      {L"=\"a\"\"b\"&\"c", {L"=", L"\"a\"\"b\"", L"&", L"\"c"}},
      {L"={1,2;3,4}", {L"=", L"{", L"1", L",", L"2", L";", L"3", L",", L"4", L"}"}},
  };
  for (const auto& [formula, expected] : cases) {
    EXPECT_EQ(TokenTexts(formula), expected) << std::wstring(formula);
  }
}

// A blank run between two operands is Excel's intersection operator; elsewhere it is layout.
TEST_F(FormulaTokenizerTest, BlanksBetweenOperandsIntersect) {
  const std::pair<const wchar_t*, Texts> cases[] = {
      {L"=SUM(A1:A3 A2:B2)",
       {L"=", L"SUM", L"(", L"A1", L":", L"A3", L" ", L"A2", L":", L"B2", L")"}},
      {L"=(A1,B1) \n C1", {L"=", L"(", L"A1", L",", L"B1", L")", L" ", L"C1"}},
      {L"=1:1  'My Sheet'!A:A", {L"=", L"1", L":", L"1", L" ", L"'My Sheet'!A:A"}},
      {L"= SUM( A1 , B1 ) + C1 ", {L"=", L"SUM", L"(", L"A1", L",", L"B1", L")", L"+", L"C1"}},
      {L"=A1\nB1", {L"=", L"A1", L"B1"}},  // a line break alone is layout
      {L"={1, 2}", {L"=", L"{", L"1", L",", L"2", L"}"}},
  };
  for (const auto& [formula, expected] : cases) {
    EXPECT_EQ(TokenTexts(formula), expected) << std::wstring(formula);
  }
  TokenTexts(L"=A1 B1");
  ASSERT_EQ(tokens.size(), 4u);
  EXPECT_EQ(tokens[2].type, TokIntersection);
}

TEST_F(FormulaTokenizerTest, TokenTypes) {
  TokenTexts(L"=TRUE+false-x*\"s\"^(1)<2%&#N/A&Sheet1!#REF!&@B2");
  const FormulaTokenType expected[] = {
      TokComparison, TokTrue,     TokOperator, TokFalse,       TokOperator, TokWord,
      TokOperator,   TokString,   TokOperator, TokPunctuation, TokNumber,   TokPunctuation,
      TokComparison, TokNumber,   TokOperator, TokError,       TokOperator, TokError,
      TokOperator,   TokOperator, TokWord};
  ASSERT_EQ(tokens.size(), std::size(expected));
  for (size_t i = 0; i < tokens.size(); ++i) EXPECT_EQ(tokens[i].type, expected[i]) << i;
}

TEST_F(FormulaTokenizerTest, BlanksOnlyYieldNoToken) {
  EXPECT_FALSE(tokenizer.Tokenize(L" \t\r\n ", &book.names, 1, tokens));
  EXPECT_FALSE(tokenizer.Tokenize(L"", nullptr, 1, tokens));
  EXPECT_TRUE(tokens.empty());
}

TEST_F(FormulaTokenizerTest, ReadsOnlyUpToTheLengthLimit) {
  const std::wstring formula = L"=" + std::wstring(kMaxFormulaLength * 4, L'A');
  ASSERT_TRUE(tokenizer.Tokenize(formula, nullptr, 1, tokens));
  ASSERT_EQ(tokens.size(), 2u);
  EXPECT_EQ(tokens[1].text.size(), kMaxFormulaLength - 1);
}

}  // namespace
