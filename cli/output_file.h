// Where the command line's results go: standard output, or a file written beside its target
// under a temporary name and renamed over it once complete.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

// Writes the bytes; an empty `output` means standard output. Failures are reported on stderr,
// naming the target and why (a folder that does not exist, no permission).
bool WriteOutput(const std::string& bytes, const std::string& output);
// The same for a result that is written piece by piece, so that it is never held whole:
// `write` puts it on the stream it is given and answers whether all of it could be made.
bool WriteOutputStream(const std::function<bool(std::FILE*)>& write, const std::string& output);
// Copies a file's bytes to the stream in pieces; nothing for a file that is not there. False
// when it cannot be read or written.
bool CopyFileBytes(const std::filesystem::path& file, std::FILE* to);

// Whether the two paths name one existing file.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);
