// The syntax tree as readers see it: children, texts, origins, and trees of any depth.
#include "formula/syntax_node.h"

#include <gtest/gtest.h>

#include <memory>

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

  const ISyntaxNode& partial = Root(L"=A1+#REF!");
  EXPECT_EQ(partial.GetChild(0)->GetText(), L"A1");
  EXPECT_EQ(partial.GetChild(2), nullptr);
  EXPECT_EQ(partial.GetText(), L"");
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
