// CFormulaParser: tree shapes, reference lists, the memo, external ids, names, and the
// evaluation of reference-returning calls.
#include "formula/formula_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formula/reference_functions.h"
#include "formula/syntax_node_brackets.h"
#include "formula/syntax_node_func_call.h"
#include "tests/support/formula_workbook.h"

namespace {

// The tree with its grouping made visible: binary "(l op r)", unary "(op x)", brackets "<x>",
// calls "NAME[a,b]", a missing child "?".
std::wstring Shape(const ISyntaxNode* node) {
  if (node == nullptr) return L"?";
  if (node->GetNodeType() != NodeExpression) return node->GetText();
  if (dynamic_cast<const CSyntaxNodeBrackets*>(node) != nullptr) {
    return L"<" + Shape(node->GetChild(0)) + L">";
  }
  if (const auto* call = dynamic_cast<const CSyntaxNodeFuncCall*>(node)) {
    std::wstring out = call->Name() + L"[";
    for (int32_t i = 0; i < call->GetChildCount(); ++i) {
      out += (i > 0 ? L"," : L"") + Shape(call->GetChild(i));
    }
    return out + L"]";
  }
  const std::wstring& op = node->GetChild(1)->GetText();
  if (node->GetChildCount() == 2) return L"(" + op + Shape(node->GetChild(0)) + L")";
  return L"(" + Shape(node->GetChild(0)) + op + Shape(node->GetChild(2)) + L")";
}

// "S!ADDRESS" ("F:L!..." across sheets), "name:TEXT", "ext:ID", "bad:TEXT"; "~" marks RefDynamic.
std::wstring Describe(const CellReference& r) {
  std::wstring out = (r.flags & RefDynamic) != 0 && (r.flags & RefInvalid) == 0 ? L"~" : L"";
  if ((r.flags & RefInvalid) != 0) return out + L"bad:" + r.text;
  if (r.externalId != 0) return out + L"ext:" + std::to_wstring(r.externalId);
  if (r.nameId != 0) {
    out += L"name:" + r.text;
    if ((r.flags & RefNameNotRange) != 0) return out;
    out += L"=";
  }
  out += std::to_wstring(r.first.sheet);
  if (r.last.sheet != r.first.sheet) out += L":" + std::to_wstring(r.last.sheet);
  return out + L"!" + CAddressParser::FormatAddress(r.first, r.last, L"");
}

class FormulaParserTest : public ::testing::Test {
 protected:
  FormulaParserTest() {
    for (const wchar_t* sheet : {L"Sheet1", L"Sheet2", L"Sheet3", L"My Sheet"})
      book.AddSheet(sheet);
    const CellPos a1{1, 1, 1}, c3{1, 3, 3}, b2{2, 2, 2};
    book.AddName(L"Data", L"=Sheet1!$A$1:$C$3", 0, &a1, &c3);
    book.AddName(L"Rate", L"=0.05");
    book.AddName(L"Local", L"=Sheet2!$B$2", 2, &b2);
    ReferenceFunctions::Add(L"OFFSET");
    ReferenceFunctions::Add(L"Indirect");
  }
  ~FormulaParserTest() override { ReferenceFunctions::Clear(); }

  std::vector<std::wstring> Parse(const std::wstring& formula, CellPos cell = {1, 3, 3}) {
    EXPECT_TRUE(parser.Parse(formula, cell));
    std::vector<std::wstring> described;
    for (const CellReference& r : parser.GetReferences()) described.push_back(Describe(r));
    return described;
  }
  std::wstring RootShape() { return Shape(parser.GetRoot().get()); }
  const ISyntaxNode* RootChild(int32_t index) { return parser.GetRoot()->GetChild(index); }

  test_support::CFormulaWorkbook book;
  CFormulaParser& parser = book.parser;
};

using Refs = std::vector<std::wstring>;

TEST_F(FormulaParserTest, TreesAndReferences) {
  struct Case {
    const wchar_t* formula;
    const wchar_t* shape;
    Refs references;
  };
  const Case cases[] = {
      {L"=A1+B1*2", L"(A1+(B1*2))", {L"1!A1", L"1!B1"}},
      {L"=A1&B1+C1", L"((A1&B1)+C1)", {L"1!A1", L"1!B1", L"1!C1"}},
      {L"=-2^2", L"((-2)^2)", {}},
      {L"=2^3^2", L"(2^3)", {}},  // one "^" per level; the rest is lost
      {L"=1=2=3", L"(1=2)", {}},  // one comparison only
      {L"=(A1+2)*3", L"(<(A1+2)>*3)", {L"1!A1"}},
      {L"=(A1,B1)", L"<A1>", {L"1!A1"}},  // no unions
      {L"=SUM(A1:B3)", L"SUM[A1:B3]", {L"1!A1:B3"}},
      {L"=SUM(A1 : B3)", L"SUM[A1:B3]", {L"1!A1:B3"}},
      {L"=SUM(Sheet2!A1:B3)", L"SUM[Sheet2!A1:B3]", {L"2!A1:B3"}},
      {L"=SUM(Sheet1:Sheet3!B2)+'My Sheet'!C1",
       L"(SUM[Sheet1:Sheet3!B2]+'My Sheet'!C1)",
       {L"1:3!B2", L"4!C1"}},
      {L"=A1%", L"A1", {L"1!A1"}},
      {L"=5%", L"5%", {}},
      {L"=IF(A1,,B1)", L"IF[A1,B1]", {L"1!A1", L"1!B1"}},
      {L"=SUM(A1,)", L"SUM[A1]", {L"1!A1"}},
      {L"=NOW()", L"NOW[]", {}},
      {L"=#REF!+A1", L"(A1+?)", {L"1!A1"}},  // the operand slots close up
      {L"=Undefined+1", L"(1+?)", {L"bad:Undefined"}},
      {L"=A1*1E+20", L"(A1*1)", {L"1!A1"}},  // no exponents
      {L"={1,2;3,4}", L"{1,2;3,4}", {}},
      {L"=*5", L"*", {}},  // a stray operator is a constant
      {L"=A1+A1+a1", L"((A1+A1)+a1)", {L"1!A1"}},
      {L"=SUM(A1:INDEX(B:B,2))", L"SUM[A1]", {L"1!A1", L"1!B:B"}},
      {L"=Data*2", L"(Data*2)", {L"name:Data=1!A1:C3"}},
      {L"=Rate*A1", L"(Rate*A1)", {L"name:Rate", L"1!A1"}},
      {L"=Local", L"?", {L"bad:Local"}},  // defined on Sheet2 only
      {L"=A1+", L"(A1+?)", {L"1!A1"}},
      {L"=A1*", L"(A1*?)", {L"1!A1"}},
      {L"=SUM(A1,", L"SUM[A1]", {L"1!A1"}},
      {L"=-", L"(-?)", {}},
      {L"=(", L"<?>", {}},
      {L"=TRUE<>\"x\"", L"(TRUE<>\"x\")", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.formula);
    EXPECT_EQ(Parse(c.formula), c.references);
    EXPECT_EQ(RootShape(), c.shape);
  }
  EXPECT_EQ(Parse(L"=Local", {2, 1, 1}), (Refs{L"name:Local=2!B2"}));
}

TEST_F(FormulaParserTest, BlankFormulaFailsAndEmptyKeepsThePreviousResult) {
  Parse(L"=A1");
  EXPECT_TRUE(parser.Parse(L"", {1, 1, 1}));
  EXPECT_EQ(parser.GetReferences().size(), 1u);
  EXPECT_FALSE(parser.Parse(L"   ", {1, 1, 1}));
  EXPECT_TRUE(parser.GetReferences().empty());
  EXPECT_EQ(parser.GetRoot(), nullptr);
}

TEST_F(FormulaParserTest, MemoReplaysTheFormulaForAnotherCell) {
  EXPECT_EQ(Parse(L"=A1+Sheet3!B1+Local", {1, 1, 2}), (Refs{L"1!A1", L"3!B1", L"bad:Local"}));
  const auto tree = parser.GetRoot();
  EXPECT_EQ(Parse(L"=A1+Sheet3!B1+Local", {2, 1, 2}), (Refs{L"2!A1", L"3!B1", L"name:Local=2!B2"}));
  EXPECT_EQ(parser.GetRoot(), tree);
  EXPECT_EQ(parser.MemoSize(), 1u);

  parser.ClearMemo();
  EXPECT_EQ(parser.GetRoot(), nullptr);
  Parse(L"=A1+Sheet3!B1+Local", {1, 1, 2});
  EXPECT_NE(parser.GetRoot(), tree);
}

TEST_F(FormulaParserTest, ExternalReferencesGetFreshIdsThatCopiesShare) {
  const std::wstring formula = L"=[Other.xlsx]Sheet1!A1+'C:\\[Other.xlsx]Sheet1'!B2";
  EXPECT_EQ(Parse(formula), (Refs{L"ext:1", L"ext:2"}));
  EXPECT_EQ(book.externals.Find(1), L"[Other.xlsx]Sheet1!A1");
  EXPECT_EQ(Parse(formula), (Refs{L"ext:3", L"ext:4"}));  // a memo hit resolves them again
  for (const CellReference& r : parser.GetReferences()) EXPECT_EQ(r.first, CellPos{});

  // A parser made from this one has its own memo but hands out ids from the same table.
  CFormulaParser copy(parser);
  EXPECT_EQ(copy.MemoSize(), 0u);
  ASSERT_TRUE(copy.Parse(formula, {1, 1, 1}));
  EXPECT_EQ(copy.GetReferences()[0].externalId, 5);
  EXPECT_EQ(book.externals.Find(1), L"[Other.xlsx]Sheet1!A1");

  parser.SetExternalTable(nullptr);
  parser.ClearMemo();
  EXPECT_EQ(Parse(L"=[Other.xlsx]Sheet1!A1"), (Refs{L"0!0"}));  // no table: all zero
}

class DynamicCallTest : public FormulaParserTest {
 protected:
  const ISyntaxNode* Resolved() { return parser.GetRoot()->GetResolvedNode(); }
  std::vector<std::wstring> Evaluated() {
    std::vector<std::wstring> expressions;
    for (const auto& call : book.eval.Calls()) {
      expressions.push_back(call.expression + L"@" + std::to_wstring(call.sheet));
    }
    book.eval.ClearCalls();
    return expressions;
  }
};

TEST_F(DynamicCallTest, OffsetTargetIsEvaluatedInEachCell) {
  book.eval.Answer(L"OFFSET(Sheet1!A1, 1, 1)", L"'Sheet1'!$B$2");
  book.eval.Answer(L"OFFSET(Sheet2!A1, 1, 1)", L"'Sheet2'!$B$2:$C$3");
  EXPECT_EQ(Parse(L"=OFFSET(A1,1,1)", {1, 5, 5}), (Refs{L"1!A1", L"~1!B2"}));
  EXPECT_EQ(Evaluated(), (Refs{L"OFFSET(Sheet1!A1, 1, 1)@1"}));
  ASSERT_NE(Resolved(), nullptr);
  EXPECT_EQ(Resolved()->GetNodeType(), NodeReference);
  EXPECT_EQ(Resolved()->GetOrigin(), OriginEvaluated);
  EXPECT_EQ(parser.GetRoot()->GetText(), L"OFFSET(Sheet1!A1, 1, 1)");

  EXPECT_EQ(Parse(L"=OFFSET(A1,1,1)", {2, 5, 5}), (Refs{L"2!A1", L"~2!B2:C3"}));
  EXPECT_EQ(Evaluated(), (Refs{L"OFFSET(Sheet2!A1, 1, 1)@2"}));
  EXPECT_EQ(Resolved()->GetText(), L"'Sheet2'!$B$2:$C$3");

  // An error result (here: no answer) drops the target, also the one of the earlier cell.
  EXPECT_EQ(Parse(L"=OFFSET(A1,1,1)", {3, 5, 5}), (Refs{L"3!A1"}));
  EXPECT_EQ(Resolved(), nullptr);

  book.eval.Answer(L"OFFSET(Sheet1!A1, 1, 1)", L"42");
  EXPECT_EQ(Parse(L"=OFFSET(A1,1,1)", {1, 5, 5}), (Refs{L"1!A1", L"bad:42"}));
  EXPECT_EQ(Resolved(), nullptr);
}

TEST_F(DynamicCallTest, CallTextsNameTheCellsOfTheCurrentCell) {
  Parse(L"=OFFSET(OFFSET(A1:B2,1,1),1,1)+INDIRECT(\"B\"&Data)+OFFSET('My Sheet'!A1:B2,0,0)");
  EXPECT_EQ(Evaluated(),
            (Refs{L"OFFSET(Sheet1!A1:B2, 1, 1)@1", L"OFFSET(OFFSET(Sheet1!A1:B2, 1, 1), 1, 1)@1",
                  L"INDIRECT(\"B\"&Sheet1!A1:C3)@1", L"OFFSET('My Sheet'!A1:B2, 0, 0)@1"}));
  // Texts that are not areas of this workbook stay as written.
  Parse(L"=OFFSET(Rate,1,1)+OFFSET([Other.xlsx]Sheet1!A1,1,1)");
  EXPECT_EQ(Evaluated(), (Refs{L"OFFSET(Rate, 1, 1)@1", L"OFFSET([Other.xlsx]Sheet1!A1, 1, 1)@1"}));
  // A call on the dropped right side of ":" is still evaluated, with its full text.
  Parse(L"=A1:OFFSET(B1,1,1)");
  EXPECT_EQ(Evaluated(), (Refs{L"OFFSET(Sheet1!B1, 1, 1)@1"}));
  // Formulas without such calls keep the texts as written.
  Parse(L"=SUM($A$1:B2)");
  EXPECT_EQ(parser.GetRoot()->GetText(), L"SUM($A$1:B2)");
}

TEST_F(DynamicCallTest, NothingIsEvaluatedWithoutFunctionsOrProvider) {
  ReferenceFunctions::Clear();
  Parse(L"=OFFSET(A1,1,1)");
  EXPECT_TRUE(Evaluated().empty());
  ReferenceFunctions::Add(L"OFFSET");
  ReferenceFunctions::Add(L"offset");
  Parse(L"=OFFSET()");
  EXPECT_TRUE(Evaluated().empty());

  CFormulaParser withoutProvider(nullptr, &book.addressParser, &book.sheetNames);
  ASSERT_TRUE(withoutProvider.Parse(L"=OFFSET(A1,1,1)", {1, 1, 1}));
  EXPECT_EQ(withoutProvider.GetRoot()->GetText(), L"OFFSET(A1, 1, 1)");
  EXPECT_TRUE(Evaluated().empty());
}

}  // namespace
