// CTablePartReader: one table part (xl/tables/tableN.xml) into a Table of the model: its name
// (displayName, which formulas use), range, header and totals rows, column names and style.
#pragma once

#include <string>
#include <string_view>

#include "spreadsheet/model/worksheet.h"
#include "spreadsheet/xlsx/xml_content_handler.h"

namespace spreadsheet {

class CTablePartReader final : public IXmlContentHandler {
 public:
  explicit CTablePartReader(Table& out) : out_(out) {}

  void OnStart(CXmlStreamParser& parser, const XmlName& name,
               const XmlAttributes& attributes) override;
  void OnEnd(CXmlStreamParser&, const XmlName&, std::string_view) override {}

  // Whether the part gave a table at all (a <table> element with a range on the sheet).
  bool Complete() const { return seenTable_; }
  // Why a <table> element gave no table (its range is not one on the sheet), or "".
  const std::string& Problem() const { return problem_; }

 private:
  Table& out_;
  bool seenTable_ = false;
  std::string problem_;
};

}  // namespace spreadsheet
