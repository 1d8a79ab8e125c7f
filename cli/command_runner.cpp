// Each command selects what the user named, runs the ribbon's command through the command
// handlers, lets the posted commands arrive as the hidden window would, and prints the window
// that opened.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "addin/addin_manager.h"
#include "cli/cli_desktop.h"
#include "cli/color_menu_printer.h"
#include "cli/command_line.h"
#include "cli/command_table.h"
#include "cli/exit_codes.h"
#include "cli/json_printer.h"
#include "cli/output_file.h"
#include "cli/sheet_list_printer.h"
#include "cli/tree_printer.h"
#include "cli/window_view.h"
#include "cli/workbook_session.h"
#include "export/branch_storage_sheet.h"
#include "export/format_branch.h"
#include "export/path_writer.h"
#include "export/style_list.h"
#include "formula/text_compare.h"
#include "platform/text_encoding.h"

namespace {

namespace fs = std::filesystem;

void PrintMessages(const std::vector<std::wstring>& messages) {
  for (const std::wstring& message : messages) {
    std::fprintf(stderr, "%s\n", WideToUtf8(message).c_str());
  }
}

class CCommandRun {
 public:
  CCommandRun(const CommandLine& line, CWorkbookSession& session)
      : line_(line),
        session_(session),
        desktop_(line.colorIndex, line.showProgress),
        manager_(session.Application(), desktop_) {
    // As Excel connects the add-in: OFFSET and INDIRECT then resolve to their targets.
    manager_.Attach(session.Application());
    if (ISettingsStore* settings = desktop_.Settings()) {
      manager_.LoadRecentItems(*settings, desktop_.Trace());
    }
  }
  // As Excel shuts down: the recent items, this run's trace among them, are saved.
  ~CCommandRun() {
    if (ISettingsStore* settings = desktop_.Settings()) {
      manager_.SaveRecentItems(*settings, desktop_.Trace());
    }
  }
  CCommandRun(const CCommandRun&) = delete;
  CCommandRun& operator=(const CCommandRun&) = delete;

  int Run() {
    const CommandEntry* entry = FindCommand(line_.command);
    if (entry == nullptr) {
      std::fprintf(stderr, "trelvane: unknown command %s\n", line_.command.c_str());
      return kExitUsage;
    }
    if (entry->ribbon) return RunRibbonCommand(*entry->ribbon, TakesCell(*entry));
    switch (entry->arguments) {
      case Arguments::kSheets:
        return RunSheets();
      case Arguments::kPath:
        return RunPath();
      case Arguments::kStyle:
        return RunStyle();
      default:
        return kExitUsage;  // every other command is the ribbon's
    }
  }

 private:
  bool SelectNamed(const std::string& text) {
    const std::wstring wide = Utf8ToWide(text);
    if (session_.Select(wide)) return true;
    std::fprintf(stderr, "trelvane: %s\n", WideToUtf8(session_.DescribeUnresolved(wide)).c_str());
    return false;
  }

  // The ribbon's command, then the hidden window's turn.
  void Execute(CommandId command) {
    manager_.ExecuteCommand(static_cast<int32_t>(command));
    while (const auto posted = desktop_.TakePosted()) {
      manager_.OnPostedMessage(posted->first, posted->second);
    }
  }

  // The workbook as the commands left it, into another file.
  bool SaveCopy(const std::string& path) const {
    std::wstring error;
    if (session_.SaveCopy(path, &error)) return true;
    std::fprintf(stderr, "trelvane: %s\n", WideToUtf8(error).c_str());
    return false;
  }

  int Finish(int code) const {
    return code == 0 && CTerminalProgress::Interrupted() ? kExitInterrupted : code;
  }

  int RunRibbonCommand(CommandId command, bool takesCell) {
    if (takesCell && !SelectNamed(line_.cell)) return kExitUsage;
    if (command == CommandId::kTranspose) return RunTranspose();
    Execute(command);
    if (!desktop_.Messages().empty()) {
      PrintMessages(desktop_.Messages());
      return kExitMessage;
    }
    if (command == CommandId::kCopyAddress) return PrintClipboard();
    if ((command == CommandId::kFilterByFillColor || command == CommandId::kFilterByFontColor) &&
        desktop_.Windows().empty()) {
      return PrintColorMenu();
    }
    if (desktop_.Windows().empty()) return kExitMessage;
    return Show(desktop_.Windows().back());
  }

  int Show(const WindowRequest& request) {
    std::unique_ptr<IOpenedWindow> window =
        OpenWindowFor(request, {line_.highlightErrors, line_.filterErrors});
    // The saved branch walks the workbook itself from the top item; only the printed formats
    // need the tree opened.
    if (line_.format != OutputFormat::kBranch && !CTerminalProgress::Interrupted()) {
      window->Expand(line_.depth);
    }
    if (!line_.saveSheet.empty()) {
      window->SaveBranchOnSheet();
      if (!SaveCopy(line_.saveSheet)) return kExitMessage;
    }
    bool written = false;
    switch (line_.format) {
      case OutputFormat::kJson:
        written = WriteOutputStream(
            [&window](std::FILE* to) { return PrintTraceJson(window->View(), to); }, line_.output);
        break;
      case OutputFormat::kJsonLines:
        written = WriteOutputStream(
            [&window](std::FILE* to) { return PrintTraceJsonLines(window->View(), to); },
            line_.output);
        break;
      case OutputFormat::kBranch:
        // The saved text file as it is; highlighting is the window's drawing, not the file's.
        written = window->WriteBranch(line_.output);
        break;
      case OutputFormat::kTree:
        written = WriteOutputStream(
            [&window, colour = line_.output.empty() && StdoutTakesColour()](std::FILE* to) {
              return PrintTraceTree(window->View(), to, colour);
            },
            line_.output);
        break;
    }
    if (!written) return kExitMessage;
    return Finish(0);
  }

  // The sheets of the workbook, hidden ones too, with what each holds.
  int RunSheets() const {
    const std::vector<SheetSummary> sheets = session_.Sheets();
    return WriteOutput(FormatSheetList(sheets, IsJson(line_.format)), line_.output)
               ? 0
               : kExitMessage;
  }

  int PrintColorMenu() const {
    if (line_.colorIndex) {
      std::fprintf(stderr, "trelvane: no cells of colour index %d\n", *line_.colorIndex);
      return kExitMessage;
    }
    const std::vector<ColorMenuItem> items =
        desktop_.ColorMenu().value_or(std::vector<ColorMenuItem>{});
    return WriteOutput(FormatColorMenu(items, IsJson(line_.format)), line_.output)
               ? 0
               : kExitMessage;
  }

  int PrintClipboard() const {
    const std::optional<std::string>& bytes = desktop_.ClipboardContents().Bytes();
    if (!bytes) return kExitMessage;
    if (IsJson(line_.format)) {
      return WriteOutput(PrintAddressJson(*bytes), line_.output) ? 0 : kExitMessage;
    }
    return WriteOutput(line_.output.empty() ? *bytes + "\n" : *bytes, line_.output) ? 0
                                                                                    : kExitMessage;
  }

  int RunTranspose() {
    if (line_.output.empty()) {
      std::fprintf(stderr, "trelvane: transpose needs --output OUT.xlsx\n");
      return kExitUsage;
    }
    Execute(CommandId::kTranspose);
    if (!SaveCopy(line_.output)) return kExitMessage;
    PrintMessages(desktop_.Messages());
    return desktop_.Messages().empty() ? 0 : kExitMessage;
  }

  // The trace of --kind on the root cell, opened as the ribbon opens it.
  std::unique_ptr<CTraceWindowView> OpenKindTrace() {
    if (!SelectNamed(line_.cell)) return nullptr;
    const CommandId command = line_.kind == "dependents" ? CommandId::kShowDependents
                              : line_.kind == "inputs"   ? CommandId::kShowInputs
                                                         : CommandId::kShowPrecedents;
    Execute(command);
    PrintMessages(desktop_.Messages());
    if (!desktop_.Messages().empty() || desktop_.Windows().empty()) return nullptr;
    return std::make_unique<CTraceWindowView>(
        desktop_.Windows().back(), WindowSwitches{line_.highlightErrors, line_.filterErrors});
  }

  // The style STYLE names: its number in the workbook's list (from 1) or its name.
  std::optional<int32_t> StyleIndex(const ExcelObject& workbook) const {
    const std::vector<std::wstring> names = ReadStyleNames(workbook);
    const std::wstring wanted = Utf8ToWide(line_.second);
    for (size_t i = 0; i < names.size(); ++i) {
      if (!names[i].empty() && EqualsNoCase(names[i], wanted)) return static_cast<int32_t>(i + 1);
    }
    char* end = nullptr;
    const long number = std::strtol(line_.second.c_str(), &end, 10);
    if (end != line_.second.c_str() && *end == '\0' && number >= 1 &&
        number <= static_cast<long>(names.size())) {
      return static_cast<int32_t>(number);
    }
    std::string known;
    for (const std::wstring& name : names) known += (known.empty() ? "" : ", ") + WideToUtf8(name);
    std::fprintf(stderr, "trelvane: no style %s in %s; it has %s\n", line_.second.c_str(),
                 line_.workbook.c_str(), known.c_str());
    return std::nullopt;
  }

  // Format branch (1040 + i) or, with --path-to, format path (1140 + i), into a copy.
  int RunStyle() {
    if (line_.output.empty()) {
      std::fprintf(stderr, "trelvane: style needs --output OUT.xlsx\n");
      return kExitUsage;
    }
    ExcelObject workbook;
    if (!session_.Application().GetObject(L"ActiveWorkbook", &workbook)) return kExitMessage;
    const std::optional<int32_t> style = StyleIndex(workbook);
    if (!style) return kExitUsage;
    std::unique_ptr<CTraceWindowView> window = OpenKindTrace();
    if (!window) return kExitMessage;
    const std::wstring styleName = StyleNameAt(workbook, *style);
    CDependencyContainer& container = *window->Request().container;
    if (line_.pathTo.empty()) {
      const CellReference* top =
          window->Filler().ReferenceOf(window->Tree().FirstChild(window->Tree().Root()));
      if (top != nullptr) FormatBranch(container, *top, window->Request().kind, styleName);
    } else {
      const TreeItem found = FindInWindow(*window, line_.pathTo);
      if (found == kNoItem) return kExitMessage;
      FormatPath(container, window->Filler().PathFromRoot(found), styleName);
    }
    if (!SaveCopy(line_.output)) return kExitMessage;
    return Finish(0);
  }

  // The trace window's find, typed with the top item selected; the item reached, or none with
  // the window's message on stderr.
  TreeItem FindInWindow(CTraceWindowView& window, const std::string& target) {
    const TreeItem top = window.Top();
    if (top == kNoItem) return kNoItem;
    window.Tree().Select(top);
    const FindResult result = window.Logic().FindText(Utf8ToWide(target));
    if (result.outcome == FindOutcome::kReached) return result.item;
    if (result.outcome == FindOutcome::kNothingToDo) {
      // The top item itself, or a cell inside its range: the path is the top alone.
      CAddressParser& parser = window.Request().container->AddressParser();
      parser.SetCurrentCell(window.Request().root.first);
      if (parser.Parse(Utf8ToWide(target)) && !parser.IsExternal()) return top;
    }
    if (!result.message.empty()) PrintMessages({result.message});
    return kNoItem;
  }

  // The trace window's find, then "Save path from root node".
  int RunPath() {
    std::unique_ptr<CTraceWindowView> window = OpenKindTrace();
    if (!window) return kExitMessage;
    const TreeItem found = FindInWindow(*window, line_.second);
    const std::vector<CellReference> path =
        found == kNoItem ? std::vector<CellReference>{} : window->Filler().PathFromRoot(found);
    CDependencyContainer& container = *window->Request().container;
    if (found != kNoItem && !line_.saveSheet.empty()) {
      CBranchStorageSheet storage;
      storage.SetContainer(&container);
      SavePath(storage, container, path);
      if (!SaveCopy(line_.saveSheet)) return kExitMessage;
    }
    std::string bytes;
    switch (line_.format) {
      case OutputFormat::kJson:
      case OutputFormat::kJsonLines:
        bytes = PrintPathJson(found != kNoItem, path);
        break;
      case OutputFormat::kBranch:
        if (found != kNoItem) bytes = PathBytes(container, path);
        break;
      case OutputFormat::kTree:
        bytes = PrintPathLines(container, path);
        break;
    }
    if (!WriteOutput(bytes, line_.output)) return kExitMessage;
    return Finish(found == kNoItem ? kExitMessage : 0);
  }

  const CommandLine& line_;
  CWorkbookSession& session_;
  CCliDesktop desktop_;
  CAddInManager manager_;
};

}  // namespace

int RunCommand(const CommandLine& line) {
  const fs::path input(line.workbook);
  std::error_code missing;
  if (!fs::is_regular_file(input, missing)) {
    std::fprintf(stderr, "trelvane: %s %s\n",
                 fs::exists(input, missing) ? "not a workbook file:" : "no such file:",
                 line.workbook.c_str());
    return kExitUnreadable;
  }
  for (const std::string* output : {&line.output, &line.saveSheet}) {
    if (!output->empty() && SameFile(input, *output)) {
      std::fprintf(stderr, "trelvane: the output would overwrite the workbook %s\n",
                   line.workbook.c_str());
      return kExitUsage;
    }
  }
  std::wstring error;
  std::unique_ptr<CWorkbookSession> session = CWorkbookSession::Open(input, &error);
  if (!session) {
    std::fprintf(stderr, "trelvane: %s\n", WideToUtf8(error).c_str());
    return kExitUnreadable;
  }
  return CCommandRun(line, *session).Run();
}
