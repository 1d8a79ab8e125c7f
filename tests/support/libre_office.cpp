// Running soffice --headless --convert-to.
#include "tests/support/libre_office.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

extern char** environ;

namespace test_support {
namespace {

std::optional<std::filesystem::path> FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return std::nullopt;
  std::string_view rest(path);
  while (!rest.empty()) {
    const auto colon = rest.find(':');
    const std::filesystem::path candidate =
        std::filesystem::path(std::string(rest.substr(0, colon))) / program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
  }
  return std::nullopt;
}

}  // namespace

CLibreOffice::CLibreOffice() {
  std::string pattern = (std::filesystem::temp_directory_path() / "trelvane-lo-XXXXXX").string();
  if (::mkdtemp(pattern.data()) != nullptr) profile_ = pattern;
}

CLibreOffice::~CLibreOffice() {
  std::error_code ignored;
  if (!profile_.empty()) std::filesystem::remove_all(profile_, ignored);
}

bool CLibreOffice::Available() {
  return FindOnPath("soffice").has_value();
}

std::optional<std::filesystem::path> CLibreOffice::Convert(const std::filesystem::path& input,
                                                           std::string_view format,
                                                           const std::filesystem::path& folder,
                                                           std::string& error) {
  auto converted = ConvertAll({input}, format, folder, error);
  if (!converted) return std::nullopt;
  return converted->front();
}

std::optional<std::vector<std::filesystem::path>> CLibreOffice::ConvertAll(
    const std::vector<std::filesystem::path>& inputs, std::string_view format,
    const std::filesystem::path& folder, std::string& error) {
  const auto soffice = FindOnPath("soffice");
  if (!soffice) {
    error = "soffice is not on the PATH";
    return std::nullopt;
  }
  if (profile_.empty()) {
    error = "no temporary profile folder";
    return std::nullopt;
  }
  std::vector<std::string> arguments = {
      soffice->string(), "--headless",
      "--norestore",     "-env:UserInstallation=file://" + profile_.string(),
      "--convert-to",    std::string(format),
      "--outdir",        folder.string()};
  for (const auto& input : inputs) arguments.push_back(input.string());
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);  // Its own group, so a timeout ends its children.
  pid_t child = 0;
  const int spawned =
      posix_spawn(&child, soffice->c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) {
    error = "soffice could not be started";
    return std::nullopt;
  }

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kTimeoutSeconds);
  int status = 0;
  while (true) {
    const pid_t done = ::waitpid(child, &status, WNOHANG);
    if (done == child) break;
    if (done < 0) {
      error = "lost the soffice process";
      return std::nullopt;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(-child, SIGKILL);
      ::waitpid(child, &status, 0);
      error = "soffice did not finish in time";
      return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    error = "soffice failed";
    return std::nullopt;
  }
  std::vector<std::filesystem::path> outputs;
  for (const auto& input : inputs) {
    auto output = folder / input.filename();
    output.replace_extension(std::string(".") + std::string(format));
    if (!std::filesystem::exists(output)) {
      error = "soffice wrote no " + output.filename().string() + " (it could not read the input)";
      return std::nullopt;
    }
    outputs.push_back(std::move(output));
  }
  return outputs;
}

}  // namespace test_support
