// The zip package writer over libzip, with the temporary file and the final rename.
#include "spreadsheet/xlsx/zip_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <random>

#include "platform/text_encoding.h"

namespace spreadsheet {

// One part as libzip pulls it: rendered when libzip first asks for its size, released as soon
// as libzip has read it (and rendered again should libzip read it twice).
struct ZipPartSource {
  ZipPartSource() { zip_error_init(&error); }
  ~ZipPartSource() { zip_error_fini(&error); }
  ZipPartSource(const ZipPartSource&) = delete;
  ZipPartSource& operator=(const ZipPartSource&) = delete;

  PartRenderer render;
  std::time_t modified = 0;
  std::string data;
  bool rendered = false;  // `data` holds the part.
  bool sized = false;     // `size` is known.
  std::uint64_t size = 0;
  std::uint64_t offset = 0;
  zip_error_t error;
  std::wstring failure;  // Why rendering failed; libzip only learns that it did.

  bool Render() {
    if (rendered) return true;
    try {
      data.clear();
      render(data);
      rendered = true;
      sized = true;
      size = data.size();
      return true;
    } catch (const std::bad_alloc&) {
      failure = L"out of memory";
    } catch (const std::exception& exception) {
      failure = Utf8ToWide(exception.what());
    } catch (...) {  // Nothing may unwind into libzip.
      failure = L"a part could not be written";
    }
    zip_error_set(&error, ZIP_ER_INTERNAL, 0);
    return false;
  }
};

namespace {

constexpr int kCompressionLevel = 3;
// Attempts at a fresh temporary name before giving up; clashes need a leftover or a race.
constexpr int kTemporaryNameAttempts = 16;

zip_int64_t PartCallback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
  auto& part = *static_cast<ZipPartSource*>(state);
  switch (command) {
    case ZIP_SOURCE_OPEN:
      part.offset = 0;
      return part.Render() ? 0 : -1;
    case ZIP_SOURCE_READ: {
      if (!part.rendered) {
        zip_error_set(&part.error, ZIP_ER_INTERNAL, 0);
        return -1;
      }
      const std::uint64_t left = part.data.size() - part.offset;
      const std::uint64_t count = length < left ? length : left;
      std::memcpy(data, part.data.data() + part.offset, count);
      part.offset += count;
      return static_cast<zip_int64_t>(count);
    }
    case ZIP_SOURCE_CLOSE:
      std::string().swap(part.data);
      part.rendered = false;
      return 0;
    case ZIP_SOURCE_STAT: {
      if (!part.sized && !part.Render()) return -1;
      auto* stat = static_cast<zip_stat_t*>(data);
      zip_stat_init(stat);
      stat->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
      stat->size = part.size;
      stat->mtime = part.modified;
      return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&part.error, data, length);
    case ZIP_SOURCE_FREE:
      return 0;
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                            ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
      zip_error_set(&part.error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

std::wstring ErrnoText(int number) {
  return Utf8ToWide(std::strerror(number));
}

// Flushes a file (or folder) to the disk; best effort for folders, where some file systems
// refuse.
bool Sync(const std::filesystem::path& path, bool directory) {
  const int descriptor = ::open(path.c_str(), (directory ? O_DIRECTORY : 0) | O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return directory;
  const bool synced = ::fsync(descriptor) == 0 || directory;
  ::close(descriptor);
  return synced;
}

}  // namespace

CZipWriter::CZipWriter(std::filesystem::path target)
    : target_(std::move(target)), modified_(std::time(nullptr)) {}

CZipWriter::~CZipWriter() {
  if (!committed_) Discard();
}

std::wstring CZipWriter::Failure(const std::wstring& what) const {
  return L"Cannot write \"" + Utf8ToWide(target_.string()) + L"\": " + what;
}

void CZipWriter::Discard() {
  if (archive_ != nullptr) {
    zip_discard(archive_);
    archive_ = nullptr;
  }
  if (!temporary_.empty()) {
    std::error_code ignored;
    std::filesystem::remove(temporary_, ignored);
    temporary_.clear();
  }
}

std::wstring CZipWriter::Open() {
  std::error_code error;
  // A link is followed, so that the file it names is replaced and the link stays.
  if (std::filesystem::is_symlink(target_, error)) {
    const auto resolved = std::filesystem::weakly_canonical(target_, error);
    if (error) return Failure(L"the link cannot be followed");
    target_ = resolved;
  }
  const auto status = std::filesystem::status(target_, error);
  if (std::filesystem::exists(status)) {
    if (!std::filesystem::is_regular_file(status)) return Failure(L"it is not a regular file");
    if (::access(target_.c_str(), W_OK) != 0) return Failure(L"the file is read-only");
  }
  std::filesystem::path folder = target_.parent_path();
  if (folder.empty()) folder = ".";
  if (!std::filesystem::is_directory(folder, error)) return Failure(L"the folder does not exist");

  std::random_device random;
  for (int attempt = 0; attempt < kTemporaryNameAttempts && temporary_.empty(); ++attempt) {
    std::array<char, 16> suffix{};
    std::snprintf(suffix.data(), suffix.size(), "%08x", random());
    std::string name = ".";
    name += target_.filename().string();
    name += ".~";
    name += suffix.data();
    name += ".tmp";
    const auto candidate = folder / name;
    const int descriptor = ::open(candidate.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (descriptor < 0) {
      if (errno == EEXIST) continue;
      return Failure(ErrnoText(errno));
    }
    struct stat created {};
    if (::fstat(descriptor, &created) == 0) createdMode_ = created.st_mode & 07777;
    ::close(descriptor);
    temporary_ = candidate;
  }
  if (temporary_.empty()) return Failure(L"no temporary file name is free");

  int zipError = 0;
  archive_ = zip_open(temporary_.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &zipError);
  if (archive_ == nullptr) {
    zip_error_t details;
    zip_error_init_with_code(&details, zipError);
    std::wstring text = Utf8ToWide(zip_error_strerror(&details));
    zip_error_fini(&details);
    Discard();
    return Failure(text);
  }
  return {};
}

std::wstring CZipWriter::AddPart(const std::string& name, PartRenderer render) {
  if (archive_ == nullptr) return Failure(L"the package is not open");
  auto part = std::make_unique<ZipPartSource>();
  part->render = std::move(render);
  part->modified = modified_;
  zip_source_t* source = zip_source_function(archive_, PartCallback, part.get());
  if (source == nullptr) return Failure(Utf8ToWide(zip_strerror(archive_)));
  const zip_int64_t index = zip_file_add(archive_, name.c_str(), source, ZIP_FL_ENC_UTF_8);
  if (index < 0) {
    zip_source_free(source);
    return Failure(Utf8ToWide(zip_strerror(archive_)));
  }
  if (zip_set_file_compression(archive_, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE,
                               kCompressionLevel) != 0) {
    return Failure(Utf8ToWide(zip_strerror(archive_)));
  }
  parts_.push_back(std::move(part));
  return {};
}

std::wstring CZipWriter::Commit() {
  if (archive_ == nullptr) return Failure(L"the package is not open");
  if (zip_close(archive_) != 0) {
    std::wstring why = Utf8ToWide(zip_strerror(archive_));
    for (const auto& part : parts_) {
      if (!part->failure.empty()) why = part->failure;
    }
    Discard();
    return Failure(why);
  }
  archive_ = nullptr;

  // The replacement keeps the permissions of the file it replaces.
  unsigned mode = createdMode_;
  struct stat existing {};
  if (::stat(target_.c_str(), &existing) == 0) mode = existing.st_mode & 07777;
  if (mode != 0 && ::chmod(temporary_.c_str(), mode) != 0) {
    const int number = errno;
    Discard();
    return Failure(ErrnoText(number));
  }
  if (!Sync(temporary_, false)) {
    const int number = errno;
    Discard();
    return Failure(ErrnoText(number));
  }
  std::error_code error;
  std::filesystem::rename(temporary_, target_, error);
  if (error) {
    Discard();
    return Failure(Utf8ToWide(error.message()));
  }
  temporary_.clear();
  committed_ = true;
  std::filesystem::path folder = target_.parent_path();
  Sync(folder.empty() ? std::filesystem::path(".") : folder, true);
  return {};
}

}  // namespace spreadsheet
