// CPackageReader: the Open Packaging Conventions layer of an .xlsx file: parts by name, their
// content types ([Content_Types].xml) and their relationships (_rels/*.rels), and the streaming
// of a part through an XML handler.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "spreadsheet/xlsx/xlsx_reader_limits.h"
#include "spreadsheet/xlsx/xml_content_handler.h"
#include "spreadsheet/xlsx/zip_reader.h"

namespace spreadsheet {

struct Relationship {
  std::string id;
  std::string type;    // The last segment of the type URI: "worksheet", "styles", "table" ...
  std::string target;  // A part name ("xl/worksheets/sheet1.xml"), or the raw external target.
  bool external = false;
};

class CPackageReader {
 public:
  // Takes the open archive and reads its content types. Errors are "part: what" texts.
  CPackageReader(std::unique_ptr<CZipReader> zip, const XlsxReadLimits& limits)
      : zip_(std::move(zip)), limits_(limits) {}

  // Reads [Content_Types].xml; empty text on success, else why not.
  std::string ReadContentTypes();
  // The content type of a part: its Override, else the Default of its extension, else "".
  std::string ContentTypeOf(std::string_view part) const;

  bool Has(std::string_view part) const { return zip_->Has(part); }
  // The first zip entry named with "\" for "/", or "" (such entries are read by their "/" names).
  const std::string& BackslashEntry() const { return zip_->BackslashName(); }
  // Streams `part` through `handler`. Empty text on success, else "part: what went wrong".
  std::string Parse(std::string_view part, IXmlContentHandler& handler);
  // The relationships of `source` ("" for the package's own, _rels/.rels). A part without a
  // relationships part has none; that is not an error.
  std::string ReadRelationships(std::string_view source, std::vector<Relationship>& out);

  // A relationship target made a part name: relative to the folder of `source`, or absolute
  // ("/xl/...") within the package; a "\" in it reads as "/".
  static std::string ResolveTarget(std::string_view source, std::string_view target);

 private:
  std::unique_ptr<CZipReader> zip_;
  const XlsxReadLimits& limits_;
  std::map<std::string, std::string> defaults_;   // Extension (lower case) to content type.
  std::map<std::string, std::string> overrides_;  // Part name (lower case) to content type.
};

// The first relationship of `type`, or null.
const Relationship* FindRelationship(const std::vector<Relationship>& relationships,
                                     std::string_view type);
const Relationship* FindRelationshipById(const std::vector<Relationship>& relationships,
                                         std::string_view id);

}  // namespace spreadsheet
