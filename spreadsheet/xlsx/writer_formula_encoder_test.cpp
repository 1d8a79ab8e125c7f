// The stored form of formulas: prefixes, LET and LAMBDA names, external book numbers.
#include "spreadsheet/xlsx/writer_formula_encoder.h"

#include <gtest/gtest.h>

#include "platform/text_encoding.h"
#include "spreadsheet/xlsx/writer_function_names.h"

namespace spreadsheet {
namespace {

struct EncodeCase {
  const wchar_t* model;
  const wchar_t* stored;
};

std::wstring Encoded(const wchar_t* formula, CWriterExternalLinks& links) {
  CWriterFormulaEncoder encoder(links);
  std::wstring out;
  encoder.Encode(formula, out);
  return out;
}

TEST(WriterFormulaEncoder, PrefixesNewerFunctionsOnly) {
  const EncodeCase cases[] = {
      {L"SUM(A1:A3)", L"SUM(A1:A3)"},
      {L"IFNA(A1,0)", L"_xlfn.IFNA(A1,0)"},
      {L"ifna(A1,0)", L"_xlfn.ifna(A1,0)"},
      {L"STDEV.S(A1:A3)+STDEV(A1:A3)", L"_xlfn.STDEV.S(A1:A3)+STDEV(A1:A3)"},
      {L"FILTER(A1:A3,SORT(B1:B3)>0)", L"_xlfn._xlws.FILTER(A1:A3,_xlfn._xlws.SORT(B1:B3)>0)"},
      {L"_xlfn.IFNA(1,2)", L"_xlfn.IFNA(1,2)"},
      {L"\"IFNA(\"&IFS", L"\"IFNA(\"&IFS"},  // A string, then a name that is not called.
      {L"'IFNA('!A1", L"'IFNA('!A1"},
      {L"Table1[IFNA(x)]", L"Table1[IFNA(x)]"},
      {L"{\"IFNA(\",1}", L"{\"IFNA(\",1}"},
      {L"MyUdf(CONCAT(A1),XLOOKUP(1,A:A,B:B))",
       L"MyUdf(_xlfn.CONCAT(A1),_xlfn.XLOOKUP(1,A:A,B:B))"},
      {L"1.5E+3+#N/A", L"1.5E+3+#N/A"},
  };
  CWriterExternalLinks links({});
  for (const EncodeCase& c : cases) {
    EXPECT_EQ(WideToUtf8(Encoded(c.model, links)), WideToUtf8(c.stored)) << WideToUtf8(c.model);
  }
  EXPECT_EQ(links.Count(), 0);
}

TEST(WriterFormulaEncoder, MarksLetAndLambdaNamesWithinTheirCall) {
  const EncodeCase cases[] = {
      {L"LET(x,1,x+1)", L"_xlfn.LET(_xlpm.x,1,_xlpm.x+1)"},
      {L"LET( x , 2, y, x*3, x+y)",
       L"_xlfn.LET( _xlpm.x , 2, _xlpm.y, _xlpm.x*3, _xlpm.x+_xlpm.y)"},
      {L"LET(x,1,x)+x", L"_xlfn.LET(_xlpm.x,1,_xlpm.x)+x"},  // Out of scope after the call.
      {L"LET(x,y,x)", L"_xlfn.LET(_xlpm.x,y,_xlpm.x)"},      // Values are not declarations.
      {L"LAMBDA(a,b,a*b)(2,3)", L"_xlfn.LAMBDA(_xlpm.a,_xlpm.b,_xlpm.a*_xlpm.b)(2,3)"},
      {L"LET(f,LAMBDA(v,v+1),f(2))",
       L"_xlfn.LET(_xlpm.f,_xlfn.LAMBDA(_xlpm.v,_xlpm.v+1),_xlpm.f(2))"},
      {L"LET(x,1,Sheet1!x+$x$1+x)", L"_xlfn.LET(_xlpm.x,1,Sheet1!x+$x$1+_xlpm.x)"},
      {L"LET(x,\"x\",x&\"x\")", L"_xlfn.LET(_xlpm.x,\"x\",_xlpm.x&\"x\")"},
      {L"_xlfn.LET(_xlpm.x,1,_xlpm.x)", L"_xlfn.LET(_xlpm.x,1,_xlpm.x)"},
  };
  CWriterExternalLinks links({});
  for (const EncodeCase& c : cases) {
    EXPECT_EQ(WideToUtf8(Encoded(c.model, links)), WideToUtf8(c.stored)) << WideToUtf8(c.model);
  }
}

TEST(WriterFormulaEncoder, NumbersExternalBooksAndNotesTheirSheets) {
  CWriterExternalLinks links({L"C:\\Data\\Known.xlsx"});
  const EncodeCase cases[] = {
      {L"[Known.xlsx]Sheet1!A1", L"[1]Sheet1!A1"},
      {L"[known.XLSX]Sheet2!A1+[New.xlsx]S!B2", L"[1]Sheet2!A1+[2]S!B2"},
      {L"'C:\\Data\\[Known.xlsx]My Sheet'!A1", L"'[1]My Sheet'!A1"},
      {L"'D:\\Other\\[Known.xlsx]It''s'!A1", L"'[3]It''s'!A1"},      // Same name, other folder.
      {L"[1]Sheet1!A1+[9]Sheet1!A1", L"[1]Sheet1!A1+[9]Sheet1!A1"},  // [9] names no book.
      {L"SUM([New.xlsx]First:Last!A1)", L"SUM([2]First:Last!A1)"},
      {L"Table1[[#This Row],[Col]]*[@Qty]", L"Table1[[#This Row],[Col]]*[@Qty]"},
      {L"[Book.xlsx]!Total", L"[4]!Total"},
  };
  for (const EncodeCase& c : cases) {
    EXPECT_EQ(WideToUtf8(Encoded(c.model, links)), WideToUtf8(c.stored)) << WideToUtf8(c.model);
  }
  ASSERT_EQ(links.Count(), 4);
  std::string part;
  links.RenderPart(1, part);
  EXPECT_NE(
      part.find(
          "<sheetName val=\"Sheet1\"/><sheetName val=\"Sheet2\"/><sheetName val=\"My Sheet\"/>"),
      std::string::npos)
      << part;
  part.clear();
  links.RenderPart(2, part);
  EXPECT_NE(part.find("<sheetName val=\"S\"/><sheetName val=\"First\"/><sheetName val=\"Last\"/>"),
            std::string::npos)
      << part;
  std::string relationships;
  links.RenderRelationships(1, relationships);
  EXPECT_NE(relationships.find("Target=\"file:///C:\\Data\\Known.xlsx\""), std::string::npos);
  relationships.clear();
  links.RenderRelationships(3, relationships);
  EXPECT_NE(relationships.find("Target=\"file:///D:\\Other\\Known.xlsx\""), std::string::npos);
}

TEST(WriterFormulaEncoder, UnterminatedTextIsCopiedUnchanged) {
  const wchar_t* cases[] = {L"\"open", L"'open", L"[open", L"{1,2", L"IFNA((", L")))", L""};
  CWriterExternalLinks links({});
  for (const wchar_t* formula : cases) {
    std::wstring expected = formula;
    if (expected.rfind(L"IFNA", 0) == 0) expected = L"_xlfn." + expected;
    EXPECT_EQ(WideToUtf8(Encoded(formula, links)), WideToUtf8(expected));
  }
}

TEST(WriterFunctionNames, KnowsThePrefixOfEachKind) {
  EXPECT_EQ(FunctionPrefix(L"XLOOKUP"), L"_xlfn.");
  EXPECT_EQ(FunctionPrefix(L"percentile.inc"), L"_xlfn.");
  EXPECT_EQ(FunctionPrefix(L"SORT"), L"_xlfn._xlws.");
  EXPECT_EQ(FunctionPrefix(L"SORTBY"), L"_xlfn.");
  EXPECT_EQ(FunctionPrefix(L"VLOOKUP"), L"");
  EXPECT_EQ(FunctionPrefix(L"PERCENTILE"), L"");
  EXPECT_EQ(FunctionPrefix(std::wstring(100, L'A')), L"");
}

}  // namespace
}  // namespace spreadsheet
