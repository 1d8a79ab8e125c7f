// CSharedStringsReader: the shared string table (xl/sharedStrings.xml). Each <si> becomes one
// text: its <t>, or its rich text runs joined, without the phonetic runs (<rPh>) Excel keeps for
// East Asian text; _xHHHH_ escapes decoded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "spreadsheet/xlsx/xlsx_reader_limits.h"
#include "spreadsheet/xlsx/xml_content_handler.h"

namespace spreadsheet {

class CSharedStringsReader final : public IXmlContentHandler {
 public:
  CSharedStringsReader(const XlsxReadLimits& limits, std::vector<std::wstring>& out)
      : limits_(limits), out_(out) {}

  void OnStart(CXmlStreamParser& parser, const XmlName& name,
               const XmlAttributes& attributes) override;
  void OnEnd(CXmlStreamParser& parser, const XmlName& name, std::string_view text) override;

 private:
  const XlsxReadLimits& limits_;
  std::vector<std::wstring>& out_;
  bool inItem_ = false;
  std::string utf8_;  // The item's text so far.
};

}  // namespace spreadsheet
