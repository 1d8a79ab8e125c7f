// CXlsxPackageBuilder: small .xlsx packages written part by part (plain XML text, zipped with
// libzip), for tests of the reader and for generated benchmark workbooks. Tests that include it
// link libzip.
#pragma once

#include <unistd.h>
#include <zip.h>

#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temporary_folder.h"

namespace test_support {

inline constexpr const char* kMainNamespace =
    "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline constexpr const char* kRelationshipsNamespace =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// Writes `entries` (name, bytes) as a zip archive at `path`, deflated at `level`.
inline void WriteZip(const std::filesystem::path& path,
                     const std::vector<std::pair<std::string, std::string>>& entries,
                     int level = 6) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (archive == nullptr) throw std::runtime_error("cannot create " + path.string());
  for (const auto& [name, bytes] : entries) {
    zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
    const zip_int64_t index =
        source == nullptr ? -1 : zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      zip_discard(archive);
      throw std::runtime_error("cannot add " + name);
    }
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE,
                             static_cast<zip_uint32_t>(level));
  }
  if (zip_close(archive) != 0) {
    zip_discard(archive);
    throw std::runtime_error("cannot write " + path.string());
  }
}

// A workbook package: sheets in order, each with its worksheet XML, plus whatever other parts
// a test sets. Parts set by Part() replace the generated ones of the same name.
class CXlsxPackageBuilder {
 public:
  // `body` is the content of <worksheet> (sheetData and the rest); `state` "", "hidden" or
  // "veryHidden".
  CXlsxPackageBuilder& Sheet(std::string name, std::string body, std::string state = "") {
    sheets_.push_back({std::move(name), std::move(body), std::move(state)});
    return *this;
  }
  // Shared strings as plain <si><t> items.
  CXlsxPackageBuilder& SharedStrings(const std::vector<std::string>& texts) {
    std::string xml = "<sst xmlns=\"" + std::string(kMainNamespace) + "\">";
    for (const std::string& text : texts) xml += "<si><t>" + text + "</t></si>";
    sharedStringsXml_ = xml + "</sst>";
    return *this;
  }
  CXlsxPackageBuilder& SharedStringsXml(std::string xml) {
    sharedStringsXml_ = std::move(xml);
    return *this;
  }
  // The content of <styleSheet>.
  CXlsxPackageBuilder& Styles(std::string body) {
    stylesXml_ = "<styleSheet xmlns=\"" + std::string(kMainNamespace) + "\">" + body +
                 "</styleSheet>";
    return *this;
  }
  CXlsxPackageBuilder& Theme(std::string xml) {
    themeXml_ = std::move(xml);
    return *this;
  }
  // Elements of <workbook> before <sheets> (workbookPr, bookViews) and after it (definedNames,
  // externalReferences).
  CXlsxPackageBuilder& WorkbookHead(std::string xml) {
    workbookHead_ = std::move(xml);
    return *this;
  }
  CXlsxPackageBuilder& WorkbookTail(std::string xml) {
    workbookTail_ = std::move(xml);
    return *this;
  }
  // A relationship of the workbook part, beside the generated ones.
  CXlsxPackageBuilder& WorkbookRelationship(std::string id, std::string type, std::string target) {
    extraRels_.push_back({std::move(id), std::move(type), std::move(target)});
    return *this;
  }
  CXlsxPackageBuilder& MacroEnabled(bool on = true) {
    macroEnabled_ = on;
    return *this;
  }
  CXlsxPackageBuilder& Part(std::string name, std::string bytes) {
    parts_[std::move(name)] = std::move(bytes);
    return *this;
  }
  CXlsxPackageBuilder& Without(std::string name) {
    omitted_.push_back(std::move(name));
    return *this;
  }

  std::vector<std::pair<std::string, std::string>> Entries() const {
    std::map<std::string, std::string> out;
    const std::string workbookType =
        macroEnabled_ ? "application/vnd.ms-excel.sheet.macroEnabled.main+xml"
                      : "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
    std::string types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/xl/workbook.xml\" ContentType=\"" + workbookType + "\"/>";
    const std::string officeType = "application/vnd.openxmlformats-officedocument.";
    for (std::size_t i = 0; i < sheets_.size(); ++i) {
      types += "<Override PartName=\"/xl/worksheets/sheet" + std::to_string(i + 1) +
               ".xml\" ContentType=\"" + officeType + "spreadsheetml.worksheet+xml\"/>";
    }
    if (!sharedStringsXml_.empty()) {
      types += "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"" + officeType +
               "spreadsheetml.sharedStrings+xml\"/>";
    }
    if (!stylesXml_.empty()) {
      types += "<Override PartName=\"/xl/styles.xml\" ContentType=\"" + officeType +
               "spreadsheetml.styles+xml\"/>";
    }
    if (!themeXml_.empty()) {
      types += "<Override PartName=\"/xl/theme/theme1.xml\" ContentType=\"" + officeType +
               "theme+xml\"/>";
    }
    out["[Content_Types].xml"] = types + "</Types>";
    out["_rels/.rels"] =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
    std::string workbook = "<workbook xmlns=\"" + std::string(kMainNamespace) + "\" xmlns:r=\"" +
                           kRelationshipsNamespace + "\">" + workbookHead_ + "<sheets>";
    std::string rels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    const std::string relType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    for (std::size_t i = 0; i < sheets_.size(); ++i) {
      const std::string n = std::to_string(i + 1);
      workbook += "<sheet name=\"" + sheets_[i].name + "\" sheetId=\"" + n + "\" r:id=\"rIdS" + n +
                  "\"" + (sheets_[i].state.empty() ? "" : " state=\"" + sheets_[i].state + "\"") +
                  "/>";
      rels += "<Relationship Id=\"rIdS" + n + "\" Type=\"" + relType +
              "worksheet\" Target=\"worksheets/sheet" + n + ".xml\"/>";
      out["xl/worksheets/sheet" + n + ".xml"] = "<worksheet xmlns=\"" + std::string(kMainNamespace) +
                                                "\" xmlns:r=\"" + kRelationshipsNamespace + "\">" +
                                                sheets_[i].body + "</worksheet>";
    }
    workbook += "</sheets>" + workbookTail_ + "</workbook>";
    if (!sharedStringsXml_.empty()) {
      rels += "<Relationship Id=\"rIdSST\" Type=\"" + relType +
              "sharedStrings\" Target=\"sharedStrings.xml\"/>";
      out["xl/sharedStrings.xml"] = sharedStringsXml_;
    }
    if (!stylesXml_.empty()) {
      rels += "<Relationship Id=\"rIdStyles\" Type=\"" + relType +
              "styles\" Target=\"styles.xml\"/>";
      out["xl/styles.xml"] = stylesXml_;
    }
    if (!themeXml_.empty()) {
      rels += "<Relationship Id=\"rIdTheme\" Type=\"" + relType +
              "theme\" Target=\"theme/theme1.xml\"/>";
      out["xl/theme/theme1.xml"] = themeXml_;
    }
    for (const auto& extra : extraRels_) {
      rels += "<Relationship Id=\"" + extra.id + "\" Type=\"" + relType + extra.type +
              "\" Target=\"" + extra.target + "\"/>";
    }
    out["xl/workbook.xml"] = workbook;
    out["xl/_rels/workbook.xml.rels"] = rels + "</Relationships>";
    for (const auto& [name, bytes] : parts_) out[name] = bytes;
    for (const std::string& name : omitted_) out.erase(name);
    return {out.begin(), out.end()};
  }

  void Write(const std::filesystem::path& path, int level = 6) const {
    WriteZip(path, Entries(), level);
  }

 private:
  struct SheetPart {
    std::string name;
    std::string body;
    std::string state;
  };
  struct Rel {
    std::string id;
    std::string type;
    std::string target;
  };
  std::vector<SheetPart> sheets_;
  std::string sharedStringsXml_;
  std::string stylesXml_;
  std::string themeXml_;
  std::string workbookHead_;
  std::string workbookTail_;
  std::vector<Rel> extraRels_;
  bool macroEnabled_ = false;
  std::map<std::string, std::string> parts_;
  std::vector<std::string> omitted_;
};

}  // namespace test_support
