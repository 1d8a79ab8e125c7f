// CWorkbookPartReader: the workbook part (xl/workbook.xml): the sheets in tab order with their
// names, visibility and relationship ids, the defined names, the external references, the date
// system, the calculation of circular references and the active tab. What it gathers is turned
// into the model by the caller, once the parts it points to are read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "spreadsheet/model/workbook.h"
#include "spreadsheet/model/worksheet.h"
#include "spreadsheet/xlsx/xlsx_reader_limits.h"
#include "spreadsheet/xlsx/xml_content_handler.h"

namespace spreadsheet {

struct WorkbookPart {
  struct Sheet {
    std::wstring name;
    Visibility visibility = Visibility::Visible;
    std::string relationshipId;
  };
  struct Name {
    std::wstring name;
    std::wstring formula;  // As written, without "=".
    std::optional<std::uint32_t> localSheetId;  // Position in `sheets`, from 0.
    bool hidden = false;
  };
  std::vector<Sheet> sheets;
  std::vector<Name> names;
  std::vector<std::string> externalReferenceIds;  // [1], [2] ... in order.
  bool date1904 = false;
  CalculationSettings calculation;  // From calcPr; out-of-range counts and changes are clamped.
  std::uint32_t activeTab = 0;      // Position in `sheets`, from 0.
};

class CWorkbookPartReader final : public IXmlContentHandler {
 public:
  CWorkbookPartReader(const XlsxReadLimits& limits, WorkbookPart& out) : limits_(limits), out_(out) {}

  void OnStart(CXmlStreamParser& parser, const XmlName& name,
               const XmlAttributes& attributes) override;
  void OnEnd(CXmlStreamParser& parser, const XmlName& name, std::string_view text) override;

 private:
  const XlsxReadLimits& limits_;
  WorkbookPart& out_;
  bool viewSeen_ = false;
};

}  // namespace spreadsheet
