// Decoding button faces through GDI, which reads every DIB layout Office accepts.
#include "tests/excel_host/button_faces.h"

#include <olectl.h>

#include <cstring>

#include "platform/win32/scoped_handles.h"

namespace {

// Office refuses larger faces; the bound also keeps a bad header from asking for gigabytes.
constexpr LONG kLargestFaceSide = 4096;

// Other test processes of the same Wine session may hold the clipboard for a moment.
constexpr int kClipboardOpenAttempts = 50;
constexpr DWORD kClipboardRetryMilliseconds = 20;

bool OpenClipboardPatiently() {
  for (int attempt = 0; attempt < kClipboardOpenAttempts; ++attempt) {
    if (::OpenClipboard(nullptr) != FALSE) return true;
    ::Sleep(kClipboardRetryMilliseconds);
  }
  return false;
}

// The clipboard, opened without an owner for as long as the object lives.
class CClipboardOpen {
 public:
  CClipboardOpen() : open_(OpenClipboardPatiently()) {}
  ~CClipboardOpen() {
    if (open_) ::CloseClipboard();
  }
  CClipboardOpen(const CClipboardOpen&) = delete;
  CClipboardOpen& operator=(const CClipboardOpen&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_;
};

class CGlobalLock {
 public:
  explicit CGlobalLock(HGLOBAL memory) : memory_(memory), data_(::GlobalLock(memory)) {}
  ~CGlobalLock() {
    if (data_ != nullptr) ::GlobalUnlock(memory_);
  }
  CGlobalLock(const CGlobalLock&) = delete;
  CGlobalLock& operator=(const CGlobalLock&) = delete;
  const std::byte* Data() const { return static_cast<const std::byte*>(data_); }

 private:
  HGLOBAL memory_;
  void* data_;
};

std::optional<DecodedBitmap> ReadBitmapHandle(HBITMAP bitmap) {
  BITMAP description{};
  if (::GetObjectW(bitmap, sizeof description, &description) != sizeof description) {
    return std::nullopt;
  }
  if (description.bmWidth <= 0 || description.bmHeight <= 0 ||
      description.bmWidth > kLargestFaceSide || description.bmHeight > kLargestFaceSide) {
    return std::nullopt;
  }
  DecodedBitmap decoded;
  decoded.width = description.bmWidth;
  decoded.height = description.bmHeight;
  decoded.pixels.resize(static_cast<std::size_t>(decoded.width) *
                        static_cast<std::size_t>(decoded.height));
  BITMAPINFO request{};
  request.bmiHeader.biSize = sizeof request.bmiHeader;
  request.bmiHeader.biWidth = decoded.width;
  request.bmiHeader.biHeight = -decoded.height;  // top-down
  request.bmiHeader.biPlanes = 1;
  request.bmiHeader.biBitCount = 32;
  request.bmiHeader.biCompression = BI_RGB;
  const CWindowDc screen(nullptr);
  if (::GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(decoded.height), decoded.pixels.data(),
                  &request, DIB_RGB_COLORS) != decoded.height) {
    return std::nullopt;
  }
  for (std::uint32_t& pixel : decoded.pixels) pixel &= 0xFFFFFFu;  // BGRA in memory is 0xRRGGBB
  return decoded;
}

}  // namespace

UINT ButtonFaceClipboardFormat() {
  return ::RegisterClipboardFormatW(L"Toolbar Button Face");
}

UINT ButtonMaskClipboardFormat() {
  return ::RegisterClipboardFormatW(L"Toolbar Button Mask");
}

std::optional<DecodedBitmap> DecodePackedDib(const std::byte* data, std::size_t size) {
  BITMAPINFOHEADER header{};
  if (data == nullptr || size < sizeof header) return std::nullopt;
  std::memcpy(&header, data, sizeof header);
  const LONG height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
  if (header.biSize < sizeof header || header.biSize > size || header.biWidth <= 0 || height <= 0 ||
      header.biWidth > kLargestFaceSide || height > kLargestFaceSide || header.biPlanes != 1) {
    return std::nullopt;
  }
  std::size_t tableBytes = 0;
  switch (header.biBitCount) {
    case 1:
    case 4:
    case 8: {
      const std::size_t entries =
          header.biClrUsed != 0 ? header.biClrUsed : std::size_t{1} << header.biBitCount;
      if (header.biCompression != BI_RGB || entries > 256) return std::nullopt;
      tableBytes = entries * sizeof(RGBQUAD);
      break;
    }
    case 16:
    case 32:
      if (header.biCompression == BI_BITFIELDS) {
        if (header.biSize == sizeof header) tableBytes = 3 * sizeof(DWORD);
      } else if (header.biCompression != BI_RGB) {
        return std::nullopt;
      }
      break;
    case 24:
      if (header.biCompression != BI_RGB) return std::nullopt;
      break;
    default:
      return std::nullopt;
  }
  const std::size_t stride =
      ((static_cast<std::size_t>(header.biWidth) * header.biBitCount + 31) / 32) * 4;
  const std::size_t pixelsAt = header.biSize + tableBytes;
  if (pixelsAt > size || size - pixelsAt < stride * static_cast<std::size_t>(height)) {
    return std::nullopt;
  }
  const auto* info = reinterpret_cast<const BITMAPINFO*>(data);
  const CWindowDc screen(nullptr);
  const CScopedBitmap bitmap(
      ::CreateDIBitmap(screen.Get(), &header, CBM_INIT, data + pixelsAt, info, DIB_RGB_COLORS));
  if (!bitmap) return std::nullopt;
  return ReadBitmapHandle(bitmap.Get());
}

std::optional<DecodedBitmap> ReadClipboardDib(UINT format) {
  const CClipboardOpen clipboard;
  if (!clipboard.IsOpen()) return std::nullopt;
  const HANDLE memory = ::GetClipboardData(format);
  if (memory == nullptr) return std::nullopt;
  const CGlobalLock lock(memory);
  if (lock.Data() == nullptr) return std::nullopt;
  return DecodePackedDib(lock.Data(), ::GlobalSize(memory));
}

std::optional<DecodedBitmap> ReadBitmapPicture(IDispatch* picture) {
  if (picture == nullptr) return std::nullopt;
  CComPtr<IPicture> object;
  if (FAILED(CComPtr<IDispatch>(picture).QueryInterface(IID_IPicture, &object))) {
    return std::nullopt;
  }
  SHORT type = PICTYPE_NONE;
  OLE_HANDLE handle = 0;
  if (FAILED(object->get_Type(&type)) || type != PICTYPE_BITMAP ||
      FAILED(object->get_Handle(&handle))) {
    return std::nullopt;
  }
  return ReadBitmapHandle(reinterpret_cast<HBITMAP>(static_cast<std::uintptr_t>(handle)));
}

CComPtr<IDispatch> MakeBitmapPicture(const DecodedBitmap& bitmap) {
  if (bitmap.width <= 0 || bitmap.height <= 0) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = bitmap.width;
  info.bmiHeader.biHeight = -bitmap.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  CScopedBitmap section(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!section || bits == nullptr) return {};
  std::memcpy(bits, bitmap.pixels.data(), bitmap.pixels.size() * sizeof(std::uint32_t));
  PICTDESC description{};
  description.cbSizeofstruct = sizeof description;
  description.picType = PICTYPE_BITMAP;
  description.bmp.hbitmap = section.Get();
  CComPtr<IDispatch> picture;
  if (FAILED(OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE,
                                      reinterpret_cast<void**>(picture.Receive())))) {
    return {};
  }
  static_cast<void>(section.Release());  // the picture owns it now
  return picture;
}

std::vector<bool> MaskBitsOf(const DecodedBitmap& mask) {
  std::vector<bool> bits;
  bits.reserve(mask.pixels.size());
  for (const std::uint32_t pixel : mask.pixels) bits.push_back(pixel != 0);
  return bits;
}
