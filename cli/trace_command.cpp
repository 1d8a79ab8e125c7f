#include "cli/trace_command.h"

#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>
#include <vector>

#include "cli/json_printer.h"
#include "cli/tree_printer.h"
#include "cli/workbook_session.h"
#include "platform/text_encoding.h"
#include "views/trace_filler.h"
#include "views/trace_tree.h"

namespace {

namespace fs = std::filesystem;

const wchar_t* KindTitle(TraceKind kind) {
  switch (kind) {
    case TraceKind::kDependents:
      return L"Dependents of ";
    case TraceKind::kInputs:
      return L"Inputs of ";
    case TraceKind::kTraceError:
      return L"Error trace of ";
    case TraceKind::kErrorCells:
      return L"Error cells of ";
    case TraceKind::kCalculationChain:
      return L"Calculation chain of ";
    default:
      return L"Precedents of ";
  }
}

// Stop also comes from Ctrl-C, but expand all clears the Stop request before it returns; the
// interrupt handler puts the default action back, which outlives that.
bool Interrupted() {
  struct sigaction current {};
  return sigaction(SIGINT, nullptr, &current) == 0 && current.sa_handler == SIG_DFL;
}

// Opens `levels` levels below the top, one level at a time.
void ExpandLevels(CTraceTree& tree, const TraceView& view, int levels) {
  std::vector<TreeItem> level = ChildItems(tree, tree.Root());
  for (int depth = 0; depth < levels && !level.empty(); ++depth) {
    std::vector<TreeItem> next;
    for (const TreeItem item : level) {
      if (ChildrenNotReady(view, item)) tree.Expand(item);
      for (const TreeItem child : ChildItems(tree, item)) next.push_back(child);
    }
    level = std::move(next);
  }
}

bool WriteOutput(const std::string& text, const std::string& output) {
  if (output.empty()) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0;
  }
  const fs::path target(output);
  const fs::path temporary =
      fs::path(target).concat(".tmp" + std::to_string(static_cast<long>(getpid())));
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!file.flush()) {
      std::fprintf(stderr, "trelvane: cannot write %s\n", temporary.string().c_str());
      return false;
    }
  }
  std::error_code error;
  fs::rename(temporary, target, error);
  if (error) {
    fs::remove(temporary, error);
    std::fprintf(stderr, "trelvane: cannot write %s\n", output.c_str());
    return false;
  }
  return true;
}

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::equivalent(a, b, error) && !error;
}

}  // namespace

int RunTraceCommand(const TraceOptions& options) {
  const bool watching = !Interrupted();
  const fs::path input(options.workbook);
  if (!options.output.empty() && SameFile(input, options.output)) {
    std::fprintf(stderr, "trelvane: the output would overwrite the workbook %s\n",
                 options.workbook.c_str());
    return kExitUsage;
  }
  std::wstring error;
  std::unique_ptr<CWorkbookSession> session = CWorkbookSession::Open(input, &error);
  if (!session) {
    std::fprintf(stderr, "trelvane: %s\n", WideToUtf8(error).c_str());
    return kExitUnreadable;
  }

  CellReference root;
  std::wstring subject = session->WorkbookName();
  if (!IsFlatListKind(options.kind)) {
    const std::optional<CellPos> cell = session->ResolveCell(Utf8ToWide(options.cell));
    if (!cell) {
      std::fprintf(stderr, "trelvane: no such cell in %s: %s\n", options.workbook.c_str(),
                   options.cell.c_str());
      return kExitUsage;
    }
    root.first = *cell;
    root.last = *cell;
    subject = Utf8ToWide(options.cell) + L" in " + subject;
  }

  CTraceTree tree;
  CTraceFiller filler(session->Container(), tree);
  const TraceView view{KindTitle(options.kind) + subject, &tree, &filler, &session->Container()};
  tree.SetExpandingHandler([&filler](TreeItem item) { filler.ExpandOnDemand(item); });
  filler.SetRoot(root, options.kind);
  filler.Fill();
  const TreeItem top = tree.FirstChild(tree.Root());
  if (!IsFlatListKind(options.kind) && top != kNoItem && !(watching && Interrupted())) {
    if (options.depth) {
      ExpandLevels(tree, view, *options.depth);
    } else if (options.kind != TraceKind::kTraceError) {  // Fill expands that one fully
      tree.Select(top);
      filler.ExpandAll();
    }
  }

  const std::string text =
      options.format == TraceFormat::kJson ? PrintTraceJson(view) : PrintTraceTree(view);
  if (!WriteOutput(text, options.output)) return 1;
  return watching && Interrupted() ? kExitInterrupted : 0;
}
