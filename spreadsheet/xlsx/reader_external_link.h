// CExternalLinkReader: an external link part (xl/externalLinks/externalLinkN.xml): the
// relationship id of the linked workbook's path, which the part's own relationships resolve.
// Only workbook links (externalBook) name a file; DDE and OLE links give none.
#pragma once

#include <string>
#include <string_view>

#include "spreadsheet/xlsx/xml_content_handler.h"

namespace spreadsheet {

class CExternalLinkReader final : public IXmlContentHandler {
 public:
  void OnStart(CXmlStreamParser& parser, const XmlName& name,
               const XmlAttributes& attributes) override;
  void OnEnd(CXmlStreamParser&, const XmlName&, std::string_view) override {}

  const std::string& BookRelationshipId() const { return bookRelationshipId_; }

  // The file name of a link target: "file:///C:\Data\Other%20Book.xlsx" gives "Other Book.xlsx".
  static std::wstring FileNameOfTarget(std::string_view target);

 private:
  std::string bookRelationshipId_;
};

}  // namespace spreadsheet
