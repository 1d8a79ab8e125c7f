// expat behind a streaming interface that refuses what a spreadsheet part never needs.
#include "spreadsheet/xlsx/xml_stream_parser.h"

#include <expat.h>

#include <cstring>
#include <new>
#include <utility>

namespace spreadsheet {

XmlNamespace ClassifyNamespace(std::string_view uri) {
  struct Known {
    std::string_view uri;
    XmlNamespace ns;
  };
  static constexpr Known kKnown[] = {
      {"http://schemas.openxmlformats.org/spreadsheetml/2006/main", XmlNamespace::Main},
      {"http://schemas.openxmlformats.org/officeDocument/2006/relationships",
       XmlNamespace::Relationships},
      {"http://schemas.openxmlformats.org/package/2006/relationships",
       XmlNamespace::PackageRelationships},
      {"http://schemas.openxmlformats.org/package/2006/content-types", XmlNamespace::ContentTypes},
      {"http://schemas.openxmlformats.org/drawingml/2006/main", XmlNamespace::Drawing},
      {"http://schemas.openxmlformats.org/markup-compatibility/2006",
       XmlNamespace::MarkupCompatibility},
      {"http://purl.oclc.org/ooxml/spreadsheetml/main", XmlNamespace::Main},
      {"http://purl.oclc.org/ooxml/officeDocument/relationships", XmlNamespace::Relationships},
      {"http://purl.oclc.org/ooxml/drawingml/main", XmlNamespace::Drawing},
      // Beta 1 technical refresh, beta 2 and its technical refresh of Excel 2007.
      {"http://schemas.microsoft.com/office/excel/2006/2", XmlNamespace::PreReleaseMain},
      {"http://schemas.openxmlformats.org/spreadsheetml/2006/5/main", XmlNamespace::PreReleaseMain},
      {"http://schemas.openxmlformats.org/spreadsheetml/2006/7/main", XmlNamespace::PreReleaseMain},
  };
  for (const Known& known : kKnown) {
    if (uri == known.uri) return known.ns;
  }
  return XmlNamespace::Other;
}

CXmlStreamParser::CXmlStreamParser(IXmlContentHandler& handler, std::uint32_t maxDepth,
                                   std::uint32_t maxTextBytes)
    : parser_(XML_ParserCreateNS(nullptr, kXmlNamespaceSeparator)),
      handler_(handler),
      maxDepth_(maxDepth),
      maxTextBytes_(maxTextBytes) {
  if (parser_ == nullptr) throw std::bad_alloc();
  XML_SetUserData(parser_, this);
  XML_SetElementHandler(parser_, &StartElement, &EndElement);
  XML_SetCharacterDataHandler(parser_, &CharacterData);
  XML_SetStartDoctypeDeclHandler(parser_, &StartDoctype);
  XML_SetEntityDeclHandler(parser_, &EntityDeclaration);
  XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
}

CXmlStreamParser::~CXmlStreamParser() { XML_ParserFree(parser_); }

bool CXmlStreamParser::Parse(std::string_view chunk, bool last) {
  if (failed_) return false;
  const auto status = XML_Parse(parser_, chunk.data(), static_cast<int>(chunk.size()), last);
  if (pending_) std::rethrow_exception(std::exchange(pending_, nullptr));
  if (failed_) return false;
  if (status != XML_STATUS_OK) {
    failed_ = true;
    error_ = "not well-formed XML at line " + std::to_string(XML_GetCurrentLineNumber(parser_)) +
             ", column " + std::to_string(XML_GetCurrentColumnNumber(parser_) + 1) + ": " +
             XML_ErrorString(XML_GetErrorCode(parser_));
    return false;
  }
  return true;
}

void CXmlStreamParser::Fail(std::string message) {
  Refuse(std::move(message) + " at line " + std::to_string(XML_GetCurrentLineNumber(parser_)));
}

std::uint64_t CXmlStreamParser::Line() const { return XML_GetCurrentLineNumber(parser_); }

void CXmlStreamParser::Refuse(std::string message) {
  if (failed_) return;
  failed_ = true;
  error_ = std::move(message);
  XML_StopParser(parser_, XML_FALSE);
}

void CXmlStreamParser::CollectText() {
  collectDepth_ = depth_;
  text_.clear();
}

void CXmlStreamParser::Abort() {
  pending_ = std::current_exception();
  failed_ = true;
  XML_StopParser(parser_, XML_FALSE);
}

void CXmlStreamParser::StartElement(void* self, const char* name, const char** attributes) {
  auto& parser = *static_cast<CXmlStreamParser*>(self);
  if (parser.failed_) return;
  try {
    parser.OnStart(name, attributes);
  } catch (...) {
    parser.Abort();
  }
}

void CXmlStreamParser::EndElement(void* self, const char* name) {
  auto& parser = *static_cast<CXmlStreamParser*>(self);
  if (parser.failed_) return;
  try {
    parser.OnEnd(name);
  } catch (...) {
    parser.Abort();
  }
}

void CXmlStreamParser::CharacterData(void* self, const char* text, int length) {
  auto& parser = *static_cast<CXmlStreamParser*>(self);
  if (parser.failed_ || parser.collectDepth_ == 0 || parser.skipDepth_ != 0) return;
  try {
    if (parser.text_.size() + static_cast<std::size_t>(length) > parser.maxTextBytes_) {
      parser.Fail("text longer than " + std::to_string(parser.maxTextBytes_) + " bytes");
      return;
    }
    parser.text_.append(text, static_cast<std::size_t>(length));
  } catch (...) {
    parser.Abort();
  }
}

void CXmlStreamParser::StartDoctype(void* self, const char*, const char*, const char*, int) {
  static_cast<CXmlStreamParser*>(self)->Fail(
      "a document type declaration (DOCTYPE) is refused: spreadsheet parts never carry one");
}

void CXmlStreamParser::EntityDeclaration(void* self, const char*, int, const char*, int,
                                         const char*, const char*, const char*, const char*) {
  static_cast<CXmlStreamParser*>(self)->Fail("an entity declaration is refused");
}

void CXmlStreamParser::OnStart(const char* name, const char** attributes) {
  ++depth_;
  if (depth_ > maxDepth_) {
    Fail("XML nested deeper than " + std::to_string(maxDepth_) + " levels");
    return;
  }
  if (skipDepth_ != 0) return;
  const XmlName element = XmlName::FromExpat(name);
  if (element.ns == XmlNamespace::PreReleaseMain) {
    const char* separator = std::strchr(name, kXmlNamespaceSeparator);
    Refuse("saved by a pre-release (beta) of Excel 2007 (SpreadsheetML namespace " +
           std::string(name, static_cast<std::size_t>(separator - name)) +
           "), not in the format of the released Excel; it must be re-saved as a current .xlsx "
           "workbook to be read");
    return;
  }
  if (element.ns == XmlNamespace::MarkupCompatibility) {
    // AlternateContent and its Fallback are transparent; a Choice needs an application's own
    // extension, which this reader is not, and anything else of the namespace means nothing.
    if (element.local != "AlternateContent" && element.local != "Fallback") SkipElement();
    return;
  }
  handler_.OnStart(*this, element, XmlAttributes(attributes));
}

void CXmlStreamParser::OnEnd(const char* name) {
  const std::uint32_t depth = depth_--;
  if (skipDepth_ != 0) {
    if (depth == skipDepth_) skipDepth_ = 0;
    return;
  }
  const XmlName element = XmlName::FromExpat(name);
  if (element.ns == XmlNamespace::MarkupCompatibility) return;
  if (depth == collectDepth_) {
    collectDepth_ = 0;
    handler_.OnEnd(*this, element, text_);
  } else {
    handler_.OnEnd(*this, element, {});
  }
}

}  // namespace spreadsheet
