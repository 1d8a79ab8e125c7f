// CWriterExternalLinks: the external workbooks a saved file refers to, each written as an
// externalLink part that the formulas' "[N]" prefixes point to.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace spreadsheet {

// Books are numbered from 1: first the workbook's own list, in its order, then books that only
// formulas name. Invariant: every index handed out stays valid and names the same book.
class CWriterExternalLinks {
 public:
  explicit CWriterExternalLinks(const std::vector<std::wstring>& books);

  // The number of the book `file` (a file name) in `folder` (empty when the formula gives
  // none; else ending with a separator), added when new. A book without a folder matches a
  // listed path ending with the same file name.
  std::int32_t Find(std::wstring_view folder, std::wstring_view file);
  bool Has(std::int32_t index) const { return index >= 1 && index <= Count(); }
  // Records a sheet of book `index` that a formula uses, for the part's sheet list.
  void NoteSheet(std::int32_t index, std::wstring_view sheet);

  std::int32_t Count() const { return static_cast<std::int32_t>(books_.size()); }
  // The externalLink part and its relationships of book `index`.
  void RenderPart(std::int32_t index, std::string& out) const;
  void RenderRelationships(std::int32_t index, std::string& out) const;

 private:
  struct Book {
    std::wstring path;
    std::vector<std::wstring> sheets;
  };
  std::vector<Book> books_;
};

}  // namespace spreadsheet
