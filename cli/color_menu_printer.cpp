#include "cli/color_menu_printer.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>

#include "platform/text_encoding.h"

namespace {

// Excel keeps colours as 0x00BBGGRR; people read #RRGGBB.
std::string HexColor(int32_t color) {
  const auto value = static_cast<uint32_t>(color);
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", value & 0xFFu, (value >> 8) & 0xFFu,
                (value >> 16) & 0xFFu);
  return text;
}

}  // namespace

std::string FormatColorMenu(const std::vector<ColorMenuItem>& items, bool json) {
  if (json) {
    nlohmann::json array = nlohmann::json::array();
    for (const ColorMenuItem& item : items) {
      array.push_back(
          {{"index", item.id}, {"text", WideToUtf8(item.text)}, {"rgb", HexColor(item.color)}});
    }
    return array.dump() + "\n";
  }
  std::string out;
  for (const ColorMenuItem& item : items) {
    out += std::to_string(item.id) + "  " + WideToUtf8(item.text) + "  " + HexColor(item.color) +
           "\n";
  }
  return out;
}
