// CFormulaWorkbook: the shared context a dependency container lends its parsers (sheets, names,
// tables, external table, evaluation), built by hand for tests and benchmarks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "formula/address_parser.h"
#include "formula/defined_names.h"
#include "formula/external_table.h"
#include "formula/formula_parser.h"
#include "formula/sheet_index_by_name.h"
#include "formula/sheet_name_by_index.h"
#include "formula/table_list.h"
#include "tests/support/recording_eval_provider.h"

namespace test_support {

// The members are wired as the container wires them; the workbook is "Book1.xlsx".
class CFormulaWorkbook {
 public:
  CFormulaWorkbook() {
    addressParser.SetWorkbookName(L"Book1.xlsx");
    parser.SetTableContainer(&tables);
    parser.SetExternalTable(&externals);
  }
  CFormulaWorkbook(const CFormulaWorkbook&) = delete;
  CFormulaWorkbook& operator=(const CFormulaWorkbook&) = delete;

  // Appends a worksheet; returns its index.
  int32_t AddSheet(std::wstring_view name) {
    const auto index = static_cast<int32_t>(sheetNames.Size()) + 1;
    sheetIndex.Set(name, index);
    sheetNames.Set(index, name);
    eval.SetSheetName(index, name);
    return index;
  }
  // A name on the workbook (sheet 0) or on one sheet. A range when `first` is given, else a
  // constant or formula.
  int32_t AddName(std::wstring_view name, std::wstring_view refersTo, int32_t sheet = 0,
                  const CellPos* first = nullptr, const CellPos* last = nullptr) {
    const int32_t id = ++nameCounter_;
    NameRecord record;
    record.name = name;
    record.refersTo = refersTo;
    record.notRange = first == nullptr ? 1 : 0;
    if (first != nullptr) {
      record.first = *first;
      record.last = last != nullptr ? *last : *first;
    }
    names.SetRecord(id, std::move(record));
    if (sheet == 0) {
      names.AddWorkbookName(name, id);
    } else {
      names.AddSheetName(sheet, name, id);
    }
    return id;
  }

  SheetIndexByName sheetIndex;
  SheetNameByIndex sheetNames;
  CDefinedNames names;
  CTableList tables;
  CExternalTable externals;
  CRecordingEvalProvider eval;
  CAddressParser addressParser{&sheetIndex, &names};
  CFormulaParser parser{&eval, &addressParser, &sheetNames};

 private:
  int32_t nameCounter_ = 0;
};

}  // namespace test_support
