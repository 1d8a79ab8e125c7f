// The shared string table.
#include "spreadsheet/xlsx/writer_shared_strings.h"

#include "spreadsheet/model/workbook.h"
#include "spreadsheet/xlsx/xml_writer.h"

namespace spreadsheet {

CWriterSharedStrings::CWriterSharedStrings(const CWorkbook& workbook)
    : workbook_(workbook),
      indexes_(workbook.Strings().Size(), kUnused),
      references_(static_cast<std::size_t>(workbook.SheetCount()), 0),
      written_(static_cast<std::size_t>(workbook.SheetCount()), false) {}

std::uint32_t CWriterSharedStrings::Add(std::uint32_t poolId) {
  std::uint32_t& index = indexes_.at(poolId);
  if (index == kUnused) {
    index = static_cast<std::uint32_t>(order_.size());
    order_.push_back(poolId);
  }
  return index;
}

void CWriterSharedStrings::SheetWritten(std::int32_t sheet, std::uint64_t references) {
  const auto at = static_cast<std::size_t>(sheet - 1);
  references_.at(at) = references;
  written_.at(at) = true;
}

void CWriterSharedStrings::CollectSheet(std::int32_t sheet) {
  // As the sheet writer decides: a cell whose formula index names no record is a constant.
  const CWorksheet& worksheet = workbook_.Sheet(sheet);
  const std::size_t records = worksheet.FormulaRecords().size();
  std::uint64_t references = 0;
  worksheet.ForEachCell([this, records, &references](CellCoord, const Cell& cell) {
    const bool formula = cell.HasFormula() && cell.formula <= records;
    if (cell.kind != ValueKind::Text || formula) return;
    Add(cell.text);
    ++references;
  });
  SheetWritten(sheet, references);
}

void CWriterSharedStrings::Render(std::string& out) {
  for (std::int32_t sheet = 1; sheet <= workbook_.SheetCount(); ++sheet) {
    if (!written_[static_cast<std::size_t>(sheet - 1)]) CollectSheet(sheet);
  }
  std::uint64_t references = 0;
  for (const std::uint64_t count : references_) references += count;
  CXmlWriter xml(out);
  xml.Declaration();
  xml.Start("sst");
  xml.AttributeAscii("xmlns", "http://schemas.openxmlformats.org/spreadsheetml/2006/main");
  xml.Attribute("count", static_cast<std::int64_t>(references));
  xml.Attribute("uniqueCount", static_cast<std::int64_t>(order_.size()));
  xml.EndStart();
  const CStringPool& pool = workbook_.Strings();
  for (const std::uint32_t id : order_) {
    const std::wstring& text = pool.At(id);
    xml.Raw(CXmlWriter::NeedsSpacePreserve(text) ? "<si><t xml:space=\"preserve\">" : "<si><t>");
    xml.EncodedText(text);
    xml.Raw("</t></si>");
  }
  xml.End("sst");
}

}  // namespace spreadsheet
