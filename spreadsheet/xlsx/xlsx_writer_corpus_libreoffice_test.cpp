// Real Excel workbooks, read and saved again, look the same to LibreOffice as the originals:
// every cell's value, text, formula and look. One run of soffice converts all of them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "platform/text_encoding.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/xlsx/xlsx_reader.h"
#include "spreadsheet/xlsx/xlsx_writer.h"
#include "tests/support/flat_ods_document.h"
#include "tests/support/libre_office.h"
#include "tests/support/temporary_folder.h"

namespace spreadsheet {
namespace {

using test_support::CFlatOdsDocument;
using test_support::OdsCell;

// Style properties compared through each cell's style chain; style names differ between loads.
constexpr const char* kStyleProperties[] = {"fo:font-weight",
                                            "fo:font-style",
                                            "fo:color",
                                            "fo:font-size",
                                            "style:font-name",
                                            "fo:background-color",
                                            "style:text-underline-style",
                                            "style:text-line-through-style",
                                            "fo:border-left",
                                            "fo:border-right",
                                            "fo:border-top",
                                            "fo:border-bottom",
                                            "style:cell-protect"};

bool SameNumberText(const std::string& a, const std::string& b) {
  if (a == b) return true;
  char* endA = nullptr;
  char* endB = nullptr;
  const double x = std::strtod(a.c_str(), &endA);
  const double y = std::strtod(b.c_str(), &endB);
  return *endA == '\0' && *endB == '\0' && !a.empty() && !b.empty() &&
         std::abs(x - y) <= 1e-12 * std::max(std::abs(x), std::abs(y));
}

std::vector<std::string> Differences(const CFlatOdsDocument& original,
                                     const CFlatOdsDocument& saved) {
  std::vector<std::string> lines;
  const auto add = [&lines](const std::string& line) {
    if (lines.size() < 20) lines.push_back(line);
  };
  // LibreOffice shows each sheet of an external book as a table named after its URL; a saved
  // file lists only the sheets its formulas use (the model keeps no others).
  const auto ownSheets = [](const CFlatOdsDocument& document) {
    std::vector<std::string> names;
    for (const std::string& name : document.SheetNames()) {
      if (name.rfind('\'', 0) != 0) names.push_back(name);
    }
    return names;
  };
  if (ownSheets(original) != ownSheets(saved)) add("sheet names differ");
  for (const std::string& sheet : ownSheets(original)) {
    const auto* before = original.Cells(sheet);
    const auto* after = saved.Cells(sheet);
    if (before == nullptr || after == nullptr) continue;
    if (original.SheetHidden(sheet) != saved.SheetHidden(sheet)) {
      add(sheet + ": visibility differs");
    }
    if (original.SheetProtected(sheet) != saved.SheetProtected(sheet)) {
      add(sheet + ": protection differs");
    }
    std::map<std::pair<int, int>, bool> positions;
    for (const auto& entry : *before) positions[entry.first] = true;
    for (const auto& entry : *after) positions[entry.first] = true;
    for (const auto& [position, unused] : positions) {
      static const OdsCell kNone;
      const OdsCell& a = before->count(position) ? before->at(position) : kNone;
      const OdsCell& b = after->count(position) ? after->at(position) : kNone;
      std::ostringstream where;
      where << sheet << " R" << position.first << "C" << position.second << ": ";
      if (a.formula != b.formula) add(where.str() + "formula " + a.formula + " / " + b.formula);
      // LibreOffice recalculates files that Excel did not write, so formula results are its
      // own; the reader round trip checks the cached values.
      if (a.formula.empty()) {
        if (a.valueType != b.valueType) {
          add(where.str() + "type " + a.valueType + " / " + b.valueType);
        }
        if (!SameNumberText(a.value, b.value)) {
          add(where.str() + "value " + a.value + " / " + b.value);
        }
        if (a.text != b.text) add(where.str() + "text " + a.text + " / " + b.text);
      }
      if (a.columnsSpanned != b.columnsSpanned || a.rowsSpanned != b.rowsSpanned) {
        add(where.str() + "merge");
      }
      if (a.matrixColumns != b.matrixColumns || a.matrixRows != b.matrixRows) {
        add(where.str() + "array");
      }
      for (const char* property : kStyleProperties) {
        // A format that applies "no fill" shows a transparent background; none shows nothing.
        const auto look = [property](const CFlatOdsDocument& document, const std::string& style) {
          const std::string value = document.StyleProperty(style, property);
          return value == "transparent" ? std::string() : value;
        };
        const std::string x = look(original, a.style);
        const std::string y = look(saved, b.style);
        if (x != y) add(where.str() + property + " " + x + " / " + y);
      }
    }
  }
  if (original.NamedRanges() != saved.NamedRanges()) add("named ranges differ");
  if (original.DatabaseRanges() != saved.DatabaseRanges()) add("database ranges differ");
  return lines;
}

TEST(XlsxWriterCorpus, LibreOfficeSeesTheSavedCopyAsTheOriginal) {
  const auto corpus = std::filesystem::path(TRELVANE_SOURCE_DIR) / ".." / "shared" / "corpus";
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  if (!test_support::CLibreOffice::Available()) GTEST_SKIP() << "soffice is not installed";
  test_support::CTemporaryFolder folder;
  std::vector<std::filesystem::path> inputs;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    if (entry.path().extension() != ".xlsx") continue;
    // LibreOffice reads a private copy: nothing may touch the corpus itself.
    const auto original = folder / entry.path().filename().string();
    std::filesystem::copy_file(entry.path(), original);
    XlsxReadResult read = ReadXlsxFile(original);
    ASSERT_TRUE(read.Ok()) << WideToUtf8(read.error);
    const auto saved = folder / (entry.path().stem().string() + ".saved.xlsx");
    const XlsxWriteResult written = WriteXlsxFile(*read.workbook, saved);
    ASSERT_TRUE(written.ok) << WideToUtf8(written.error);
    inputs.push_back(original);
    inputs.push_back(saved);
  }
  ASSERT_FALSE(inputs.empty());
  const auto converted = folder / "converted";
  std::filesystem::create_directory(converted);
  test_support::CLibreOffice office;
  std::string error;
  const auto outputs = office.ConvertAll(inputs, "fods", converted, error);
  ASSERT_TRUE(outputs.has_value()) << error;
  for (std::size_t i = 0; i + 1 < outputs->size(); i += 2) {
    const auto original = CFlatOdsDocument::Load((*outputs)[i], error);
    ASSERT_NE(original, nullptr) << error;
    const auto saved = CFlatOdsDocument::Load((*outputs)[i + 1], error);
    ASSERT_NE(saved, nullptr) << error;
    std::string all;
    for (const std::string& line : Differences(*original, *saved)) all += line + "\n";
    EXPECT_EQ(all, "") << inputs[i].filename();
  }
}

}  // namespace
}  // namespace spreadsheet
