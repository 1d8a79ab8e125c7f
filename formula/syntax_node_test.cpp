// The syntax tree as readers see it: children, texts, origins, and trees of any depth.
#include "formula/syntax_node.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "formula/syntax_node_address.h"
#include "formula/syntax_node_func_call.h"
#include "tests/support/formula_workbook.h"

namespace {

class SyntaxTreeTest : public ::testing::Test {
 protected:
  SyntaxTreeTest() { book.AddSheet(L"Sheet1"); }
  const ISyntaxNode& Root(const wchar_t* formula) {
    EXPECT_TRUE(book.parser.Parse(formula, {1, 9, 9}));
    return *book.parser.GetRoot();
  }
  test_support::CFormulaWorkbook book;
};

TEST_F(SyntaxTreeTest, OperatorsAppearAsChildren) {
  const ISyntaxNode& product = Root(L"=(A1+2)*3");
  ASSERT_EQ(product.GetChildCount(), 3);
  EXPECT_EQ(product.GetText(), L"(A1+2)*3");
  EXPECT_EQ(product.GetChild(0)->GetText(), L"(A1+2)");
  EXPECT_EQ(product.GetChild(1)->GetNodeType(), NodeOperatorToken);
  EXPECT_EQ(product.GetChild(1)->GetText(), L"*");
  EXPECT_EQ(product.GetChild(2)->GetNodeType(), NodeConstant);
  EXPECT_EQ(product.GetChild(3), nullptr);
  EXPECT_EQ(product.GetChild(-1), nullptr);

  const ISyntaxNode& negation = Root(L"=-A1");
  ASSERT_EQ(negation.GetChildCount(), 2);
  EXPECT_EQ(negation.GetText(), L"-A1");
  EXPECT_EQ(negation.GetChild(0)->GetNodeType(), NodeReference);
  const ISyntaxNode* token = negation.GetChild(1);
  EXPECT_EQ(token->GetText(), L"-");
  EXPECT_EQ(token->GetChildCount(), 0);
  EXPECT_EQ(token->GetOrigin(), OriginParsed);
  EXPECT_EQ(token->GetResolvedNode(), nullptr);
  CellReference untouched;
  untouched.nameId = 77;
  token->GetReference(untouched);
  EXPECT_EQ(untouched.nameId, 77);
}

TEST_F(SyntaxTreeTest, TextsAreRebuiltFromChildren) {
  EXPECT_EQ(Root(L"=SUM( A1 ,B1)").GetText(), L"SUM(A1, B1)");
  const ISyntaxNode& call = Root(L"=IF(A1>0,\"x\",\"y\")");
  EXPECT_EQ(call.GetText(), L"IF(A1>0, \"x\", \"y\")");
  EXPECT_EQ(call.GetChild(0)->GetText(), L"A1>0");
  EXPECT_EQ(call.GetChild(2)->GetText(), L"\"y\"");

  const ISyntaxNode& partial = Root(L"=A1+");
  EXPECT_EQ(partial.GetChild(0)->GetText(), L"A1");
  EXPECT_EQ(partial.GetChild(2), nullptr);
  EXPECT_EQ(partial.GetText(), L"A1+");  // what was read, so that A1 stays in the text
}

// Unions, intersections and error literals: each part is a node whose text Excel can evaluate.
TEST_F(SyntaxTreeTest, ReferenceOperatorsAndErrorsAreNodesWithFormulaTexts) {
  const ISyntaxNode& areas = Root(L"=AREAS((D4:G4,I4:J4,K4:N4))");
  EXPECT_EQ(areas.GetText(), L"AREAS((D4:G4,I4:J4,K4:N4))");
  const ISyntaxNode* areasUnion = areas.GetChild(0);
  ASSERT_NE(areasUnion, nullptr);
  EXPECT_EQ(areasUnion->GetNodeType(), NodeExpression);
  EXPECT_EQ(areasUnion->GetText(), L"(D4:G4,I4:J4,K4:N4)");
  ASSERT_EQ(areasUnion->GetChildCount(), 3);
  for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(areasUnion->GetChild(i)->GetNodeType(), NodeReference);

  const ISyntaxNode& sum = Root(L"=SUM(((F4:G4,G4:I4) G3:G11))");
  EXPECT_EQ(sum.GetText(), L"SUM(((F4:G4,G4:I4) G3:G11))");
  const ISyntaxNode* intersection = sum.GetChild(0)->GetChild(0);
  EXPECT_EQ(intersection->GetText(), L"(F4:G4,G4:I4) G3:G11");
  EXPECT_EQ(intersection->GetChild(0)->GetText(), L"(F4:G4,G4:I4)");
  EXPECT_EQ(intersection->GetChild(1)->GetNodeType(), NodeOperatorToken);
  EXPECT_EQ(intersection->GetChild(2)->GetText(), L"G3:G11");

  const ISyntaxNode& choose = Root(L"=CHOOSE(2,#N/A,Sheet1!#REF!)");
  EXPECT_EQ(choose.GetText(), L"CHOOSE(2, #N/A, Sheet1!#REF!)");
  ASSERT_EQ(choose.GetChildCount(), 3);
  EXPECT_EQ(choose.GetChild(1)->GetNodeType(), NodeConstant);
  EXPECT_EQ(choose.GetChild(2)->GetNodeType(), NodeConstant);

  EXPECT_EQ(Root(L"=@A1:A10&A1#&1E+20&LET(x,2,x)").GetText(), L"@A1:A10&A1#&1E+20&LET(x, 2, x)");
  EXPECT_EQ(Root(L"=LAMBDA(x,x+1)(A1)").GetText(), L"LAMBDA(x, x+1)(A1)");
}

// An empty argument is no child, but its place in the text is kept: "IF(A1=2,5,)" is 0 where
// "IF(A1=2,5)" is FALSE.
TEST_F(SyntaxTreeTest, EmptyArgumentsKeepTheirPlaceInTheText) {
  struct Case {
    const wchar_t* formula;
    const wchar_t* text;
    int32_t children;
  };
  const Case cases[] = {
      {L"=IF(A1=2,5,)", L"IF(A1=2, 5,)", 2},
      {L"=IF(A1,,B1)", L"IF(A1,, B1)", 2},
      {L"=SUM(A1,)", L"SUM(A1,)", 1},
      {L"=VLOOKUP(A1,B1:C3,2,)", L"VLOOKUP(A1, B1:C3, 2,)", 3},
      {L"=IF(,1,2)", L"IF(, 1, 2)", 2},
      {L"=CHOOSE(2,,,A1,,)", L"CHOOSE(2,,, A1,,)", 2},
      {L"=F(,)", L"F(,)", 0},
      {L"=NOW()", L"NOW()", 0},
      {L"=SUM(IF(A1,,2),)+1", L"SUM(IF(A1,, 2),)+1", -1},
      {L"=LAMBDA(x,y,x+y)(1,)", L"LAMBDA(x, y, x+y)(1,)", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.formula);
    const ISyntaxNode& root = Root(c.formula);
    EXPECT_EQ(root.GetText(), c.text);
    if (c.children >= 0) {
      EXPECT_EQ(root.GetChildCount(), c.children);
    }
  }
}

// An operator the parser built without one operand keeps the other's text, empty brackets stay,
// and a text rebuilt from the tree parses to the same text again.
TEST_F(SyntaxTreeTest, PartsTheParserCouldNotBuildLeaveTheRestInTheText) {
  const struct {
    const wchar_t* formula;
    const wchar_t* text;
  } cases[] = {
      {L"=LINEST(B2:B14,A&:A13^{1,2})", L"LINEST(B2:B14, A&:A13^{1,2})"},
      {L"=:A1", L":A1"},
      {L"=1+)", L"1+"},
      {L"=SUM(,:B2)", L"SUM(, :B2)"},
      {L"=((", L"(())"},
      {L"=()+A1", L"()+A1"},
      {L"=8-@+", L"8-@+"},
  };
  for (const auto& test : cases) {
    ASSERT_TRUE(book.parser.Parse(test.formula, {1, 9, 9}));
    ASSERT_NE(book.parser.GetRoot(), nullptr) << test.formula;
    EXPECT_EQ(book.parser.GetRoot()->GetText(), test.text) << test.formula;
    ASSERT_TRUE(book.parser.Parse(L"=" + std::wstring(test.text), {1, 9, 9}));
    ASSERT_NE(book.parser.GetRoot(), nullptr) << test.formula;
    EXPECT_EQ(book.parser.GetRoot()->GetText(), test.text) << test.formula;
  }
}

TEST_F(SyntaxTreeTest, TrueAndFalseFollowedByBracketsAreCalls) {
  const ISyntaxNode& call = Root(L"=TRUE()");
  EXPECT_EQ(call.GetNodeType(), NodeExpression);
  EXPECT_EQ(call.GetText(), L"TRUE()");
  EXPECT_EQ(call.GetChildCount(), 0);
  const ISyntaxNode& nested = Root(L"=IF(true(),A1,FALSE())");
  EXPECT_EQ(nested.GetText(), L"IF(true(), A1, FALSE())");
  ASSERT_EQ(nested.GetChildCount(), 3);
  EXPECT_EQ(nested.GetChild(0)->GetNodeType(), NodeExpression);
  EXPECT_EQ(nested.GetChild(2)->GetText(), L"FALSE()");
  EXPECT_EQ(Root(L"=TRUE").GetNodeType(), NodeConstant);
}

TEST(SyntaxNode, CallTextLeavesOutNodesThatAreNotArguments) {
  CSyntaxNodeFuncCall call(L"f");
  call.AddChild(std::make_shared<CSyntaxNode>(L"1"));
  for (int32_t origin : {1, 2, 3, 4}) {
    auto child = std::make_shared<CSyntaxNode>(L"o" + std::to_wstring(origin));
    child->SetOrigin(origin);
    call.AddChild(child);
  }
  call.AddChild(nullptr);
  call.RebuildText();
  EXPECT_EQ(call.GetText(), L"f(1, o4)");
  EXPECT_EQ(call.GetChildCount(), 5);
}

TEST(SyntaxNode, TreesOfAnyDepthRebuildAndDieWithoutRecursion) {
  // Far deeper than any stack could take one frame per node.
  auto root = std::make_shared<CSyntaxNode>(L"root");
  CSyntaxNode* tip = root.get();
  for (int i = 0; i < 1000000; ++i) {
    auto child = std::make_shared<CSyntaxNode>(L"x");
    CSyntaxNode* next = child.get();
    tip->AddChild(std::move(child));
    tip = next;
  }
  auto shared = std::make_shared<CSyntaxNodeAddress>(L"A1");
  tip->AddChild(shared);
  root->RebuildText();
  EXPECT_EQ(shared->GetText(), L"A1");
  root.reset();
  EXPECT_EQ(shared.use_count(), 1);  // released by the tree, kept by its other owner
}

}  // namespace
