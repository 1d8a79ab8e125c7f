// Where the command line's results go: standard output, or a file written beside its target
// under a temporary name and renamed over it once complete.
#pragma once

#include <filesystem>
#include <string>

// Writes the bytes; an empty `output` means standard output. Failures are reported on stderr.
bool WriteOutput(const std::string& bytes, const std::string& output);

// Whether the two paths name one existing file.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);
