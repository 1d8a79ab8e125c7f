// Zip entries through libzip.
#include "tests/support/zip_entries.h"

#include <zip.h>

namespace test_support {

std::vector<std::string> ZipEntryNames(const std::filesystem::path& archive) {
  std::vector<std::string> names;
  int error = 0;
  zip_t* zip = zip_open(archive.c_str(), ZIP_RDONLY, &error);
  if (zip == nullptr) return names;
  const zip_int64_t count = zip_get_num_entries(zip, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    if (const char* name = zip_get_name(zip, static_cast<zip_uint64_t>(i), 0)) {
      names.emplace_back(name);
    }
  }
  zip_close(zip);
  return names;
}

std::optional<std::string> ReadZipEntry(const std::filesystem::path& archive,
                                        const std::string& name) {
  int error = 0;
  zip_t* zip = zip_open(archive.c_str(), ZIP_RDONLY, &error);
  if (zip == nullptr) return std::nullopt;
  std::optional<std::string> bytes;
  zip_stat_t stat;
  if (zip_stat(zip, name.c_str(), 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE) != 0) {
    if (zip_file_t* file = zip_fopen(zip, name.c_str(), 0)) {
      std::string data(stat.size, '\0');
      if (zip_fread(file, data.data(), stat.size) == static_cast<zip_int64_t>(stat.size)) {
        bytes = std::move(data);
      }
      zip_fclose(file);
    }
  }
  zip_close(zip);
  return bytes;
}

}  // namespace test_support
