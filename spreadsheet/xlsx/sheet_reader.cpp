// A worksheet part, streamed.
#include "spreadsheet/xlsx/sheet_reader.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <utility>

#include "spreadsheet/model/formula_shift.h"
#include "spreadsheet/xlsx/reader_cell_reference.h"
#include "spreadsheet/xlsx/reader_date_time.h"
#include "spreadsheet/xlsx/reader_formula_text.h"
#include "spreadsheet/xlsx/reader_text.h"
#include "spreadsheet/xlsx/xml_stream_parser.h"

namespace spreadsheet {
namespace {

// Array formulas larger than this get only the member cells the file stores; smaller ones get
// every cell of their range, as Excel writes them. Keeps a range claiming the whole sheet from
// allocating a cell per claimed position.
constexpr std::int64_t kArrayFillLimit = 65'536;

// The widest digit of the default font (Calibri 11, Arial 10) in pixels, by which a file's
// column width (characters plus padding, in 1/256) becomes Excel's ColumnWidth (characters).
constexpr double kMaxDigitWidth = 7.0;

bool Is(const char* name, char c) { return name[0] == c && name[1] == '\0'; }
bool Is(const char* name, std::string_view text) { return text == name; }

// Text from the file quoted in a warning, cut short: a value may be a megabyte long.
constexpr std::size_t kQuotedBytes = 40;

std::string Quoted(std::string_view text) {
  std::size_t cut = text.size();
  if (cut > kQuotedBytes) {
    cut = kQuotedBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  }
  // Appended piece by piece: GCC 12 at -O3 takes "\"" + std::string(...) for an overlapping
  // copy (-Wrestrict) and the release build stops.
  std::string quoted(1, '"');
  quoted.append(text.substr(0, cut));
  if (cut < text.size()) quoted += "...";
  quoted += '"';
  return quoted;
}

double ColumnWidthInCharacters(double fileWidth) {
  if (!(fileWidth > 0.0)) return 0.0;
  const double pixels = std::floor(fileWidth * kMaxDigitWidth + 0.5);
  const double characters = pixels < kMaxDigitWidth + 5.0 ? pixels / (kMaxDigitWidth + 5.0)
                                                          : (pixels - 5.0) / kMaxDigitWidth;
  return std::floor(characters * 100.0 + 0.5) / 100.0;
}

}  // namespace

CSheetReader::CSheetReader(CWorksheet& sheet, const SheetReadContext& context, std::string part)
    : sheet_(sheet), context_(context), part_(std::move(part)) {}

std::string CSheetReader::CellPrefix() const { return "cell " + CellText(cell_) + ": "; }

std::string CSheetReader::AtCell(CellCoord cell) const {
  return part_ + ", cell " + CellText(cell) + ": ";
}

std::string CSheetReader::AtLine(const CXmlStreamParser& parser) const {
  return part_ + ", line " + std::to_string(parser.Line()) + ": ";
}

const char* CSheetReader::ValueLost() const {
  return formulaType_ == FormulaType::None ? "; the cell is read as empty"
                                           : "; the formula is read without its cached value";
}

std::wstring CSheetReader::FormulaText(std::string_view utf8) const {
  std::wstring text = WideFromUtf8(utf8);
  if (FormulaMayNeedDisplayFix(utf8)) text = DisplayFormula(text, context_.externalBooks);
  return text;
}

bool CSheetReader::CountCell(CXmlStreamParser* parser) {
  if (++context_.cellsStored <= context_.limits.maxCells) return true;
  if (parser != nullptr) {
    parser->Fail("more cells than the " + std::to_string(context_.limits.maxCells) + " allowed");
  }
  return false;
}

void CSheetReader::OnStart(CXmlStreamParser& parser, const XmlName& name,
                           const XmlAttributes& attributes) {
  if (name.ns != XmlNamespace::Main) {
    parser.SkipElement();
    return;
  }
  const std::string_view local = name.local;
  if (inCell_) {
    if (inInline_) {
      if (local == "t") {
        parser.CollectText();
      } else if (local != "r") {
        parser.SkipElement();  // Run formats and phonetic runs.
      }
    } else if (local == "v") {
      parser.CollectText();
    } else if (local == "f") {
      StartFormula(attributes);
      parser.CollectText();
    } else if (local == "is") {
      inInline_ = true;
    } else {
      parser.SkipElement();
    }
    return;
  }
  if (inRow_) {
    if (local == "c") {
      StartCell(parser, attributes);
    } else {
      parser.SkipElement();
    }
    return;
  }
  if (inSheetData_) {
    if (local == "row") {
      StartRow(parser, attributes);
    } else {
      parser.SkipElement();
    }
    return;
  }
  if (local == "worksheet" || local == "sheetViews" || local == "cols" ||
      local == "mergeCells" || local == "tableParts") {
    return;
  }
  if (local == "sheetData") {
    inSheetData_ = true;
    return;
  }
  if (local == "sheetView" && !viewSeen_) {
    viewSeen_ = true;
    sheet_.SetDisplayGridlines(ParseXmlBoolean(attributes.Value("showGridLines")).value_or(true));
  } else if (local == "col") {
    ReadColumn(attributes);
  } else if (local == "mergeCell") {
    ReadMerge(parser, attributes);
  } else if (local == "sheetProtection") {
    sheet_.SetProtected(ParseXmlBoolean(attributes.Value("sheet")).value_or(false));
  } else if (local == "tablePart") {
    tableParts_.emplace_back(attributes.Find(XmlNamespace::Relationships, "id").value_or(""));
  }
  parser.SkipElement();
}

void CSheetReader::OnEnd(CXmlStreamParser& parser, const XmlName& name, std::string_view text) {
  if (name.ns != XmlNamespace::Main) return;
  const std::string_view local = name.local;
  if (inCell_) {
    if (inInline_) {
      if (local == "t") {
        if (inline_.size() + text.size() > context_.limits.maxTextBytes) {
          parser.Fail(CellPrefix() + "text longer than " +
                      std::to_string(context_.limits.maxTextBytes) + " bytes");
          return;
        }
        inline_.append(text);
      } else if (local == "is") {
        inInline_ = false;
        hasValue_ = true;
      }
    } else if (local == "v") {
      value_.assign(text);
      hasValue_ = true;
    } else if (local == "f") {
      formula_.assign(text);
    } else if (local == "c") {
      inCell_ = false;
      EndCell(parser);
    }
    return;
  }
  if (local == "row") {
    inRow_ = false;
  } else if (local == "sheetData") {
    inSheetData_ = false;
  }
}

void CSheetReader::StartRow(CXmlStreamParser& parser, const XmlAttributes& attributes) {
  std::optional<double> height;
  bool customHeight = false;
  bool hidden = false;
  std::optional<std::string_view> number;
  for (const char** pair = attributes.Pairs(); *pair != nullptr; pair += 2) {
    const char* key = pair[0];
    const std::string_view value = pair[1];
    if (Is(key, 'r')) {
      number = value;
    } else if (Is(key, "ht")) {
      height = ParseXmlNumber(value);
    } else if (Is(key, "customHeight")) {
      customHeight = ParseXmlBoolean(value).value_or(false);
    } else if (Is(key, "hidden")) {
      hidden = ParseXmlBoolean(value).value_or(false);
    }
  }
  if (number) {
    const auto row = ParseXmlInteger(*number);
    if (!row || *row < 1 || *row > kMaxRows) {
      context_.warnings.Add([&] {
        return AtLine(parser) + "row number " + Quoted(*number) +
               " is not a row of the sheet (1 to " + std::to_string(kMaxRows) +
               "); the row is left out";
      });
      parser.SkipElement();
      return;
    }
    row_ = static_cast<std::int32_t>(*row);
  } else if (row_ >= kMaxRows) {
    context_.warnings.Add([&] {
      return AtLine(parser) + "a row without a number follows row " + std::to_string(kMaxRows) +
             ", the last of the sheet; the row is left out";
    });
    parser.SkipElement();
    return;
  } else {
    ++row_;
  }
  inRow_ = true;
  nextColumn_ = 1;
  // Excel's RowHeight reads 0 for a hidden row.
  if (hidden) {
    sheet_.SetRowHeight(row_, 0.0);
  } else if (customHeight && height && *height >= 0.0 && *height <= 409.5) {
    sheet_.SetRowHeight(row_, *height);
  }
}

void CSheetReader::StartCell(CXmlStreamParser& parser, const XmlAttributes& attributes) {
  inInline_ = false;
  hasValue_ = false;
  value_.clear();
  inline_.clear();
  formulaType_ = FormulaType::None;
  formula_.clear();
  type_ = CellType::Number;
  // A cell without "s" has the file's first cell format, which is the model's default one for
  // files as Excel and LibreOffice write them.
  format_ = context_.cellFormats.empty() ? 0 : context_.cellFormats[0];
  styled_ = false;
  bool placed = false;
  std::optional<std::string_view> badStyle;
  for (const char** pair = attributes.Pairs(); *pair != nullptr; pair += 2) {
    const char* key = pair[0];
    const std::string_view value = pair[1];
    if (Is(key, 'r')) {
      const ParsedCell parsed = ParseCellReference(value);
      if (parsed.status != ReferenceStatus::Ok) {
        context_.warnings.Add([&] {
          return AtLine(parser) + "cell reference " + Quoted(value) +
                 (parsed.status == ReferenceStatus::OffSheet ? " is off the sheet"
                                                             : " is malformed") +
                 "; the cell is left out";
        });
        parser.SkipElement();
        return;
      }
      cell_ = parsed.cell;
      placed = true;
    } else if (Is(key, 's')) {
      // A format index past the table is a cosmetic fault: the cell keeps the default format.
      // Index 0 is the default format whether or not the file has a table.
      const auto index = ParseXmlUnsigned(value);
      if (index && *index < context_.cellFormats.size()) {
        format_ = context_.cellFormats[*index];
      } else {
        format_ = 0;
        if (!index || *index != 0) badStyle = value;
      }
      styled_ = true;
    } else if (Is(key, 't')) {
      if (value == "s") type_ = CellType::SharedString;
      else if (value == "n") type_ = CellType::Number;
      else if (value == "str") type_ = CellType::FormulaString;
      else if (value == "inlineStr") type_ = CellType::InlineString;
      else if (value == "b") type_ = CellType::Boolean;
      else if (value == "e") type_ = CellType::Error;
      else if (value == "d") type_ = CellType::Date;
      else {
        type_ = CellType::Unknown;  // Said when there is a value to lose.
        typeText_.assign(value);
      }
    }
  }
  if (!placed) {
    if (nextColumn_ > kMaxColumns || row_ < 1) {
      context_.warnings.Add([&] {
        return AtLine(parser) + "a cell without a reference falls past the last column of row " +
               std::to_string(row_) + "; the cell is left out";
      });
      parser.SkipElement();
      return;
    }
    cell_ = {row_, nextColumn_};
  }
  nextColumn_ = cell_.column + 1;
  inCell_ = true;
  if (badStyle) {
    context_.warnings.Add([&] {
      return AtCell(cell_) + "style index " + Quoted(*badStyle) +
             " names no cell format (the file has " +
             std::to_string(context_.cellFormats.size()) + "); the cell keeps the default format";
    });
  }
}

void CSheetReader::StartFormula(const XmlAttributes& attributes) {
  formulaType_ = FormulaType::Normal;
  formulaHasRef_ = false;
  formulaHasSi_ = false;
  std::string_view r1;
  std::string_view r2;
  bool twoInputs = false;
  bool rowInput = false;
  bool deleted1 = false;
  bool deleted2 = false;
  for (const char** pair = attributes.Pairs(); *pair != nullptr; pair += 2) {
    const char* key = pair[0];
    const std::string_view value = pair[1];
    if (Is(key, 't')) {
      if (value == "shared") formulaType_ = FormulaType::Shared;
      else if (value == "array") formulaType_ = FormulaType::Array;
      else if (value == "dataTable") formulaType_ = FormulaType::DataTable;
      else if (value != "normal") {
        context_.warnings.Add([&] {
          return AtCell(cell_) + "formula type " + Quoted(value) +
                 " is unknown; it is read as a plain formula";
        });
      }
    } else if (Is(key, "ref")) {
      formulaRef_.assign(value);
      formulaHasRef_ = true;
    } else if (Is(key, "si")) {
      formulaSi_.assign(value);
      formulaHasSi_ = true;
    } else if (Is(key, "r1")) {
      r1 = value;
    } else if (Is(key, "r2")) {
      r2 = value;
    } else if (Is(key, "dt2D")) {
      twoInputs = ParseXmlBoolean(value).value_or(false);
    } else if (Is(key, "dtr")) {
      rowInput = ParseXmlBoolean(value).value_or(false);
    } else if (Is(key, "del1")) {
      deleted1 = ParseXmlBoolean(value).value_or(false);
    } else if (Is(key, "del2")) {
      deleted2 = ParseXmlBoolean(value).value_or(false);
    }
  }
  if (formulaType_ == FormulaType::DataTable) {
    // Excel shows a data table as {=TABLE(row input, column input)}; a one-input table leaves
    // the other side empty, and a deleted input cell reads #REF!.
    const std::string first = DataTableInput(r1, deleted1);
    const std::string second = DataTableInput(r2, deleted2);
    if (twoInputs) {
      dataTableText_ = "TABLE(" + first + "," + second + ")";
    } else if (rowInput) {
      dataTableText_ = "TABLE(" + first + ",)";
    } else {
      dataTableText_ = "TABLE(," + first + ")";
    }
  }
}

std::string CSheetReader::DataTableInput(std::string_view cell, bool deleted) {
  if (deleted) return "#REF!";
  // The input goes into formula text, so nothing but a cell reference may pass.
  if (cell.empty() || ParseCellReference(cell).status == ReferenceStatus::Ok) {
    return std::string(cell);
  }
  context_.warnings.Add([&] {
    return AtCell(cell_) + "data table input " + Quoted(cell) +
           " is not a cell of the sheet; it reads as #REF!";
  });
  return "#REF!";
}

CellValue CSheetReader::ReadValue() {
  if (type_ == CellType::InlineString) {
    std::wstring text = WideFromUtf8(inline_.empty() ? value_ : inline_);
    DecodeXstringEscapes(text);
    return CellValue::Text(std::move(text));
  }
  if (!hasValue_) return {};
  switch (type_) {
    case CellType::Number: {
      if (value_.empty()) return {};
      if (const auto number = ParseXmlNumber(value_)) return CellValue::Number(*number);
      context_.warnings.Add(
          [&] { return AtCell(cell_) + Quoted(value_) + " is not a number" + ValueLost(); });
      return {};
    }
    case CellType::SharedString: {
      const auto index = ParseXmlUnsigned(value_);
      if (index && *index < context_.sharedStrings.size()) {
        return CellValue::Text(context_.sharedStrings[*index]);
      }
      context_.warnings.Add([&] {
        return AtCell(cell_) + "shared string index " + Quoted(value_) +
               (index ? " is past the table, which holds " +
                            std::to_string(context_.sharedStrings.size())
                      : std::string(" is not a number")) +
               ValueLost();
      });
      return {};
    }
    case CellType::FormulaString: {
      std::wstring text = WideFromUtf8(value_);
      DecodeXstringEscapes(text);
      return CellValue::Text(std::move(text));
    }
    case CellType::Boolean: {
      if (const auto truth = ParseXmlBoolean(value_)) return CellValue::Boolean(*truth);
      context_.warnings.Add(
          [&] { return AtCell(cell_) + Quoted(value_) + " is not a Boolean" + ValueLost(); });
      return {};
    }
    case CellType::Error:
      if (value_.empty()) {
        context_.warnings.Add(
            [&] { return AtCell(cell_) + "the error value is empty" + std::string(ValueLost()); });
        return {};
      }
      // Error values of later Excel versions (#BLOCKED!, #FIELD! ...) read as #VALUE!.
      return CellValue::Error(ParseErrorText(WideFromUtf8(value_)).value_or(ErrorCode::Value));
    case CellType::Date: {
      if (value_.empty()) return {};
      if (const auto serial = ParseIsoDateTime(value_, context_.date1904)) {
        return CellValue::Number(*serial);
      }
      context_.warnings.Add(
          [&] { return AtCell(cell_) + Quoted(value_) + " is not a date" + ValueLost(); });
      return {};
    }
    case CellType::Unknown:
      context_.warnings.Add([&] {
        return AtCell(cell_) + "cell type " + Quoted(typeText_) + " is unknown" + ValueLost();
      });
      return {};
    case CellType::InlineString: break;
  }
  return {};
}

void CSheetReader::EndCell(CXmlStreamParser& parser) {
  const CellValue value = ReadValue();
  const bool hasFormula = formulaType_ != FormulaType::None;
  if (!hasFormula && value.IsEmpty() && (format_ == 0 || !styled_)) return;  // Nothing to store.
  if (!CountCell(&parser)) return;  // A cell written twice counts twice; the bound stays safe.
  if (hasFormula) {
    StoreFormula(value);
  } else if (!value.IsEmpty()) {
    sheet_.SetValue(cell_, value);
  }
  if (format_ != 0) sheet_.SetFormat(cell_, format_);
}

CellRect CSheetReader::FormulaRange(std::string_view kind, std::string_view otherwise) {
  if (!formulaHasRef_ || formulaRef_.empty()) return CellRect::Of(cell_);
  const ParsedRange parsed = ParseRangeReference(formulaRef_);
  if (parsed.status == ReferenceStatus::Ok && parsed.range.Contains(cell_)) return parsed.range;
  context_.warnings.Add([&] {
    return AtCell(cell_) + std::string(kind) + " range " + Quoted(formulaRef_) +
           " is not a range on the sheet that holds the cell; " + std::string(otherwise);
  });
  return CellRect::Of(cell_);
}

void CSheetReader::AddSingleFormula(CellCoord cell, std::wstring text) {
  const std::uint32_t record = sheet_.AddFormulaRecord(
      {FormulaRecord::Kind::Single, std::move(text), cell, CellRect::Of(cell)});
  sheet_.AttachFormula(cell, record);
}

void CSheetReader::StoreFormula(const CellValue& value) {
  bool attached = false;
  switch (formulaType_) {
    case FormulaType::None: break;
    case FormulaType::Normal:
      if (!formula_.empty()) {
        AddSingleFormula(cell_, FormulaText(formula_));
        attached = true;
      }
      break;
    case FormulaType::Shared: {
      const auto si = formulaHasSi_ ? ParseXmlUnsigned(formulaSi_) : std::nullopt;
      if (!si) {
        // Without a group the cell can only have the formula it writes, if any.
        context_.warnings.Add([&] {
          return AtCell(cell_) +
                 (formulaHasSi_ ? "shared formula group " + Quoted(formulaSi_) + " is not a number"
                                : std::string("shared formula names no group")) +
                 (formula_.empty() ? "; the cell keeps only its value"
                                   : "; its text is read as the cell's own formula");
        });
        if (!formula_.empty()) {
          AddSingleFormula(cell_, FormulaText(formula_));
          attached = true;
        }
        break;
      }
      if (formulaHasRef_ && !formula_.empty()) {
        // A group range that does not hold its master cannot be trusted to hold its members:
        // the master alone is the group, and each member gets the formula moved to it.
        const CellRect group = FormulaRange(
            "shared formula", "the other cells of group " + std::to_string(*si) +
                                  " each get the formula moved to them");
        const std::uint32_t record = sheet_.AddFormulaRecord(
            {FormulaRecord::Kind::Shared, FormulaText(formula_), cell_, group});
        shared_[*si] = record;
        sheet_.AttachFormula(cell_, record);
        attached = true;
        break;
      }
      const auto master = shared_.find(*si);
      if (master == shared_.end()) {
        pending_.push_back({cell_, *si});
      } else {
        AttachSharedMember(cell_, master->second);
        attached = true;
      }
      break;
    }
    case FormulaType::Array:
    case FormulaType::DataTable: {
      const bool table = formulaType_ == FormulaType::DataTable;
      if (!table && formula_.empty()) {
        context_.warnings.Add([&] {
          return AtCell(cell_) + "array formula has no text; the cell keeps only its value";
        });
        break;
      }
      const CellRect block = FormulaRange(table ? "data table" : "array formula",
                                          "the formula is read for the cell alone");
      std::wstring text = table ? WideFromUtf8(dataTableText_) : FormulaText(formula_);
      const std::uint32_t record =
          sheet_.AddFormulaRecord({FormulaRecord::Kind::Array, std::move(text), cell_, block});
      sheet_.AttachFormula(cell_, record);
      if (!block.IsSingleCell()) arrays_.push_back(record);
      attached = true;
      break;
    }
  }
  if (attached) {
    sheet_.SetCachedValue(cell_, value);
  } else if (!value.IsEmpty()) {
    sheet_.SetValue(cell_, value);  // A member of an array, or of a group not yet met.
  }
}

void CSheetReader::AttachSharedMember(CellCoord cell, std::uint32_t record) {
  const FormulaRecord& master = sheet_.FormulaRecords()[record];
  if (master.range.Contains(cell)) {
    sheet_.AttachFormula(cell, record);
    return;
  }
  // A member outside its group's range (not as Excel writes it): the master's formula moved
  // to the cell, as a formula of its own.
  AddSingleFormula(cell, ShiftFormula(master.text, cell.row - master.origin.row,
                                       cell.column - master.origin.column));
}

void CSheetReader::ReadColumn(const XmlAttributes& attributes) {
  const auto first = ParseXmlInteger(attributes.Value("min"));
  const auto last = ParseXmlInteger(attributes.Value("max"));
  if (!first || !last) return;
  const std::int64_t from = std::max<std::int64_t>(*first, 1);
  const std::int64_t to = std::min<std::int64_t>(*last, kMaxColumns);
  if (from > to) return;
  const bool hidden = ParseXmlBoolean(attributes.Value("hidden")).value_or(false);
  const auto width = ParseXmlNumber(attributes.Value("width"));
  if (!hidden && !width) return;
  // Excel's ColumnWidth reads 0 for a hidden column.
  const double characters = hidden ? 0.0 : ColumnWidthInCharacters(*width);
  if (columnWidths_.empty()) columnWidths_.assign(static_cast<std::size_t>(kMaxColumns) + 1, -1.0);
  std::fill(columnWidths_.begin() + from, columnWidths_.begin() + to + 1, characters);
}

void CSheetReader::ReadMerge(CXmlStreamParser& parser, const XmlAttributes& attributes) {
  const std::string_view ref = attributes.Value("ref");
  const ParsedRange parsed = ParseRangeReference(ref);
  if (parsed.status != ReferenceStatus::Ok) {
    context_.warnings.Add([&] {
      return AtLine(parser) + "merged range " + Quoted(ref) +
             " is not a range on the sheet; it is left out";
    });
    return;
  }
  if (parsed.range.IsSingleCell()) return;
  if (++merges_ > context_.limits.maxMergedRanges) {
    parser.Fail("more merged ranges than the " + std::to_string(context_.limits.maxMergedRanges) +
                " allowed");
    return;
  }
  try {
    sheet_.AddMerge(parsed.range);
  } catch (const std::invalid_argument&) {
    // Overlaps an earlier merged range: Excel repairs such a file by dropping it, and so does
    // this reader.
    context_.warnings.Add([&] {
      return AtLine(parser) + "merged range " + Quoted(ref) +
             " overlaps an earlier one; it is left out";
    });
  }
}

std::string CSheetReader::Finish() {
  for (const PendingMember& member : pending_) {
    const auto master = shared_.find(member.si);
    if (master == shared_.end()) {
      context_.warnings.Add([&] {
        return AtCell(member.cell) + "shared formula group " + std::to_string(member.si) +
               " has no master cell; the cell keeps only its value";
      });
      continue;
    }
    const Cell* stored = sheet_.Find(member.cell);
    if (stored != nullptr && stored->HasFormula()) continue;
    AttachSharedMember(member.cell, master->second);
  }

  // Array members the file stores only as values, or not at all, join their array.
  std::vector<std::uint32_t> large;
  for (const std::uint32_t record : arrays_) {
    const CellRect range = sheet_.FormulaRecords()[record].range;
    if (range.CellCount() > kArrayFillLimit) {
      large.push_back(record);
      continue;
    }
    for (std::int32_t row = range.first.row; row <= range.last.row; ++row) {
      for (std::int32_t column = range.first.column; column <= range.last.column; ++column) {
        const CellCoord at{row, column};
        const Cell* stored = sheet_.Find(at);
        if (stored != nullptr && stored->HasFormula()) continue;  // The master, or a clash.
        if (stored == nullptr && !CountCell(nullptr)) {
          return "array formulas make more cells than the " +
                 std::to_string(context_.limits.maxCells) + " allowed";
        }
        sheet_.AttachFormula(at, record);
      }
    }
  }
  if (!large.empty()) {
    std::vector<std::pair<CellCoord, std::uint32_t>> joins;
    sheet_.ForEachCell([&](CellCoord at, const Cell& stored) {
      if (stored.HasFormula()) return;
      for (const std::uint32_t record : large) {
        if (sheet_.FormulaRecords()[record].range.Contains(at)) {
          joins.emplace_back(at, record);
          return;
        }
      }
    });
    for (const auto& [at, record] : joins) sheet_.AttachFormula(at, record);
  }

  if (!columnWidths_.empty()) {
    for (std::int32_t column = 1; column <= kMaxColumns; ++column) {
      const double width = columnWidths_[static_cast<std::size_t>(column)];
      if (width >= 0.0) sheet_.SetColumnWidth(column, width);
    }
  }
  return {};
}

}  // namespace spreadsheet
