// A generated workbook of many formula cells, the shape audits meet in models: a data sheet whose
// columns are filled down with shared formulas (a product, a running total, a lookup into a
// second sheet, a text test) and one column of formulas written cell by cell, as LibreOffice
// writes them. Written as plain XML text and zipped with libzip; callers link libzip.
#pragma once

#include <charconv>
#include <cstdint>
#include <filesystem>
#include <string>

#include "tests/support/xlsx_package_builder.h"

namespace test_support {

struct GeneratedWorkbook {
  std::uint64_t formulaCells = 0;
  std::uint64_t cells = 0;
  std::uint64_t xmlBytes = 0;  // Uncompressed size of all its parts.
};

inline void AppendNumber(std::string& out, double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
  out.append(buffer, result.ptr);
}

// `rows` data rows (from row 2, under a header row) with five formula columns each.
inline GeneratedWorkbook WriteFormulaWorkbook(const std::filesystem::path& path, std::int32_t rows) {
  constexpr int kCategories = 50;
  GeneratedWorkbook made;
  std::string data;
  data.reserve(static_cast<std::size_t>(rows) * 420 + 1024);
  data += "<sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Id</t></is></c>"
          "<c r=\"B1\" t=\"inlineStr\"><is><t>Amount</t></is></c></row>";
  const std::string last = std::to_string(rows + 1);
  double running = 0.0;
  for (std::int32_t i = 2; i <= rows + 1; ++i) {
    const std::string r = std::to_string(i);
    const double amount = static_cast<double>((i * 37) % 1000) / 10.0;
    const int category = i % kCategories;
    const double doubled = amount * 2;
    running += amount;
    const double looked = category * 1.5;
    const double net = doubled + running - looked;
    data += "<row r=\"" + r + "\"><c r=\"A" + r + "\"><v>" + std::to_string(i - 1) + "</v></c><c r=\"B" + r + "\"><v>";
    AppendNumber(data, amount);
    data += "</v></c><c r=\"C" + r + "\" t=\"s\"><v>" + std::to_string(category) + "</v></c>";
    // Shared groups: masters in row 2 (row 3 for the running total, whose first cell differs).
    data += "<c r=\"D" + r + "\">";
    data += i == 2 ? "<f t=\"shared\" ref=\"D2:D" + last + "\" si=\"0\">B2*2</f>"
                   : std::string("<f t=\"shared\" si=\"0\"/>");
    data += "<v>";
    AppendNumber(data, doubled);
    data += "</v></c><c r=\"E" + r + "\">";
    if (i == 2) {
      data += "<f>B2</f>";
    } else {
      data += i == 3 ? "<f t=\"shared\" ref=\"E3:E" + last + "\" si=\"1\">E2+B3</f>"
                     : std::string("<f t=\"shared\" si=\"1\"/>");
    }
    data += "<v>";
    AppendNumber(data, running);
    data += "</v></c><c r=\"F" + r + "\">";
    data += i == 2 ? "<f t=\"shared\" ref=\"F2:F" + last +
                         "\" si=\"2\">VLOOKUP(C2,Lookup!$A$1:$B$50,2,FALSE)</f>"
                   : std::string("<f t=\"shared\" si=\"2\"/>");
    data += "<v>";
    AppendNumber(data, looked);
    data += "</v></c><c r=\"G" + r + "\" t=\"str\">";
    data += i == 2 ? "<f t=\"shared\" ref=\"G2:G" + last + "\" si=\"3\">IF(D2&gt;100,\"big\",\"small\")</f>"
                   : std::string("<f t=\"shared\" si=\"3\"/>");
    data += doubled > 100 ? "<v>big</v></c>" : "<v>small</v></c>";
    data += "<c r=\"H" + r + "\"><f>D" + r + "+E" + r + "-F" + r + "</f><v>";
    AppendNumber(data, net);
    data += "</v></c></row>";
    made.formulaCells += 5;
    made.cells += 8;
  }
  data += "</sheetData>";
  std::string lookup = "<sheetData>";
  std::vector<std::string> names;
  for (int k = 0; k < kCategories; ++k) {
    const std::string r = std::to_string(k + 1);
    lookup += "<row r=\"" + r + "\"><c r=\"A" + r + "\" t=\"s\"><v>" + std::to_string(k) +
              "</v></c><c r=\"B" + r + "\"><v>";
    AppendNumber(lookup, k * 1.5);
    lookup += "</v></c></row>";
    names.push_back("Cat" + std::to_string(k));
    made.cells += 2;
  }
  lookup += "</sheetData>";
  CXlsxPackageBuilder package;
  package.Sheet("Data", "<dimension ref=\"A1:H" + last + "\"/>" + data)
      .Sheet("Lookup", lookup)
      .SharedStrings(names);
  const auto entries = package.Entries();
  for (const auto& [name, bytes] : entries) made.xmlBytes += bytes.size();
  WriteZip(path, entries);
  return made;
}

}  // namespace test_support
