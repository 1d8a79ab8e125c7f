// CLibreOffice: LibreOffice run headless as an independent reader of the files this system
// writes: it converts a file to another format, which the test then reads.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace test_support {

// One throwaway user profile per object, removed with it, so runs neither see nor change the
// machine's own LibreOffice settings. A conversion that has not finished in kTimeout seconds
// is killed (with the process group it started) and reported as failed.
class CLibreOffice {
 public:
  static constexpr int kTimeoutSeconds = 180;

  CLibreOffice();
  ~CLibreOffice();
  CLibreOffice(const CLibreOffice&) = delete;
  CLibreOffice& operator=(const CLibreOffice&) = delete;

  // Whether soffice is on the PATH; tests skip without it.
  static bool Available();
  // Converts `input` to `format` ("fods", "xlsx", "csv", ...) into `folder`. The converted
  // file, or nothing with `error` set.
  std::optional<std::filesystem::path> Convert(const std::filesystem::path& input,
                                               std::string_view format,
                                               const std::filesystem::path& folder,
                                               std::string& error);
  // Several files in one run of soffice (it starts once). The converted files in the order of
  // `inputs`, or nothing with `error` set when any is missing. Inputs need distinct names.
  std::optional<std::vector<std::filesystem::path>> ConvertAll(
      const std::vector<std::filesystem::path>& inputs, std::string_view format,
      const std::filesystem::path& folder, std::string& error);

 private:
  std::filesystem::path profile_;
};

}  // namespace test_support
