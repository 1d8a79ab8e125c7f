// Reading the entries of a zip package (a .xlsx file) in tests.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

// The names of the entries, in the archive's order; empty when it cannot be opened.
std::vector<std::string> ZipEntryNames(const std::filesystem::path& archive);
// One entry's bytes, or nothing when the archive or the entry is missing.
std::optional<std::string> ReadZipEntry(const std::filesystem::path& archive,
                                        const std::string& name);

}  // namespace test_support
