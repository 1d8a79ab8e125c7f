// The workbook the writer's tests save and read back.
#include "spreadsheet/xlsx/xlsx_writer_test_workbook.h"

#include "spreadsheet/model/workbook.h"

namespace spreadsheet {
namespace {

CellValue Num(double value) {
  return CellValue::Number(value);
}
CellValue Str(const std::wstring& text) {
  return CellValue::Text(text);
}

std::uint32_t Format(CWorkbook& book, const Font& font, const Fill& fill, std::uint32_t number) {
  CellFormat format;
  format.font = book.Formats().InternFont(font);
  format.fill = book.Formats().InternFill(fill);
  format.numberFormat = number;
  return book.Formats().InternFormat(format);
}

}  // namespace

void BuildWriterTestWorkbook(CWorkbook& book) {
  CWorksheet& data = book.AddSheet(L"Data");
  CWorksheet& other = book.AddSheet(L"Other Sheet");
  book.AddSheet(L"Hidden").SetVisible(Visibility::Hidden);
  book.AddSheet(L"Secret").SetVisible(Visibility::VeryHidden);
  book.SetActiveSheet(2);
  book.SetDate1904(true);
  book.ExternalLinks().push_back(L"Other.xlsx");

  Font bold;
  bold.bold = true;
  data.SetValue({1, 1}, Num(1.5));
  data.SetFormat({1, 1}, Format(book, bold, Fill{L"solid", Color::Rgb(0xFF0000)}, 0));
  data.SetValue({1, 2}, Str(L"hello <&> \"x\""));
  data.SetValue({1, 3}, CellValue::Boolean(true));
  data.SetValue({1, 4}, CellValue::Boolean(false));
  data.SetValue({1, 5}, CellValue::Error(ErrorCode::Div0));
  data.SetValue({1, 6}, CellValue::Error(ErrorCode::NA));
  data.SetValue({1, 7}, Str(L"_x0041_ stays"));
  data.SetValue({1, 8}, Str(L"  padded  "));
  data.SetValue({1, 9}, Str(L"line1\nline2"));
  data.SetValue({1, 10}, Str(L"\U0001F600 \u00FCn\u00EF"));
  data.SetValue({1, 11}, Num(0.25));
  data.SetFormat({1, 11}, Format(book, Font{}, Fill{}, 10));
  data.SetValue({1, 12}, Num(1234.5));
  data.SetFormat({1, 12},
                 Format(book, Font{}, Fill{}, book.Formats().InternNumberFormat(L"#,##0.000")));
  data.SetValue({1, 13}, Num(-0.1));
  data.SetValue({1, 14}, Num(1e-300));
  data.SetValue({1, 15}, CellValue::Error(ErrorCode::Ref));
  data.SetValue({1, 16}, CellValue::Error(ErrorCode::Name));

  data.SetFormula({2, 1}, L"=A1*2", Num(3));
  data.SetFormula({2, 2}, L"=IFNA(A1,0)", Num(1.5));
  data.SetFormula({2, 3}, L"='Other Sheet'!A1+1", Num(11));
  data.SetFormula({2, 4}, L"=\"a\"\"b\"&B1", Str(L"a\"bhello <&> \"x\""));
  data.SetFormula({2, 5}, L"=CONCAT(\"x\",\"y\")", Str(L"xy"));
  data.SetFormula({2, 6}, L"=STDEV.S(A1,M1)", Num(1.131370849898476));
  data.SetFormula({2, 7}, L"=SUM(A1:A2)", Num(4.5));
  data.SetFormula({2, 8}, L"=1/0", CellValue::Error(ErrorCode::Div0));
  data.SetFormula({2, 9}, L"=A1>1", CellValue::Boolean(true));

  const std::uint32_t shared =
      data.AddFormulaRecord({FormulaRecord::Kind::Shared, L"A1+1", {3, 1}, {{3, 1}, {5, 1}}});
  for (std::int32_t row = 3; row <= 5; ++row) {
    data.AttachFormula({row, 1}, shared);
    data.SetCachedValue({row, 1}, Num(row == 3 ? 2.5 : row == 4 ? 4 : 3.5));
  }
  data.SetArrayFormula({{3, 3}, {4, 3}}, L"=A1:A2*2");
  data.SetCachedValue({3, 3}, Num(3));
  data.SetCachedValue({4, 3}, Num(6));

  data.SetValue({7, 1}, Str(L"merged"));
  data.AddMerge({{7, 1}, {8, 2}});

  data.SetValue({10, 1}, Str(L"Name"));
  data.SetValue({10, 2}, Str(L"Amount"));
  data.SetValue({11, 1}, Str(L"a"));
  data.SetValue({11, 2}, Num(1));
  data.SetValue({12, 1}, Str(L"b"));
  data.SetValue({12, 2}, Num(2));
  data.Tables().push_back(Table{L"Sales", {{10, 1}, {12, 2}}, true, false, {L"Name", L"Amount"}});
  data.SetFormula({14, 1}, L"=SUM(Sales[Amount])", Num(3));
  data.SetFormula({14, 2}, L"=[Other.xlsx]Sheet1!A1", Num(42));
  data.SetFormula({14, 3}, L"=MyName*2", Num(3));

  data.SetColumnWidth(2, 20);
  data.SetRowHeight(1, 30);

  other.SetValue({1, 1}, Num(10));
  other.SetValue({2, 1}, Num(20));
  other.SetDisplayGridlines(false);
  other.SetProtected(true);

  book.AddName({L"MyName", L"=Data!$A$1", 0, false});
  book.AddName({L"LocalName", L"='Other Sheet'!$A$1:$A$2", 2, false});
  book.AddName({L"HiddenName", L"=Data!$B$1", 0, true});
}

}  // namespace spreadsheet
