// An external link part.
#include "spreadsheet/xlsx/reader_external_link.h"

#include "platform/char_class.h"
#include "spreadsheet/xlsx/reader_text.h"
#include "spreadsheet/xlsx/xml_stream_parser.h"

namespace spreadsheet {
namespace {

int HexDigit(char c) {
  if (IsAsciiDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

void CExternalLinkReader::OnStart(CXmlStreamParser& parser, const XmlName& name,
                                  const XmlAttributes& attributes) {
  if (name.Is(XmlNamespace::Main, "externalLink")) return;
  if (name.Is(XmlNamespace::Main, "externalBook")) {
    bookRelationshipId_ = attributes.Find(XmlNamespace::Relationships, "id").value_or("");
  }
  parser.SkipElement();  // Cached sheet names and values are not read.
}

std::wstring CExternalLinkReader::FileNameOfTarget(std::string_view target) {
  std::string decoded;
  for (std::size_t i = 0; i < target.size(); ++i) {
    if (target[i] == '%' && i + 2 < target.size() && HexDigit(target[i + 1]) >= 0 &&
        HexDigit(target[i + 2]) >= 0) {
      decoded += static_cast<char>(HexDigit(target[i + 1]) * 16 + HexDigit(target[i + 2]));
      i += 2;
    } else {
      decoded += target[i];
    }
  }
  const std::size_t slash = decoded.find_last_of("/\\");
  return WideFromUtf8(slash == std::string::npos ? decoded : decoded.substr(slash + 1));
}

}  // namespace spreadsheet
