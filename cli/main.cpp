// trelvane: audits the formulas of .xlsx workbooks from the command line.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <memory>

#include "cli/terminal_progress_display.h"

int main(int argc, char** argv) {
  try {
    CLI::App app{"Trelvane: formula auditing for Excel workbooks", "trelvane"};
    app.set_version_flag("--version", std::string("trelvane ") + TRELVANE_VERSION);
    app.require_subcommand(0, 1);
    CLI11_PARSE(app, argc, argv);
    SetProgressDisplayFactory([] { return std::make_unique<CTerminalProgressDisplay>(); });
    CTerminalProgressDisplay::InstallInterruptHandler();
    if (argc == 1) std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "trelvane: %s\n", error.what());
    return 1;
  }
}
