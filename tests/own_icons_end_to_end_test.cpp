// The add-in's own icons as the build draws them: one .ico for every icon resource the ribbon
// names, each a 16 and a 32 pixel image in 32-bit BGRA with a mask that matches its alpha.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "addin/ribbon_ui.h"
#include "resources/resource_ids.h"

namespace {

struct IconImage {
  uint32_t size = 0;
  std::vector<uint32_t> alphas;  // rows bottom-up, as stored
  std::vector<bool> masked;      // the AND mask, same order
};

struct IconReading {
  std::vector<IconImage> images;
  std::string error;  // empty when the file is a sound icon
};

uint32_t LittleEndianAt(const std::string& bytes, size_t offset, size_t width) {
  uint32_t value = 0;
  for (size_t i = width; i-- > 0;) {
    value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
  }
  return value;
}

// Reads an .ico whose images are uncompressed 32-bit bitmaps, the only kind the script writes.
IconReading ReadIcon(const std::string& bytes) {
  IconReading reading;
  if (bytes.size() < 6 || LittleEndianAt(bytes, 0, 2) != 0 || LittleEndianAt(bytes, 2, 2) != 1) {
    reading.error = "not an icon directory";
    return reading;
  }
  const size_t count = LittleEndianAt(bytes, 4, 2);
  if (count == 0 || 6 + 16 * count > bytes.size()) {
    reading.error = "directory entries missing";
    return reading;
  }
  for (size_t entry = 0; entry < count; ++entry) {
    const size_t at = 6 + 16 * entry;
    const uint32_t width = LittleEndianAt(bytes, at, 1);
    const uint32_t height = LittleEndianAt(bytes, at + 1, 1);
    const uint32_t bitCount = LittleEndianAt(bytes, at + 6, 2);
    const size_t length = LittleEndianAt(bytes, at + 8, 4);
    const size_t offset = LittleEndianAt(bytes, at + 12, 4);
    const size_t maskStride = (width + 31) / 32 * 4;
    const size_t pixels = size_t{width} * height;
    if (width == 0 || width != height || bitCount != 32 || offset > bytes.size() ||
        length > bytes.size() - offset || length != 40 + pixels * 4 + maskStride * height) {
      reading.error = "entry " + std::to_string(entry) + " is not a square 32-bit image";
      return reading;
    }
    if (LittleEndianAt(bytes, offset, 4) != 40 || LittleEndianAt(bytes, offset + 4, 4) != width ||
        LittleEndianAt(bytes, offset + 8, 4) != 2 * height ||
        LittleEndianAt(bytes, offset + 14, 2) != 32 || LittleEndianAt(bytes, offset + 16, 4) != 0) {
      reading.error = "entry " + std::to_string(entry) + " has a wrong bitmap header";
      return reading;
    }
    IconImage image;
    image.size = width;
    const size_t colours = offset + 40;
    const size_t mask = colours + pixels * 4;
    for (size_t y = 0; y < height; ++y) {
      for (size_t x = 0; x < width; ++x) {
        image.alphas.push_back(LittleEndianAt(bytes, colours + (y * width + x) * 4 + 3, 1));
        const auto maskByte = static_cast<unsigned char>(bytes[mask + y * maskStride + x / 8]);
        image.masked.push_back((maskByte & (0x80U >> (x % 8))) != 0);
      }
    }
    reading.images.push_back(image);
  }
  return reading;
}

std::string IconFileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

// The ribbon's own images, the product icon of the add-in's windows, the window manager's
// buttons and the icons of the trace windows whose ribbon buttons show Office's images.
std::set<int32_t> OwnIconResources() {
  std::set<int32_t> numbers{IDI_WINDOW_MANAGER,     IDI_WNDMGR_CLOSE,      IDI_WNDMGR_TILE,
                            IDI_WNDMGR_MENU,        IDI_DEPENDENTS_WINDOW, IDI_PRECEDENTS_WINDOW,
                            IDI_TRACE_ERROR_WINDOW, IDI_EVALUATE_WINDOW};
  for (const OwnImage& image : kOwnImages) numbers.insert(image.iconResource);
  return numbers;
}

std::filesystem::path IconFolder() {
#ifdef TRELVANE_ICON_DIR
  return TRELVANE_ICON_DIR;
#else
  return {};
#endif
}

TEST(OwnIcons, EveryOwnImageHasBothSizesWithAMatchingMask) {
  if (IconFolder().empty()) GTEST_SKIP() << "no Python 3: the icons are not drawn";
  for (const int32_t number : OwnIconResources()) {
    SCOPED_TRACE(number);
    const IconReading reading =
        ReadIcon(IconFileBytes(IconFolder() / ("icon_" + std::to_string(number) + ".ico")));
    ASSERT_EQ("", reading.error);
    std::set<uint32_t> sizes;
    for (const IconImage& image : reading.images) {
      sizes.insert(image.size);
      size_t opaque = 0;
      size_t clear = 0;
      for (size_t i = 0; i < image.alphas.size(); ++i) {
        if (image.alphas[i] == 255) ++opaque;
        if (image.alphas[i] == 0) ++clear;
        EXPECT_EQ(image.alphas[i] == 0, image.masked[i]) << "pixel " << i << " of " << image.size;
      }
      // A drawing, not a blank or a filled square.
      EXPECT_GT(opaque, image.alphas.size() / 8) << image.size;
      EXPECT_GT(clear, 0U) << image.size;
    }
    EXPECT_EQ((std::set<uint32_t>{16, 32}), sizes);
  }
}

TEST(OwnIcons, EachIconIsDrawnDifferentlyAndNoneIsLeftOver) {
  if (IconFolder().empty()) GTEST_SKIP() << "no Python 3: the icons are not drawn";
  std::set<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(IconFolder())) {
    if (entry.path().extension() == ".ico") files.insert(entry.path().filename().string());
  }
  std::set<std::string> expected;
  std::set<std::string> contents;
  for (const int32_t number : OwnIconResources()) {
    const std::string name = "icon_" + std::to_string(number) + ".ico";
    expected.insert(name);
    contents.insert(IconFileBytes(IconFolder() / name));
  }
  EXPECT_EQ(expected, files);
  EXPECT_EQ(expected.size(), contents.size());
}

TEST(OwnIcons, PreviewIsAPngPicture) {
  if (IconFolder().empty()) GTEST_SKIP() << "no Python 3: the icons are not drawn";
  const std::string png = IconFileBytes(IconFolder() / "preview.png");
  ASSERT_GT(png.size(), 33U);
  EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), png.substr(0, 8));
  EXPECT_EQ("IHDR", png.substr(12, 4));
  EXPECT_EQ("IEND", png.substr(png.size() - 8, 4));
}

}  // namespace
