// The shared string table.
#include "spreadsheet/xlsx/reader_shared_strings.h"

#include "spreadsheet/xlsx/reader_text.h"
#include "spreadsheet/xlsx/xml_stream_parser.h"

namespace spreadsheet {

void CSharedStringsReader::OnStart(CXmlStreamParser& parser, const XmlName& name,
                                   const XmlAttributes&) {
  if (name.ns != XmlNamespace::Main) {
    parser.SkipElement();
    return;
  }
  if (!inItem_) {
    if (name.local == "si") {
      if (out_.size() >= limits_.maxSharedStrings) {
        parser.Fail("more shared strings than the " + std::to_string(limits_.maxSharedStrings) +
                    " allowed");
        return;
      }
      inItem_ = true;
      utf8_.clear();
    } else if (name.local != "sst") {
      parser.SkipElement();
    }
    return;
  }
  if (name.local == "t") {
    parser.CollectText();
  } else if (name.local != "r") {
    parser.SkipElement();  // rPr (run formats), rPh (phonetic runs), phoneticPr.
  }
}

void CSharedStringsReader::OnEnd(CXmlStreamParser& parser, const XmlName& name,
                                 std::string_view text) {
  if (!inItem_ || name.ns != XmlNamespace::Main) return;
  if (name.local == "t") {
    if (utf8_.size() + text.size() > limits_.maxTextBytes) {
      parser.Fail("shared string longer than " + std::to_string(limits_.maxTextBytes) + " bytes");
      return;
    }
    utf8_.append(text);
  } else if (name.local == "si") {
    std::wstring wide = WideFromUtf8(utf8_);
    DecodeXstringEscapes(wide);
    out_.push_back(std::move(wide));
    inItem_ = false;
  }
}

}  // namespace spreadsheet
