#include "cli/cli_desktop.h"

#include "platform/text_encoding.h"

bool CCliClipboard::SetAnsiText(const std::string& bytes) {
  bytes_ = bytes;
  return true;
}

bool CCliClipboard::SetUnicodeText(const std::wstring& text) {
  bytes_ = WideToUtf8(text);
  return true;
}

int32_t CCliDesktop::ChooseFromColorMenu(const std::vector<ColorMenuItem>& items, bool) {
  colorMenu_ = items;
  if (!colorChoice_) return 0;
  for (const ColorMenuItem& item : items) {
    if (item.id == *colorChoice_) return item.id;
  }
  return 0;
}

std::optional<std::pair<uint32_t, uintptr_t>> CCliDesktop::TakePosted() {
  if (posted_.empty()) return std::nullopt;
  const auto next = posted_.front();
  posted_.pop_front();
  return next;
}
