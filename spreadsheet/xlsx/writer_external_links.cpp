// External workbook parts.
#include "spreadsheet/xlsx/writer_external_links.h"

#include "platform/char_class.h"
#include "spreadsheet/model/workbook.h"
#include "spreadsheet/xlsx/xml_writer.h"

namespace spreadsheet {
namespace {

// Sheets listed per book; a formula text is bounded, but a workbook has many formulas.
constexpr std::size_t kMaxSheetsPerBook = 4096;

std::wstring_view FileNameOf(std::wstring_view path) {
  const auto slash = path.find_last_of(L"/\\");
  return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

bool IsDrivePath(std::wstring_view path) {
  return path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/') &&
         IsAsciiLetter(path[0]);
}

// The relationship target of a book: absolute paths as file URLs, relative ones as they are
// (resolved against the saved file's folder). Characters a URL cannot hold are percent-encoded.
std::wstring TargetOf(std::wstring_view path) {
  std::wstring target;
  if (IsDrivePath(path)) {
    target = L"file:///";
  } else if (!path.empty() && path.front() == L'/') {
    target = L"file://";
  }
  for (const wchar_t c : path) {
    if (c == L' ' || c == L'%' || c == L'#' || c < 0x20) {
      constexpr std::wstring_view kHex = L"0123456789ABCDEF";
      target += L'%';
      target += kHex[(static_cast<unsigned>(c) >> 4) & 0xF];
      target += kHex[static_cast<unsigned>(c) & 0xF];
    } else {
      target += c;
    }
  }
  return target;
}

}  // namespace

CWriterExternalLinks::CWriterExternalLinks(const std::vector<std::wstring>& books) {
  books_.reserve(books.size());
  for (const std::wstring& path : books) books_.push_back(Book{path, {}});
}

std::int32_t CWriterExternalLinks::Find(std::wstring_view folder, std::wstring_view file) {
  for (std::size_t i = 0; i < books_.size(); ++i) {
    const std::wstring& path = books_[i].path;
    const bool same =
        folder.empty()
            ? SameIdentifier(FileNameOf(path), file)
            : path.size() == folder.size() + file.size() &&
                  SameIdentifier(std::wstring_view(path).substr(0, folder.size()), folder) &&
                  SameIdentifier(std::wstring_view(path).substr(folder.size()), file);
    if (same) return static_cast<std::int32_t>(i + 1);
  }
  books_.push_back(Book{std::wstring(folder) + std::wstring(file), {}});
  return Count();
}

void CWriterExternalLinks::NoteSheet(std::int32_t index, std::wstring_view sheet) {
  if (!Has(index) || sheet.empty()) return;
  auto& sheets = books_[static_cast<std::size_t>(index - 1)].sheets;
  for (const std::wstring& known : sheets) {
    if (SameIdentifier(known, sheet)) return;
  }
  if (sheets.size() < kMaxSheetsPerBook) sheets.emplace_back(sheet);
}

void CWriterExternalLinks::RenderPart(std::int32_t index, std::string& out) const {
  const Book& book = books_.at(static_cast<std::size_t>(index - 1));
  CXmlWriter xml(out);
  xml.Declaration();
  xml.Raw(
      "<externalLink xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
      "<externalBook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
      "relationships\" r:id=\"rId1\">");
  if (!book.sheets.empty()) {
    xml.Raw("<sheetNames>");
    for (const std::wstring& sheet : book.sheets) {
      xml.Start("sheetName");
      xml.Attribute("val", sheet);
      xml.EndEmpty();
    }
    xml.Raw("</sheetNames><sheetDataSet>");
    // No cached cells: the formulas' own cached values are what a reader shows.
    for (std::size_t i = 0; i < book.sheets.size(); ++i) {
      xml.Start("sheetData");
      xml.Attribute("sheetId", static_cast<std::int64_t>(i));
      xml.EndEmpty();
    }
    xml.Raw("</sheetDataSet>");
  }
  xml.Raw("</externalBook></externalLink>");
}

void CWriterExternalLinks::RenderRelationships(std::int32_t index, std::string& out) const {
  const Book& book = books_.at(static_cast<std::size_t>(index - 1));
  CXmlWriter xml(out);
  xml.Declaration();
  xml.Raw(
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
      "relationships/externalLinkPath\"");
  xml.Attribute("Target", TargetOf(book.path));
  xml.Raw(" TargetMode=\"External\"/></Relationships>");
}

}  // namespace spreadsheet
