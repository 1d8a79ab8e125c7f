// A table part.
#include "spreadsheet/xlsx/reader_table_part.h"

#include "spreadsheet/xlsx/reader_cell_reference.h"
#include "spreadsheet/xlsx/reader_text.h"
#include "spreadsheet/xlsx/xml_stream_parser.h"

namespace spreadsheet {

void CTablePartReader::OnStart(CXmlStreamParser& parser, const XmlName& name,
                               const XmlAttributes& attributes) {
  if (name.ns != XmlNamespace::Main) {
    parser.SkipElement();
    return;
  }
  if (name.local == "table") {
    const auto displayName = attributes.Find("displayName");
    out_.name = WideFromUtf8(displayName ? *displayName : attributes.Value("name"));
    const std::string_view ref = attributes.Value("ref");
    const ParsedRange range = ParseRangeReference(ref);
    if (range.status != ReferenceStatus::Ok) {
      problem_ =
          "table range \"" + std::string(ref.substr(0, 40)) + "\" is not a range on the sheet";
      parser.SkipElement();
      return;
    }
    out_.range = range.range;
    out_.hasHeaderRow = ParseXmlUnsigned(attributes.Value("headerRowCount")).value_or(1) != 0;
    out_.hasTotalsRow = ParseXmlUnsigned(attributes.Value("totalsRowCount")).value_or(0) != 0;
    out_.styleName.clear();  // Unless tableStyleInfo names one, the table has no style.
    seenTable_ = true;
    return;
  }
  if (name.local == "tableColumns") return;
  if (name.local == "tableColumn") {
    std::wstring column = WideFromUtf8(attributes.Value("name"));
    DecodeXstringEscapes(column);
    out_.columns.push_back(std::move(column));
  } else if (name.local == "tableStyleInfo") {
    out_.styleName = WideFromUtf8(attributes.Value("name"));
  }
  parser.SkipElement();
}

}  // namespace spreadsheet
