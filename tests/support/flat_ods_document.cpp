// Reading LibreOffice's flat OpenDocument spreadsheets.
#include "tests/support/flat_ods_document.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

namespace test_support {
namespace {

// Repeated rows or cells that hold something are expanded up to this many; empty repeats (the
// rest of the sheet) are only counted.
constexpr int kMaxExpandedRepeat = 1024;
// Style parents followed before giving up; real chains are two or three long.
constexpr int kMaxStyleDepth = 16;

int Count(const XmlElement& element, std::string_view attribute) {
  const auto text = element.Attribute(attribute);
  return text ? std::max(1, std::stoi(*text)) : 1;
}

// A cell with a value, formula, style or text of its own, unlike the padding to the sheet's end.
bool HasContent(const XmlElement& cell) {
  for (const auto& [name, value] : cell.attributes) {
    if (name != "table:number-columns-repeated") return true;
  }
  return cell.Child("text:p") != nullptr;
}

// A paragraph's text with its space, tab and line-break elements put back as characters.
std::string ParagraphText(const XmlElement& paragraph) {
  std::string text;
  std::vector<const XmlElement*> pending;
  for (auto it = paragraph.children.rbegin(); it != paragraph.children.rend(); ++it) {
    pending.push_back(it->get());
  }
  while (!pending.empty()) {
    const XmlElement* node = pending.back();
    pending.pop_back();
    if (node->name == "#text") {
      text += node->text;
    } else if (node->name == "text:s") {
      text.append(static_cast<std::size_t>(Count(*node, "text:c")), ' ');
    } else if (node->name == "text:tab") {
      text += '\t';
    } else if (node->name == "text:line-break") {
      text += '\n';
    } else {
      for (auto it = node->children.rbegin(); it != node->children.rend(); ++it) {
        pending.push_back(it->get());
      }
    }
  }
  return text;
}

std::string Paragraphs(const XmlElement& cell) {
  std::string text;
  bool first = true;
  for (const XmlElement* paragraph : cell.Children("text:p")) {
    if (!first) text += '\n';
    first = false;
    text += ParagraphText(*paragraph);
  }
  return text;
}

}  // namespace

std::unique_ptr<CFlatOdsDocument> CFlatOdsDocument::Load(const std::filesystem::path& file,
                                                         std::string& error) {
  std::ifstream stream(file, std::ios::binary);
  if (!stream) {
    error = "cannot open " + file.string();
    return nullptr;
  }
  std::stringstream bytes;
  bytes << stream.rdbuf();
  auto document = std::make_unique<CFlatOdsDocument>();
  document->root_ = ParseXml(bytes.str());
  if (document->root_ == nullptr) {
    error = file.string() + " is not well-formed XML";
    return nullptr;
  }
  for (const XmlElement* style : document->root_->Descendants("style:style")) {
    document->styles_.emplace(style->AttributeOr("style:name"), style);
  }
  for (const XmlElement* defaults : document->root_->Descendants("style:default-style")) {
    if (defaults->AttributeOr("style:family") == "table-cell") document->cellDefaults_ = defaults;
  }
  for (const XmlElement* table : document->root_->Descendants("table:table")) {
    document->ReadSheet(*table);
  }
  for (const XmlElement* range : document->root_->Descendants("table:named-range")) {
    document->namedRanges_[range->AttributeOr("table:name")] =
        range->AttributeOr("table:cell-range-address");
  }
  for (const XmlElement* expression : document->root_->Descendants("table:named-expression")) {
    document->namedRanges_[expression->AttributeOr("table:name")] =
        expression->AttributeOr("table:expression");
  }
  for (const XmlElement* range : document->root_->Descendants("table:database-range")) {
    document->databaseRanges_[range->AttributeOr("table:name")] =
        range->AttributeOr("table:target-range-address");
  }
  return document;
}

void CFlatOdsDocument::ReadSheet(const XmlElement& table) {
  Sheet sheet;
  sheet.name = table.AttributeOr("table:name");
  sheet.style = table.AttributeOr("table:style-name");
  sheet.isProtected = table.AttributeOr("table:protected") == "true";
  std::vector<const XmlElement*> rows = table.Descendants("table:table-row");
  int row = 1;
  for (const XmlElement* rowElement : rows) {
    const int rowRepeat = Count(*rowElement, "table:number-rows-repeated");
    bool hasContent = false;
    for (const auto& child : rowElement->children) hasContent = hasContent || HasContent(*child);
    const int expanded = hasContent ? std::min(rowRepeat, kMaxExpandedRepeat) : 0;
    for (int copy = 0; copy < expanded; ++copy) {
      int column = 1;
      for (const auto& cellElement : rowElement->children) {
        if (cellElement->name != "table:table-cell" &&
            cellElement->name != "table:covered-table-cell") {
          continue;
        }
        const int columnRepeat = Count(*cellElement, "table:number-columns-repeated");
        if (cellElement->name == "table:table-cell" && HasContent(*cellElement)) {
          OdsCell cell;
          cell.valueType = cellElement->AttributeOr("calcext:value-type",
                                                    cellElement->AttributeOr("office:value-type"));
          cell.value = cellElement->AttributeOr(
              "office:value",
              cellElement->AttributeOr("office:string-value",
                                       cellElement->AttributeOr("office:boolean-value")));
          cell.text = Paragraphs(*cellElement);
          cell.formula = cellElement->AttributeOr("table:formula");
          cell.style = cellElement->AttributeOr("table:style-name");
          cell.columnsSpanned = Count(*cellElement, "table:number-columns-spanned");
          cell.rowsSpanned = Count(*cellElement, "table:number-rows-spanned");
          cell.matrixColumns =
              std::stoi(cellElement->AttributeOr("table:number-matrix-columns-spanned", "0"));
          cell.matrixRows =
              std::stoi(cellElement->AttributeOr("table:number-matrix-rows-spanned", "0"));
          for (int k = 0; k < std::min(columnRepeat, kMaxExpandedRepeat); ++k) {
            sheet.cells[{row + copy, column + k}] = cell;
          }
        }
        column += columnRepeat;
      }
    }
    row += rowRepeat;
  }
  sheets_.push_back(std::move(sheet));
}

std::vector<std::string> CFlatOdsDocument::SheetNames() const {
  std::vector<std::string> names;
  for (const Sheet& sheet : sheets_) names.push_back(sheet.name);
  return names;
}

const OdsCell* CFlatOdsDocument::Cell(std::string_view sheet, int row, int column) const {
  for (const Sheet& candidate : sheets_) {
    if (candidate.name != sheet) continue;
    const auto found = candidate.cells.find({row, column});
    return found == candidate.cells.end() ? nullptr : &found->second;
  }
  return nullptr;
}

const std::map<std::pair<int, int>, OdsCell>* CFlatOdsDocument::Cells(
    std::string_view sheet) const {
  for (const Sheet& candidate : sheets_) {
    if (candidate.name == sheet) return &candidate.cells;
  }
  return nullptr;
}

const XmlElement* CFlatOdsDocument::FindStyle(std::string_view name) const {
  const auto found = styles_.find(name);
  return found == styles_.end() ? nullptr : found->second;
}

std::string CFlatOdsDocument::StyleProperty(std::string_view style,
                                            std::string_view property) const {
  // A cell without a style of its own has the column's default, "Default" in every sheet
  // LibreOffice writes from a workbook.
  std::string name = style.empty() ? std::string("Default") : std::string(style);
  for (int depth = 0; depth < kMaxStyleDepth && !name.empty(); ++depth) {
    const XmlElement* element = FindStyle(name);
    if (element == nullptr) break;
    for (const auto& properties : element->children) {
      if (const auto value = properties->Attribute(property)) return *value;
    }
    name = element->AttributeOr("style:parent-style-name");
  }
  // Then the defaults of every cell style.
  if (cellDefaults_ != nullptr) {
    for (const auto& properties : cellDefaults_->children) {
      if (const auto value = properties->Attribute(property)) return *value;
    }
  }
  return {};
}

bool CFlatOdsDocument::SheetHidden(std::string_view sheet) const {
  for (const Sheet& candidate : sheets_) {
    if (candidate.name == sheet) return StyleProperty(candidate.style, "table:display") == "false";
  }
  return false;
}

bool CFlatOdsDocument::SheetProtected(std::string_view sheet) const {
  for (const Sheet& candidate : sheets_) {
    if (candidate.name == sheet) return candidate.isProtected;
  }
  return false;
}

std::string CFlatOdsDocument::ViewSetting(std::string_view name) const {
  for (const XmlElement* views : root_->Descendants("config:config-item-map-indexed")) {
    if (views->AttributeOr("config:name") != "Views") continue;
    for (const XmlElement* entry : views->Children("config:config-item-map-entry")) {
      for (const XmlElement* item : entry->Children("config:config-item")) {
        if (item->AttributeOr("config:name") == name) return item->text;
      }
    }
  }
  return {};
}

std::string CFlatOdsDocument::SheetViewSetting(std::string_view sheet,
                                               std::string_view name) const {
  for (const XmlElement* tables : root_->Descendants("config:config-item-map-named")) {
    if (tables->AttributeOr("config:name") != "Tables") continue;
    for (const XmlElement* entry : tables->Children("config:config-item-map-entry")) {
      if (entry->AttributeOr("config:name") != sheet) continue;
      for (const XmlElement* item : entry->Children("config:config-item")) {
        if (item->AttributeOr("config:name") == name) return item->text;
      }
    }
  }
  return {};
}

}  // namespace test_support
