// Every formula of the shared corpus workbooks parses, with sound references. The formulas are
// extracted by tools/extract_formulas.py (a CTest fixture) into the build folder.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "formula/formula_parser.h"
#include "formula/reference_functions.h"
#include "platform/text_encoding.h"
#include "tests/support/formula_workbook.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::wstring> Fields(const std::wstring& line) {
  std::vector<std::wstring> fields(1);
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == L'\t') {
      fields.emplace_back();
    } else if (line[i] == L'\\' && i + 1 < line.size()) {
      const wchar_t next = line[++i];
      fields.back() += next == L't' ? L'\t' : next == L'n' ? L'\n' : next == L'r' ? L'\r' : next;
    } else {
      fields.back() += line[i];
    }
  }
  return fields;
}

struct Extract {
  std::vector<std::vector<std::wstring>> context;   // [sheet], [name], [table] lines
  std::vector<std::vector<std::wstring>> formulas;  // sheet, cell, formula
};

Extract ReadExtract(const fs::path& path) {
  Extract extract;
  std::ifstream stream(path, std::ios::binary);
  std::string line;
  while (std::getline(stream, line)) {
    std::vector<std::wstring> fields = Fields(Utf8ToWide(line));
    auto& target = fields[0].starts_with(L"[") ? extract.context : extract.formulas;
    target.push_back(std::move(fields));
  }
  return extract;
}

// The workbook context as a container would read it: sheets, names, tables.
void LoadContext(const Extract& extract, test_support::CFormulaWorkbook& book) {
  for (const auto& fields : extract.context) {
    if (fields[0] == L"[sheet]" && fields.size() == 2) book.AddSheet(fields[1]);
  }
  CAddressParser& reader = book.addressParser;
  for (const auto& fields : extract.context) {
    if (fields[0] == L"[name]" && fields.size() == 4) {
      const int32_t sheet = fields[2].empty() ? 0 : book.sheetIndex.Find(fields[2]);
      reader.SetCurrentCell({});
      const bool range = reader.Parse(fields[3]) && !reader.IsExternal();
      const CellPos first = reader.First();
      const CellPos last = reader.Last();
      book.AddName(fields[1], fields[3], sheet, range ? &first : nullptr, range ? &last : nullptr);
    } else if (fields[0] == L"[table]" && fields.size() >= 6) {
      reader.SetCurrentCell({book.sheetIndex.Find(fields[1]), 1, 1});
      if (!reader.Parse(fields[3])) continue;
      TableRecord table;
      table.name = fields[2];
      table.whole = {reader.First(), reader.Last()};
      const int32_t headers = std::stoi(fields[4]);
      const int32_t totals = std::stoi(fields[5]);
      table.dataBody = table.whole;
      table.dataBody.first.row += headers;
      table.dataBody.last.row -= totals;
      table.headerRow = table.totalsRow = table.whole;
      if (headers > 0) table.headerRow.last.row = table.whole.first.row;
      if (totals > 0) table.totalsRow.first.row = table.whole.last.row;
      for (size_t i = 6; i < fields.size(); ++i) {
        CellRect column = table.dataBody;
        column.first.column = column.last.column =
            table.whole.first.column + static_cast<int32_t>(i - 6);
        table.columns.push_back({column, fields[i]});
      }
      book.tables.Add(std::move(table));
    }
  }
}

TEST(FormulaCorpus, EveryFormulaParses) {
  const fs::path corpus = fs::path(TRELVANE_SOURCE_DIR) / ".." / "shared" / "corpus";
  const fs::path extracts = TRELVANE_FORMULA_EXTRACT_DIR;
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus.string();
  ReferenceFunctions::Add(L"OFFSET");
  ReferenceFunctions::Add(L"INDIRECT");
  size_t workbooks = 0;
  size_t formulas = 0;
  size_t unreadable = 0;
  for (const auto& entry : fs::directory_iterator(corpus)) {
    if (entry.path().extension() != ".xlsx") continue;
    const std::string stem = entry.path().stem().string();
    SCOPED_TRACE(stem);
    const fs::path extractPath = extracts / (stem + ".formulas.tsv");
    if (fs::exists(extracts / (stem + ".error"))) {
      ADD_FAILURE() << "the extraction failed; see " << (extracts / (stem + ".error")).string();
      continue;
    }
    if (!fs::exists(extractPath)) continue;
    ++workbooks;
    const Extract extract = ReadExtract(extractPath);
    test_support::CFormulaWorkbook book;
    LoadContext(extract, book);
    test_support::CFormulaWorkbook again;
    LoadContext(extract, again);
    const auto sheetCount = static_cast<int32_t>(book.sheetNames.Size());
    for (const auto& fields : extract.formulas) {
      ASSERT_EQ(fields.size(), 3u);
      book.addressParser.SetCurrentCell({book.sheetIndex.Find(fields[0]), 1, 1});
      ASSERT_TRUE(book.addressParser.Parse(fields[1]));
      const CellPos cell = book.addressParser.First();
      ASSERT_TRUE(book.parser.Parse(fields[2], cell)) << fields[2].size();
      ++formulas;
      if (const auto root = book.parser.GetRoot(); root && !root->GetText().empty()) {
        // What the tree shows is an expression that reads back as the same tree.
        ASSERT_TRUE(again.parser.Parse(L"=" + root->GetText(), cell));
        EXPECT_EQ(again.parser.GetRoot()->GetText(), root->GetText()) << WideToUtf8(fields[2]);
      }
      for (const CellReference& r : book.parser.GetReferences()) {
        if ((r.flags & RefInvalid) != 0) {
          ++unreadable;
          continue;
        }
        if (r.externalId != 0 || (r.flags & RefNameNotRange) != 0) continue;
        const bool zeroTableItem = (r.flags & RefStructured) != 0 && r.first == CellPos{};
        if (zeroTableItem) continue;
        EXPECT_TRUE(r.first.sheet >= 1 && r.last.sheet <= sheetCount && r.first.column >= 1 &&
                    r.last.column <= 65536 && r.first.row >= 1 && r.last.row <= 1048576)
            << "a reference of " << WideToUtf8(fields[2]);
      }
    }
  }
  ReferenceFunctions::Clear();
  if (workbooks == 0)
    GTEST_SKIP() << "no extracts in " << extracts.string() << " (run through ctest)";
  RecordProperty("formulas", static_cast<int>(formulas));
  RecordProperty("unreadable_references", static_cast<int>(unreadable));
  // Unreadable texts occur (unknown names, a table column without its table), but the corpus is
  // ordinary workbooks: almost every reference must resolve.
  EXPECT_LT(unreadable * 100, formulas) << unreadable << " of " << formulas;
}

}  // namespace
