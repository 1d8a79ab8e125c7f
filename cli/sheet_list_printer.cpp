#include "cli/sheet_list_printer.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstddef>

#include "platform/text_encoding.h"
#include "spreadsheet/objects/a1_address.h"

namespace {

constexpr size_t kListColumnGap = 2;

std::string UsedRangeText(const SheetSummary& sheet) {
  return sheet.used ? WideToUtf8(spreadsheet::FormatRelativeA1(*sheet.used)) : std::string();
}

}  // namespace

std::string FormatSheetList(const std::vector<SheetSummary>& sheets, bool json) {
  if (json) {
    nlohmann::json list = nlohmann::json::array();
    for (const SheetSummary& sheet : sheets) {
      list.push_back({{"index", sheet.index},
                      {"name", WideToUtf8(sheet.name)},
                      {"state", WideToUtf8(sheet.state)},
                      {"usedRange",
                       sheet.used ? nlohmann::json(UsedRangeText(sheet)) : nlohmann::json(nullptr)},
                      {"formulas", sheet.formulas}});
    }
    return nlohmann::json{{"sheets", list}}.dump() + "\n";
  }
  using Line = std::array<std::string, 4>;
  std::vector<Line> lines{{"Sheet", "State", "Used range", "Formulas"}};
  for (const SheetSummary& sheet : sheets) {
    lines.push_back({WideToUtf8(sheet.name), WideToUtf8(sheet.state), UsedRangeText(sheet),
                     std::to_string(sheet.formulas)});
  }
  // Widths in code points, so that names beyond ASCII line up too.
  const auto width = [](const std::string& text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
      return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
  };
  std::array<size_t, 4> widths{};
  for (const Line& line : lines) {
    for (size_t i = 0; i < line.size(); ++i) widths[i] = std::max(widths[i], width(line[i]));
  }
  std::string out;
  for (const Line& line : lines) {
    std::string text;
    for (size_t i = 0; i < line.size(); ++i) {
      text += line[i];
      if (i + 1 < line.size()) text.append(widths[i] - width(line[i]) + kListColumnGap, ' ');
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out += text + "\n";
  }
  return out;
}
