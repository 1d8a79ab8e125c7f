// CCliDesktop: the desktop of the command line. Messages are kept for standard error, posted
// commands wait in a queue that the runner hands back to the manager, a window that opens is
// kept as a request for the printers, the clipboard is a buffer the runner writes out, and the
// recent items live in a settings file only when the environment names one.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "addin/desktop.h"
#include "addin/file_settings_store.h"
#include "addin/recent_items.h"
#include "cli/terminal_progress.h"

// The settings file of the command line. TRELVANE_SETTINGS names it; set but empty, it is the
// usual place, $XDG_CONFIG_HOME/trelvane/settings or else ~/.config/trelvane/settings. Unset
// (or with no usual place to be found): none, so that a run never writes into the user's home
// unasked.
std::optional<std::filesystem::path> SettingsFileFromEnvironment();

class CCliClipboard : public IClipboard {
 public:
  bool SetAnsiText(const std::string& bytes) override;
  bool SetUnicodeText(const std::wstring& text) override;
  // What was put there last, as the bytes the command line prints: ANSI text as it is, Unicode
  // text as UTF-8. Nothing before the first put.
  const std::optional<std::string>& Bytes() const { return bytes_; }

 private:
  std::optional<std::string> bytes_;
};

class CCliDesktop : public IAddInDesktop {
 public:
  // `colorChoice` answers the colour menu; without one the menu's items are only recorded.
  explicit CCliDesktop(std::optional<int32_t> colorChoice = std::nullopt, bool showProgress = false)
      : colorChoice_(colorChoice), progress_(showProgress) {
    if (auto file = SettingsFileFromEnvironment()) {
      settings_ = std::make_unique<CFileSettingsStore>(std::move(*file));
    }
  }

  void ShowMessage(const std::wstring& text) override { messages_.push_back(text); }
  void PressEscape() override {}
  void PostToHiddenWindow(uint32_t message, uintptr_t wParam) override {
    posted_.emplace_back(message, wParam);
  }
  bool EnsureUiThread() override { return true; }
  void OpenWindow(const WindowRequest& request) override { windows_.push_back(request); }
  int32_t ChooseFromColorMenu(const std::vector<ColorMenuItem>& items,
                              const std::optional<ToolbarButtonPlace>& button) override;
  IClipboard& Clipboard() override { return clipboard_; }
  void InvalidateRecentItems() override {}
  // No command of the command line shows the recent-items popup.
  int32_t ChooseFromRecentItemsMenu(const std::vector<std::wstring>&) override { return 0; }
  void OpenAddress(const std::wstring& address) override { addresses_.push_back(address); }
  void ShowAbout() override {}
  // The command line has no windows to close.
  void CloseWindowManager() override {}
  IOperationProgress& Progress() override { return progress_; }
  IExcelThread& ExcelThread() override { return excelThread_; }

  // The oldest posted message, if any, taken off the queue.
  std::optional<std::pair<uint32_t, uintptr_t>> TakePosted();
  const std::vector<std::wstring>& Messages() const { return messages_; }
  const std::vector<WindowRequest>& Windows() const { return windows_; }
  // The items of the last colour menu shown; nothing when none was.
  const std::optional<std::vector<ColorMenuItem>>& ColorMenu() const { return colorMenu_; }
  const CCliClipboard& ClipboardContents() const { return clipboard_; }
  const std::vector<std::wstring>& Addresses() const { return addresses_; }
  // The store the recent items are loaded from and saved to; null when the environment names
  // no settings file.
  ISettingsStore* Settings() { return settings_.get(); }
  // The recent items' debug trace: standard error, a line each, when TRELVANE_TRACE is set and
  // not empty; else nowhere.
  TraceSink Trace() const;

 private:
  std::optional<int32_t> colorChoice_;
  std::vector<std::wstring> messages_;
  std::deque<std::pair<uint32_t, uintptr_t>> posted_;
  std::vector<WindowRequest> windows_;
  std::optional<std::vector<ColorMenuItem>> colorMenu_;
  CCliClipboard clipboard_;
  std::vector<std::wstring> addresses_;
  CTerminalProgress progress_;
  CCallerIsExcelThread excelThread_;
  std::unique_ptr<CFileSettingsStore> settings_;
};
