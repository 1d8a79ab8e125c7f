// CFormulaParser: tree shapes, reference lists, the memo, external ids, names, and the
// evaluation of reference-returning calls.
#include "formula/formula_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "formula/reference_functions.h"
#include "formula/table_record.h"
#include "formula/syntax_node_brackets.h"
#include "formula/syntax_node_func_call.h"
#include "formula/syntax_node_invocation.h"
#include "formula/syntax_node_union.h"
#include "tests/support/formula_workbook.h"

namespace {

// The tree with its grouping made visible: binary "(l op r)", unary "(op x)", brackets "<x>",
// unions "U(a,b)", calls "NAME[a,b]", calls of what a call returns "CALL[a]{b}", a missing
// child "?".
std::wstring Shape(const ISyntaxNode* node) {
  if (node == nullptr) return L"?";
  if (node->GetNodeType() != NodeExpression) return node->GetText();
  if (dynamic_cast<const CSyntaxNodeBrackets*>(node) != nullptr) {
    return L"<" + Shape(node->GetChild(0)) + L">";
  }
  if (dynamic_cast<const CSyntaxNodeInvocation*>(node) != nullptr) {
    std::wstring out = Shape(node->GetChild(0)) + L"{";
    for (int32_t i = 1; i < node->GetChildCount(); ++i) {
      out += (i > 1 ? L"," : L"") + Shape(node->GetChild(i));
    }
    return out + L"}";
  }
  const auto* call = dynamic_cast<const CSyntaxNodeFuncCall*>(node);
  if (call != nullptr || dynamic_cast<const CSyntaxNodeUnion*>(node) != nullptr) {
    std::wstring out = call != nullptr ? call->Name() + L"[" : L"U(";
    for (int32_t i = 0; i < node->GetChildCount(); ++i) {
      out += (i > 0 ? L"," : L"") + Shape(node->GetChild(i));
    }
    return out + (call != nullptr ? L"]" : L")");
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
    for (const wchar_t* sheet : {L"Sheet1", L"Sheet2", L"Sheet3", L"My Sheet", L"O'Brien"})
      book.AddSheet(sheet);
    const CellPos a1{1, 1, 1}, c3{1, 3, 3}, b2{2, 2, 2};
    book.AddName(L"Data", L"=Sheet1!$A$1:$C$3", 0, &a1, &c3);
    book.AddName(L"Rate", L"=0.05");
    book.AddName(L"Local", L"=Sheet2!$B$2", 2, &b2);
    book.AddName(L"Tax.Rate", L"=0.2");
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
      {L"=2^3^2", L"((2^3)^2)", {}},  // left-associative, as Excel reads it
      {L"=1=2=3", L"((1=2)=3)", {}},
      {L"=A1^B1^C1=D1<E1",
       L"((((A1^B1)^C1)=D1)<E1)",
       {L"1!A1", L"1!B1", L"1!C1", L"1!D1", L"1!E1"}},
      {L"=(A1+2)*3", L"(<(A1+2)>*3)", {L"1!A1"}},
      {L"=(A1,B1)", L"U(A1,B1)", {L"1!A1", L"1!B1"}},
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
      {L"=IF(TRUE(),A1,false())", L"IF[TRUE[],A1,false[]]", {L"1!A1"}},
      {L"=TRUE()+TRUE", L"(TRUE[]+TRUE)", {}},
      {L"=#REF!+A1", L"(#REF!+A1)", {L"1!A1"}},
      {L"=Undefined+1", L"(Undefined+1)", {L"bad:Undefined"}},
      {L"=A1*1E+20", L"(A1*1E+20)", {L"1!A1"}},
      {L"={1,2;3,4}", L"{1,2;3,4}", {}},
      {L"=*5", L"*", {}},  // a stray operator is a constant
      {L"=A1+A1+a1", L"((A1+A1)+a1)", {L"1!A1"}},
      {L"=SUM(A1:INDEX(B:B,2))", L"SUM[(A1:INDEX[B:B,2])]", {L"1!A1", L"1!B:B"}},
      {L"=Data*2", L"(Data*2)", {L"name:Data=1!A1:C3"}},
      {L"=Rate*A1", L"(Rate*A1)", {L"name:Rate", L"1!A1"}},
      {L"=Local", L"Local", {L"bad:Local"}},  // defined on Sheet2 only
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

// What current Excel writes, each read to every reference it names.
TEST_F(FormulaParserTest, CurrentExcelForms) {
  struct Case {
    const wchar_t* formula;
    const wchar_t* shape;
    Refs references;
  };
  const Case cases[] = {
      // Function names with dots, as shown and as files and the object model may prefix them.
      {L"=CHISQ.TEST(E17:F17,G17:H17)",
       L"CHISQ.TEST[E17:F17,G17:H17]",
       {L"1!E17:F17", L"1!G17:H17"}},
      {L"=_xlfn.CEILING.MATH(E16,3)", L"_xlfn.CEILING.MATH[E16,3]", {L"1!E16"}},
      {L"=_xlfn._xlws.SORT(A1:B3)+F.DIST.RT(C1,1,2)",
       L"(_xlfn._xlws.SORT[A1:B3]+F.DIST.RT[C1,1,2])",
       {L"1!A1:B3", L"1!C1"}},
      {L"=Tax.Rate*A1", L"(Tax.Rate*A1)", {L"name:Tax.Rate", L"1!A1"}},
      // Unions and intersections.
      {L"=AREAS((D4:G4,I4:J4,K4:N4))",
       L"AREAS[U(D4:G4,I4:J4,K4:N4)]",
       {L"1!D4:G4", L"1!I4:J4", L"1!K4:N4"}},
      {L"=SUM((A1,B2:C3))", L"SUM[U(A1,B2:C3)]", {L"1!A1", L"1!B2:C3"}},
      {L"=SUM(((F4:G4,G4:I4) G3:G11))",
       L"SUM[<(U(F4:G4,G4:I4) G3:G11)>]",
       {L"1!F4:G4", L"1!G4:I4", L"1!G3:G11"}},
      {L"=SUM(A1:A3 A2:B2)", L"SUM[(A1:A3 A2:B2)]", {L"1!A1:A3", L"1!A2:B2"}},
      {L"=-A1:B2 B1:C3%", L"(-(A1:B2 B1:C3))", {L"1!A1:B2", L"1!B1:C3"}},
      {L"=SUM( A1 , B1 )", L"SUM[A1,B1]", {L"1!A1", L"1!B1"}},  // layout, not intersections
      {L"=(A1:B2):(C3):D4", L"((<A1:B2>:<C3>):D4)", {L"1!A1:B2", L"1!C3", L"1!D4"}},
      // Error literals are constants, and so are references left holding one.
      {L"=ISNA(#N/A)", L"ISNA[#N/A]", {}},
      {L"=CHOOSE(2,#N/A,#NULL!,#div/0!)", L"CHOOSE[2,#N/A,#NULL!,#div/0!]", {}},
      {L"=IFERROR(#VALUE!,#NAME?)&#NUM!&#GETTING_DATA&#SPILL!&#CALC!",
       L"((((IFERROR[#VALUE!,#NAME?]&#NUM!)&#GETTING_DATA)&#SPILL!)&#CALC!)",
       {}},
      {L"=Sheet1!#REF!+A1", L"(Sheet1!#REF!+A1)", {L"1!A1"}},
      {L"=SUM(#REF!A1:B2,'My Sheet'!#REF!,C1)", L"SUM[#REF!A1:B2,'My Sheet'!#REF!,C1]", {L"1!C1"}},
      // Numbers with exponents, spill references, implicit intersection.
      {L"=1E+3*A1", L"(1E+3*A1)", {L"1!A1"}},
      {L"=1.5e-3+2E5%-A1", L"((1.5e-3+2E5%)-A1)", {L"1!A1"}},
      {L"=SUM(A1#,Sheet2!B2#)", L"SUM[A1#,Sheet2!B2#]", {L"1!A1", L"2!B2"}},
      {L"=@A1:A10", L"(@A1:A10)", {L"1!A1:A10"}},
      // Whole columns and rows, quoted and 3-D sheets.
      {L"=SUM(A:A,1:1,Sheet2!A:B,$2:$3,Sheet3!4:5)",
       L"SUM[A:A,1:1,Sheet2!A:B,$2:$3,Sheet3!4:5]",
       {L"1!A:A", L"1!$1:$1", L"2!A:B", L"1!$2:$3", L"3!$4:$5"}},
      {L"=SUM(1:1 A:A)", L"SUM[(1:1 A:A)]", {L"1!$1:$1", L"1!A:A"}},
      {L"='O''Brien'!A1+'My Sheet'!B2", L"('O''Brien'!A1+'My Sheet'!B2)", {L"5!A1", L"4!B2"}},
      {L"=SUM('Sheet1:Sheet3'!A1,Sheet1:Sheet3!B1)",
       L"SUM['Sheet1:Sheet3'!A1,Sheet1:Sheet3!B1]",
       {L"1:3!A1", L"1:3!B1"}},
      // LET and LAMBDA parameters are no references, inside their call only.
      {L"=LET(x,A1,x*2)", L"LET[x,A1,(x*2)]", {L"1!A1"}},
      {L"=LET(Data,B1,y,Data+1,y*Data)+Data",
       L"(LET[Data,B1,y,(Data+1),(y*Data)]+Data)",
       {L"1!B1", L"name:Data=1!A1:C3"}},
      {L"=_xlfn.LAMBDA(a,[b],IF(ISOMITTED(b),a,a+b)+C1)",
       L"_xlfn.LAMBDA[a,[b],(IF[ISOMITTED[b],a,(a+b)]+C1)]",
       {L"1!C1"}},
      {L"=LAMBDA(x,x+B1)(A1)+LAMBDA(y,y)()",
       L"(LAMBDA[x,(x+B1)]{A1}+LAMBDA[y,y]{})",
       {L"1!B1", L"1!A1"}},
      {L"=x*2", L"(x*2)", {L"bad:x"}},
      {L"=SUM(_xlpm.x,A1)", L"SUM[_xlpm.x,A1]", {L"1!A1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.formula);
    EXPECT_EQ(Parse(c.formula), c.references);
    EXPECT_EQ(RootShape(), c.shape);
    // Every node's text is the formula as written, less layout and with ", " between arguments.
    ASSERT_NE(parser.GetRoot(), nullptr);
    EXPECT_FALSE(parser.GetRoot()->GetText().empty());
  }
}

TEST_F(FormulaParserTest, MemoReplaysSpillsUnionsAndParametersForAnotherCell) {
  const std::wstring formula = L"=SUM((A1,B2#),LET(x,C3,x))";
  EXPECT_EQ(Parse(formula, {1, 1, 1}), (Refs{L"1!A1", L"1!B2", L"1!C3"}));
  EXPECT_EQ(Parse(formula, {3, 1, 1}), (Refs{L"3!A1", L"3!B2", L"3!C3"}));
  EXPECT_EQ(parser.MemoSize(), 1u);
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

  // A fuzzing find: the same text twice was two references in the parse and one in the memo's
  // replay; it is one in both.
  const std::wstring twice = L"='[1]e'!A1='[1]e'!A1";
  EXPECT_EQ(Parse(twice), (Refs{L"ext:7"}));
  EXPECT_EQ(Parse(twice), (Refs{L"ext:8"}));

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

// Excel writes a union's address qualified once: every area is on the first one's sheet.
TEST_F(DynamicCallTest, UnionTargetsResolveAreaByArea) {
  book.eval.Answer(L"INDIRECT(\"U\")", L"'My Sheet'!$A$1:$A$2,$C$3");
  EXPECT_EQ(Parse(L"=INDIRECT(\"U\")"), (Refs{L"~4!A1:A2", L"~4!C3"}));
  ASSERT_NE(Resolved(), nullptr);
  EXPECT_EQ(Resolved()->GetOrigin(), OriginEvaluated);
  EXPECT_EQ(Resolved()->GetText(), L"('My Sheet'!$A$1:$A$2,'My Sheet'!$C$3)");
  ASSERT_EQ(Resolved()->GetChildCount(), 2);
  for (int32_t i = 0; i < 2; ++i) {
    EXPECT_EQ(Resolved()->GetChild(i)->GetNodeType(), NodeReference);
    EXPECT_EQ(Resolved()->GetChild(i)->GetOrigin(), OriginEvaluated);
  }

  book.eval.Answer(L"INDIRECT(\"U\")", L"'O''Brien'!$A$1,$B$2,Sheet2!C3");
  EXPECT_EQ(Parse(L"=INDIRECT(\"U\")"), (Refs{L"~5!A1", L"~5!B2", L"~2!C3"}));
  // A value with a comma is no union.
  book.eval.Answer(L"INDIRECT(\"U\")", L"1,5");
  EXPECT_EQ(Parse(L"=INDIRECT(\"U\")"), (Refs{L"bad:1,5"}));
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
  // Right of ":" the sheet is not written again: "Sheet1!B2:Sheet1!C4" would read back as one
  // token of another text (a fuzzing find).
  Parse(L"=OFFSET(B2:B2:C4,1,1)");
  EXPECT_EQ(Evaluated(), (Refs{L"OFFSET(Sheet1!B2:C4, 1, 1)@1"}));
  Parse(L"=OFFSET(Sheet1!B2:C4,1,1)");
  EXPECT_EQ(parser.GetRoot()->GetText(), L"OFFSET(Sheet1!B2:C4, 1, 1)");
  Evaluated();
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

// The memo by form: copies of a formula across a sheet share one parse, and every cell reads
// what a parse of its own text would.
class FormMemoTest : public FormulaParserTest {
 protected:
  // What a parser without a memo reads in the cell.
  Refs Fresh(const std::wstring& formula, CellPos cell) {
    CFormulaParser fresh(parser);
    EXPECT_TRUE(fresh.Parse(formula, cell));
    std::vector<std::wstring> described;
    for (const CellReference& r : fresh.GetReferences()) described.push_back(Describe(r));
    return described;
  }
  static std::wstring Column(int32_t column) { return CAddressParser::ColumnLetters(column); }
  static std::wstring Row(int32_t row) { return std::to_wstring(row); }
};

TEST_F(FormMemoTest, FilledFormulasShareOneParseAndReadTheirOwnCells) {
  // Each shape gives the text of the cell (column c, row r), as filling would write it.
  using Shape = std::wstring (*)(int32_t c, int32_t r);
  const Shape shapes[] = {
      [](int32_t c, int32_t r) { return L"=" + Column(c - 1) + Row(r) + L"*$H$1"; },
      [](int32_t c, int32_t r) {
        return L"=$A" + Row(r) + L"+" + Column(c + 1) + L"$1+SUM($B$2:" + Column(c) + Row(r + 3) +
               L")";
      },
      [](int32_t c, int32_t r) {
        return L"=SUM(" + Column(c) + L":" + Column(c + 2) + L")-" + Row(r) + L":" + Row(r) +
               L"+$4:" + Row(r + 1);
      },
      [](int32_t c, int32_t r) {
        return L"=Sheet2!" + Column(c) + Row(r) + L"+'My Sheet'!$C" + Row(r) +
               L"+SUM(Sheet1:Sheet3!" + Column(c - 4) + Row(r) + L")";
      },
      [](int32_t c, int32_t r) {
        return L"=IF(" + Column(c) + Row(r + 1) + L">0,Data," + Column(c) + Row(r + 1) +
               L"+Local)&\"A1\"";
      },
  };
  for (size_t s = 0; s < std::size(shapes); ++s) {
    parser.ClearMemo();
    for (const CellPos cell : {CellPos{1, 5, 2}, CellPos{1, 5, 3}, CellPos{1, 6, 40},
                               CellPos{2, 9, 7}, CellPos{1, 30, 1000}}) {
      const std::wstring formula = shapes[s](cell.column, cell.row);
      SCOPED_TRACE(formula);
      EXPECT_EQ(Parse(formula, cell), Fresh(formula, cell));
    }
    EXPECT_EQ(parser.MemoSize(), 1u) << s;
  }
}

// Formulas of random pieces, each copied to random cells: whatever the memo shares, every cell
// reads what a parse of its own text reads.
TEST_F(FormMemoTest, RandomCopiesReadAsTheirOwnTexts) {
  const CellPos a1{1, 1, 1};
  book.AddName(L"AB", L"=Sheet1!$A$1", 0, &a1);  // spelt like a column
  std::mt19937 random(20261211);
  const auto pick = [&random](uint32_t n) { return static_cast<int32_t>(random() % n); };
  // A piece written for a cell: kind, two corners as offsets (or fixed places when absolute).
  struct Piece {
    int32_t kind, dc1, dr1, dc2, dr2, absolute, qualifier;
  };
  const auto render = [](const Piece& p, const CellPos& cell) {
    const auto column = [&](int32_t offset, bool fixed) {
      return (fixed ? L"$" : L"") + Column(std::max(1, (fixed ? 12 : cell.column) + offset));
    };
    const auto row = [&](int32_t offset, bool fixed) {
      return (fixed ? L"$" : L"") + Row(std::max(1, (fixed ? 20 : cell.row) + offset));
    };
    const wchar_t* qualifiers[] = {L"", L"", L"Sheet2!", L"'My Sheet'!", L"Sheet1:Sheet3!"};
    const std::wstring q = qualifiers[p.qualifier];
    const std::wstring corner1 = column(p.dc1, p.absolute & 1) + row(p.dr1, p.absolute & 2);
    const std::wstring corner2 = column(p.dc2, p.absolute & 4) + row(p.dr2, p.absolute & 8);
    switch (p.kind) {
      case 0: return q + corner1;
      case 1: return q + corner1 + L":" + corner2;
      case 2: return q + column(p.dc1, p.absolute & 1) + L":" + column(p.dc2, p.absolute & 4);
      case 3: return q + row(p.dr1, p.absolute & 2) + L":" + row(p.dr2, p.absolute & 8);
      case 4: return std::wstring(L"Local");
      case 5: return std::wstring(L"Data");
      case 6: return L"LET(" + corner1 + L",1," + corner1 + L"+1)";
      case 7: return L"\"" + corner1 + L"\"";
      case 8: return corner1 + L"#";
      default: return std::wstring(L"AB:AB");
    }
  };
  const wchar_t* joins[] = {L"+", L"*", L"&", L",", L" "};
  for (int shape = 0; shape < 400; ++shape) {
    std::vector<Piece> pieces;
    for (int32_t i = pick(4); i >= 0; --i) {
      pieces.push_back({pick(10), pick(7) - 3, pick(7) - 3, pick(7) - 1, pick(7) + 1, pick(16),
                        pick(5)});
    }
    parser.ClearMemo();
    for (int copy = 0; copy < 5; ++copy) {
      const CellPos cell{1 + pick(3), 4 + pick(30), 4 + pick(50)};
      std::wstring formula = L"=SUM(";
      for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) formula += joins[static_cast<size_t>(pieces[i].kind) % std::size(joins)];
        formula += render(pieces[i], cell);
      }
      formula += L")";
      SCOPED_TRACE(formula);
      ASSERT_EQ(Parse(formula, cell), Fresh(formula, cell));
    }
  }
}

TEST_F(FormMemoTest, EqualTextsOfTwoFormsDoNotShare) {
  EXPECT_EQ(Parse(L"=A1+$B$1", {1, 2, 1}), (Refs{L"1!A1", L"1!B1"}));
  EXPECT_EQ(Parse(L"=A1+$B$1", {1, 2, 2}), (Refs{L"1!A1", L"1!B1"}));
  EXPECT_EQ(parser.MemoSize(), 2u);
  // The form of the first cell, one row down: the relative part moves, the absolute does not.
  EXPECT_EQ(Parse(L"=A2+$B$1", {1, 2, 2}), (Refs{L"1!A2", L"1!B1"}));
  EXPECT_EQ(parser.MemoSize(), 2u);
  // An address that meets an absolute one in the parsed cell and leaves it in the next.
  EXPECT_EQ(Parse(L"=B1+$B$1", {1, 3, 1}), (Refs{L"1!B1"}));
  EXPECT_EQ(Parse(L"=B2+$B$1", {1, 3, 2}), (Refs{L"1!B2", L"1!B1"}));
}

TEST_F(FormMemoTest, NamesTablesAndCallsAreReadAgainInEachCell) {
  // "Local" is a name of Sheet2 only.
  EXPECT_EQ(Parse(L"=A1+Local", {1, 2, 1}), (Refs{L"1!A1", L"bad:Local"}));
  EXPECT_EQ(Parse(L"=A2+Local", {2, 2, 2}), (Refs{L"2!A2", L"name:Local=2!B2"}));
  EXPECT_EQ(parser.MemoSize(), 1u);

  TableRecord table;
  table.name = L"Orders";
  table.whole = {{1, 2, 2}, {1, 3, 10}};
  table.dataBody = {{1, 2, 3}, {1, 3, 10}};
  table.headerRow = {{1, 2, 2}, {1, 3, 2}};
  table.totalsRow = table.whole;
  table.columns.push_back({{{1, 2, 3}, {1, 2, 10}}, L"Qty"});
  table.columns.push_back({{{1, 3, 3}, {1, 3, 10}}, L"Total"});
  book.tables.Add(table);
  EXPECT_EQ(Parse(L"=[@Qty]*E4", {1, 3, 4}), (Refs{L"1!B4", L"1!E4"}));
  EXPECT_EQ(Parse(L"=[@Qty]*E7", {1, 3, 7}), (Refs{L"1!B7", L"1!E7"}));
  EXPECT_EQ(Parse(L"=[@Qty]*E12", {1, 3, 12}), (Refs{L"bad:[@Qty]", L"1!E12"}));  // no table
  EXPECT_EQ(parser.MemoSize(), 2u);
  // A fuzzing find: with a spill mark, the parse and the memo's replay read the word apart.
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(Parse(L"=[@Qty]#", {1, 3, 5}), (Refs{L"1!B5"})) << round;
  }
}

TEST_F(FormMemoTest, AFormWhoseAddressesAreNotAllReferencesKeepsItsText) {
  // "X1" is a LET parameter here, not a cell: the text is parsed for itself.
  EXPECT_EQ(Parse(L"=LET(X1,5,X1*A1)", {1, 2, 1}), (Refs{L"1!A1"}));
  EXPECT_EQ(Parse(L"=LET(X2,5,X2*A2)", {1, 2, 2}), (Refs{L"1!A2"}));
  EXPECT_EQ(Parse(L"=LET(X2,5,X2*A2)", {1, 2, 2}), (Refs{L"1!A2"}));
  EXPECT_EQ(parser.MemoSize(), 2u);
  EXPECT_EQ(RootShape(), L"LET[X2,5,(X2*A2)]");

  // A whole column whose letters spell a name reads the name: in that cell only.
  const CellPos a1{1, 1, 1};
  book.AddName(L"AB", L"=Sheet1!$A$1", 0, &a1);
  for (const int32_t column : {27, 28, 29}) {
    const std::wstring letters = Column(column);
    const std::wstring formula = L"=SUM(" + letters + L":" + letters + L")+" + letters + L"1";
    const CellPos cell{1, column + 1, 1};
    SCOPED_TRACE(formula);
    EXPECT_EQ(Parse(formula, cell), Fresh(formula, cell));
  }
}

TEST_F(FormMemoTest, TheRootShowsTheCellAskedFor) {
  Parse(L"=SUM(A1:A3)*$H$1+Sheet2!B1", {1, 2, 1});
  const auto tree = parser.GetRoot();
  EXPECT_EQ(tree->GetText(), L"SUM(A1:A3)*$H$1+Sheet2!B1");
  Parse(L"=SUM(B5:B7)*$H$1+Sheet2!C5", {1, 3, 5});
  ASSERT_EQ(parser.GetRoot(), tree);
  EXPECT_EQ(tree->GetText(), L"SUM(B5:B7)*$H$1+Sheet2!C5");
  CellReference reference;
  tree->GetChild(0)->GetChild(0)->GetChild(0)->GetReference(reference);
  EXPECT_EQ(Describe(reference), L"1!B5:B7");
  // On another sheet the unqualified address is that sheet's.
  Parse(L"=SUM(B5:B7)*$H$1+Sheet2!C5", {3, 3, 5});
  parser.GetRoot()->GetChild(0)->GetChild(0)->GetChild(0)->GetReference(reference);
  EXPECT_EQ(Describe(reference), L"3!B5:B7");
}

TEST_F(FormMemoTest, AddressesAtTheSheetsEdges) {
  const struct {
    const wchar_t* formula;
    CellPos cell;
    Refs references;
  } cases[] = {
      {L"=A1+XFC1", {1, 2, 2}, {L"1!A1", L"1!XFC1"}},
      {L"=A1048575+XFC1048575", {1, 2, 1048576}, {L"1!A1048575", L"1!XFC1048575"}},
      {L"=XFC1048575+A1:XFD1048576", {1, 16384, 1048576}, {L"1!XFC1048575", L"1!A1:XFD1048576"}},
      {L"=A1+XFC1", {1, 16384, 1048576}, {L"1!A1", L"1!XFC1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.formula);
    EXPECT_EQ(Parse(c.formula, c.cell), c.references);
    EXPECT_EQ(parser.GetRoot()->GetText(), std::wstring(c.formula + 1));
  }
  EXPECT_EQ(parser.MemoSize(), 3u);  // the first two cases are one form
}

TEST_F(DynamicCallTest, CallsOfAFormAreEvaluatedWithTheCellsAddresses) {
  book.eval.Answer(L"OFFSET(Sheet1!A1, 1, 1)", L"'Sheet1'!$B$2");
  book.eval.Answer(L"INDIRECT(\"C\"&Sheet1!A2)", L"'Sheet1'!$C$9");
  EXPECT_EQ(Parse(L"=OFFSET(A1,1,1)+INDIRECT(\"C\"&A1)", {1, 2, 1}), (Refs{L"1!A1", L"~1!B2"}));
  EXPECT_EQ(Evaluated(),
            (Refs{L"OFFSET(Sheet1!A1, 1, 1)@1", L"INDIRECT(\"C\"&Sheet1!A1)@1"}));
  EXPECT_EQ(Parse(L"=OFFSET(A2,1,1)+INDIRECT(\"C\"&A2)", {1, 2, 2}), (Refs{L"1!A2", L"~1!C9"}));
  EXPECT_EQ(Evaluated(),
            (Refs{L"OFFSET(Sheet1!A2, 1, 1)@1", L"INDIRECT(\"C\"&Sheet1!A2)@1"}));
  EXPECT_EQ(parser.MemoSize(), 1u);
  EXPECT_EQ(parser.GetRoot()->GetText(), L"OFFSET(Sheet1!A2, 1, 1)+INDIRECT(\"C\"&Sheet1!A2)");
}

TEST_F(FormulaParserTest, AnOperatorAfterAColonKeepsTheArgumentsAfterIt) {
  // A fuzzing find: the operator was taken as the right side of the range and "1" as the
  // closing bracket, which lost "C16".
  EXPECT_EQ(Parse(L"=SUM(B2:>1, C16)"), (Refs{L"1!B2", L"1!C16"}));
  const std::wstring text = parser.GetRoot()->GetText();
  EXPECT_EQ(text, L"SUM(B2:>1, C16)");
  EXPECT_EQ(Parse(L"=" + text), (Refs{L"1!B2", L"1!C16"}));
  EXPECT_EQ(parser.GetRoot()->GetText(), text);
  EXPECT_EQ(Parse(L"=A1:*2+B1"), (Refs{L"1!A1", L"1!B1"}));
}

TEST_F(FormulaParserTest, ARangeWrittenAsOneTokenTakesNoThirdCorner) {
  // A fuzzing find: OFFSET(B2:FF2:$6,1) rebuilds its range with the sheet, "Sheet1!B2:FF2:$6",
  // one token and ":$6"; joined into one text, the third corner was dropped by the next parse.
  const Refs plain = Parse(L"=B2:FF2:$6");
  EXPECT_EQ(parser.GetRoot()->GetText(), L"B2:FF2:$6");
  EXPECT_EQ(Parse(L"=Sheet1!B2:FF2:$6"), plain);
  EXPECT_EQ(parser.GetRoot()->GetText(), L"Sheet1!B2:FF2:$6");
  // A ":" before the "!" spans sheets: the word is one corner, and the range goes on.
  EXPECT_EQ(Parse(L"=SUM(Sheet1:Sheet2!A1:B2)"), (Refs{L"1:2!A1:B2"}));
}

}  // namespace
