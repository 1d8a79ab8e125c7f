#include "cli/cli_desktop.h"

#include <cstdio>
#include <cstdlib>

#include "platform/text_encoding.h"

namespace {

// Set and not empty.
const char* Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

}  // namespace

std::optional<std::filesystem::path> SettingsFileFromEnvironment() {
  const char* named = std::getenv("TRELVANE_SETTINGS");
  if (named == nullptr) return std::nullopt;
  if (*named != '\0') return std::filesystem::path(named);
  // A relative XDG_CONFIG_HOME is to be ignored, as the base-directory convention says.
  if (const char* config = Variable("XDG_CONFIG_HOME");
      config != nullptr && std::filesystem::path(config).is_absolute()) {
    return std::filesystem::path(config) / "trelvane" / "settings";
  }
  if (const char* home = Variable("HOME")) {
    return std::filesystem::path(home) / ".config" / "trelvane" / "settings";
  }
  return std::nullopt;
}

TraceSink CCliDesktop::Trace() const {
  if (Variable("TRELVANE_TRACE") == nullptr) return {};
  // The lines begin with their line feed, as the debugger output shows them; a terminal wants
  // it at the end.
  return [](const std::wstring& line) {
    const std::wstring_view text =
        !line.empty() && line.front() == L'\n' ? std::wstring_view(line).substr(1) : line;
    std::fprintf(stderr, "%s\n", WideToUtf8(text).c_str());
  };
}

bool CCliClipboard::SetAnsiText(const std::string& bytes) {
  bytes_ = bytes;
  return true;
}

bool CCliClipboard::SetUnicodeText(const std::wstring& text) {
  bytes_ = WideToUtf8(text);
  return true;
}

int32_t CCliDesktop::ChooseFromColorMenu(const std::vector<ColorMenuItem>& items,
                                         const std::optional<ToolbarButtonPlace>&) {
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
