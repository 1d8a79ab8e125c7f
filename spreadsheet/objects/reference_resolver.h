// CReferenceResolver: reads the reference text that Worksheet.Range, Worksheet.Evaluate and
// Name.RefersToRange accept, and finds defined names as a sheet sees them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "spreadsheet/model/coordinates.h"
#include "spreadsheet/model/workbook.h"

namespace spreadsheet {

// A rectangle on a sheet of one workbook; `sheet` is the index from 1.
struct SheetRange {
  std::int32_t sheet = 0;
  CellRect range;
  friend bool operator==(const SheetRange&, const SheetRange&) = default;
};

// Reference text: an optional "=", an optional sheet qualifier ("Data!", "'My data'!", or
// "[Book.xlsx]Data!" naming this workbook), then A1 text ("B2", "$A$1:$C$3", "A:C", "2:5") or a
// defined name that refers to such text. Unqualified text is on the current sheet. Anything else
// (3-D references, other workbooks, formulas, and unions but through ResolveAreas) resolves to
// nothing.
class CReferenceResolver {
 public:
  // `currentSheet` is the index from 1 of the sheet the text is read on; 0 for none.
  CReferenceResolver(const CWorkbook& workbook, std::int32_t currentSheet)
      : workbook_(workbook), currentSheet_(currentSheet) {}

  enum class Names : std::uint8_t { Followed, Refused };
  std::optional<SheetRange> Resolve(std::wstring_view text, Names names = Names::Followed) const;
  // The same for a union as Range("A1:A2,B1") reads it: parts apart by commas, each read as
  // above, or a defined name whose text is such a list. Nothing when any part resolves to
  // nothing; one area for text without a comma.
  std::optional<std::vector<SheetRange>> ResolveAreas(std::wstring_view text) const;

  // A defined name as a formula on the current sheet sees it: "Local" finds the sheet's own
  // name before the workbook's, "Data!Local" the name of sheet Data. Nothing when none matches.
  const DefinedName* FindName(std::wstring_view text) const;

 private:
  // Splits "Qualifier!rest" into the sheet index and the rest; the whole text with the current
  // sheet when there is no qualifier. Nothing for a qualifier that names no sheet of this book.
  bool SplitQualifier(std::wstring_view text, std::int32_t* sheet, std::wstring_view* rest,
                      bool* qualified) const;

  const CWorkbook& workbook_;
  std::int32_t currentSheet_;
};

// The name Excel shows for a defined name: built-in names without their "_xlnm." prefix.
std::wstring_view DisplayedName(const DefinedName& name);

}  // namespace spreadsheet
