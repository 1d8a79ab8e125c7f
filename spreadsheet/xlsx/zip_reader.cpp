// Read-only zip access through libzip, with the inflation bounds checked piece by piece.
#include "spreadsheet/xlsx/zip_reader.h"

#include <zip.h>

#include <array>
#include <cctype>
#include <cstring>
#include <fstream>
#include <vector>

namespace spreadsheet {
namespace {

// Bytes inflated per call: big enough that libzip and expat run at full speed, small enough that
// a bomb overshoots a bound by no more than this.
constexpr std::size_t kPieceSize = 256 * 1024;

bool IsOleCompoundFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::array<unsigned char, 8> head{};
  in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  constexpr std::array<unsigned char, 8> kOle = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  return in.gcount() == static_cast<std::streamsize>(head.size()) && head == kOle;
}

std::string ZipErrorText(int code) {
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  std::string text = zip_error_strerror(&error);
  zip_error_fini(&error);
  return text;
}

// An entry name as a part name: "/" for "\", no leading "/", lower case (part names compare
// without regard to case).
std::string SlashName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (const char c : name) {
    const char slash = c == '\\' ? '/' : c;
    if (slash == '/' && out.empty()) continue;
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(slash)));
  }
  return out;
}

struct FileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

}  // namespace

std::unique_ptr<CZipReader> CZipReader::Open(const std::filesystem::path& path,
                                             const XlsxReadLimits& limits, std::string& error) {
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
  if (archive == nullptr) {
    if (code == ZIP_ER_NOZIP && IsOleCompoundFile(path)) {
      error = "an OLE compound file (a legacy .xls workbook, or an encrypted one), not an .xlsx "
              "package";
    } else if (code == ZIP_ER_NOZIP) {
      error = "not a zip archive, so not an .xlsx package";
    } else {
      error = "cannot open as a zip archive: " + ZipErrorText(code);
    }
    return nullptr;
  }
  std::unique_ptr<CZipReader> reader(new CZipReader(archive, limits));
  const zip_int64_t entries = zip_get_num_entries(archive, 0);
  if (entries < 0 || static_cast<std::uint64_t>(entries) > limits.maxZipEntries) {
    error = "the zip directory lists " + std::to_string(entries) + " entries, more than the " +
            std::to_string(limits.maxZipEntries) + " allowed";
    return nullptr;
  }
  error = reader->IndexBackslashNames(static_cast<std::uint64_t>(entries));
  if (!error.empty()) return nullptr;
  return reader;
}

std::string CZipReader::IndexBackslashNames(std::uint64_t entries) {
  for (std::uint64_t i = 0; i < entries && backslashName_.empty(); ++i) {
    const char* name = zip_get_name(archive_, i, 0);
    if (name != nullptr && std::strchr(name, '\\') != nullptr) backslashName_ = name;
  }
  if (backslashName_.empty()) return {};
  slashNames_.reserve(static_cast<std::size_t>(entries));
  for (std::uint64_t i = 0; i < entries; ++i) {
    const char* name = zip_get_name(archive_, i, 0);
    const std::size_t length = name == nullptr ? 0 : std::strlen(name);
    // Folder entries hold no part.
    if (length == 0 || name[length - 1] == '/' || name[length - 1] == '\\') continue;
    const auto [at, added] = slashNames_.emplace(SlashName(name), i);
    if (added) continue;
    const char* other = zip_get_name(archive_, at->second, 0);
    // Names apart only in case and written with "/" are the archive's own business, found as
    // before (the exact name first); a backslash name that meets another is not.
    if (std::strchr(name, '\\') == nullptr && other != nullptr &&
        std::strchr(other, '\\') == nullptr) {
      continue;
    }
    return std::string("the zip entries \"") + (other != nullptr ? other : "") + "\" and \"" +
           name + "\" name the same part once \"\\\" is read as \"/\", so the package is "
           "ambiguous";
  }
  return {};
}

CZipReader::~CZipReader() { zip_discard(archive_); }

std::int64_t CZipReader::Locate(std::string_view name) const {
  const std::string key(name);
  zip_int64_t index = zip_name_locate(archive_, key.c_str(), 0);
  if (index < 0 && !slashNames_.empty()) {
    const auto found = slashNames_.find(SlashName(name));
    if (found != slashNames_.end()) index = static_cast<zip_int64_t>(found->second);
  }
  if (index < 0) index = zip_name_locate(archive_, key.c_str(), ZIP_FL_NOCASE);
  return index;
}

bool CZipReader::Has(std::string_view name) const { return Locate(name) >= 0; }

std::string CZipReader::Read(std::string_view name, const Sink& sink) {
  const zip_int64_t index = Locate(name);
  if (index < 0) return "missing part";
  const auto entry = static_cast<zip_uint64_t>(index);
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(archive_, entry, 0, &stat) != 0) return "damaged zip entry";
  if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 && stat.encryption_method != ZIP_EM_NONE) {
    return "encrypted zip entry";
  }
  const std::uint64_t compressed = (stat.valid & ZIP_STAT_COMP_SIZE) != 0 ? stat.comp_size : 0;
  const auto tooBig = [&](std::uint64_t inflated) -> std::string {
    if (inflated > limits_.maxPartSize) {
      return "part inflates past the limit of " + std::to_string(limits_.maxPartSize) + " bytes";
    }
    if (inflatedTotal_ + inflated > limits_.maxUncompressedTotal) {
      return "package inflates past the limit of " +
             std::to_string(limits_.maxUncompressedTotal) + " bytes in all";
    }
    if (inflated > limits_.ratioCheckFloor &&
        inflated / std::max<std::uint64_t>(compressed, 1) >= limits_.maxCompressionRatio) {
      return "compression ratio above " + std::to_string(limits_.maxCompressionRatio) +
             " to 1 (a zip bomb)";
    }
    return {};
  };
  // The directory's own claim is judged first; the bytes actually inflated are judged as they
  // come, since the claim may lie.
  if ((stat.valid & ZIP_STAT_SIZE) != 0) {
    if (std::string refused = tooBig(stat.size); !refused.empty()) return refused;
  }
  std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen_index(archive_, entry, 0));
  if (file == nullptr) return "cannot inflate: " + std::string(zip_strerror(archive_));
  std::vector<char> piece(kPieceSize);
  std::uint64_t inflated = 0;
  for (;;) {
    const zip_int64_t got = zip_fread(file.get(), piece.data(), piece.size());
    if (got < 0) return "damaged zip entry: " + std::string(zip_file_strerror(file.get()));
    if (got == 0) break;
    inflated += static_cast<std::uint64_t>(got);
    if (std::string refused = tooBig(inflated); !refused.empty()) return refused;
    if (!sink({piece.data(), static_cast<std::size_t>(got)})) {
      inflatedTotal_ += inflated;
      return {};
    }
  }
  inflatedTotal_ += inflated;
  return {};
}

}  // namespace spreadsheet
