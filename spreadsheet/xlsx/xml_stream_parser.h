// CXmlStreamParser: expat, made safe for untrusted parts. Refuses any document type declaration
// (so no entity is ever declared or expanded), nesting past a depth, text nodes past a length,
// and the SpreadsheetML of Excel 2007's pre-releases (saying so, since a reader of the released
// vocabulary would otherwise find nothing it knows); resolves markup compatibility
// (mc:AlternateContent reads as its mc:Fallback); reports elements with their namespace to an
// IXmlContentHandler.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "spreadsheet/xlsx/xml_content_handler.h"

struct XML_ParserStruct;

namespace spreadsheet {

// Invariant: once failed, the parser reports nothing more and Parse keeps returning false.
class CXmlStreamParser {
 public:
  CXmlStreamParser(IXmlContentHandler& handler, std::uint32_t maxDepth, std::uint32_t maxTextBytes);
  ~CXmlStreamParser();
  CXmlStreamParser(const CXmlStreamParser&) = delete;
  CXmlStreamParser& operator=(const CXmlStreamParser&) = delete;

  // Parses the next piece of the document; `last` ends it. False once the document is refused;
  // Error() then says why and where. An exception thrown by the handler is rethrown here.
  bool Parse(std::string_view chunk, bool last);
  const std::string& Error() const { return error_; }

  // For the handler, during a callback. Fail refuses the document with `message` (the line is
  // added). SkipElement drops the element just started and everything in it. CollectText hands
  // the character data of the element just started to its OnEnd.
  void Fail(std::string message);
  void SkipElement() { skipDepth_ = depth_; }
  void CollectText();
  // The line the parser stands at, for messages that name no cell.
  std::uint64_t Line() const;

 private:
  static void StartElement(void* self, const char* name, const char** attributes);
  static void EndElement(void* self, const char* name);
  static void CharacterData(void* self, const char* text, int length);
  static void StartDoctype(void* self, const char*, const char*, const char*, int);
  static void EntityDeclaration(void* self, const char*, int, const char*, int, const char*,
                                const char*, const char*, const char*);
  void OnStart(const char* name, const char** attributes);
  void OnEnd(const char* name);
  void Abort();
  void Refuse(std::string message);

  XML_ParserStruct* parser_;
  IXmlContentHandler& handler_;  // Not owned.
  std::uint32_t maxDepth_;
  std::uint32_t maxTextBytes_;
  std::uint32_t depth_ = 0;
  std::uint32_t skipDepth_ = 0;     // Non-zero: events deeper than this are dropped.
  std::uint32_t collectDepth_ = 0;  // Non-zero: text is gathered for the element at this depth.
  std::string text_;
  bool failed_ = false;
  std::string error_;
  std::exception_ptr pending_;
};

}  // namespace spreadsheet
