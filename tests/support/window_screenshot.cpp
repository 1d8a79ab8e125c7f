// Capturing windows into 32-bit device-independent bitmaps, and PNG files through WIC.
#include "tests/support/window_screenshot.h"

#include <wincodec.h>

#include <algorithm>
#include <cstdlib>

#include "platform/com_ptr.h"
#include "platform/win32/scoped_handles.h"

namespace test_support {
namespace {

// COM on the calling thread for as long as the picture is written; a thread already in another
// apartment keeps it.
class CScreenshotComScope {
 public:
  CScreenshotComScope()
      : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
  ~CScreenshotComScope() {
    if (initialized_) ::CoUninitialize();
  }
  CScreenshotComScope(const CScreenshotComScope&) = delete;
  CScreenshotComScope& operator=(const CScreenshotComScope&) = delete;

 private:
  bool initialized_;
};

// The device context of the whole window, frame included (GetWindowDC / ReleaseDC).
class CWholeWindowDc {
 public:
  explicit CWholeWindowDc(HWND window) : window_(window), dc_(::GetWindowDC(window)) {}
  ~CWholeWindowDc() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }
  CWholeWindowDc(const CWholeWindowDc&) = delete;
  CWholeWindowDc& operator=(const CWholeWindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

bool RunsUnderWine() {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

WindowImage CaptureWindow(HWND window) {
  RECT bounds{};
  if (::GetWindowRect(window, &bounds) == FALSE) return {};
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  if (width <= 0 || height <= 0) return {};

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // Rows from the top.
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const CWholeWindowDc source(window);
  CScopedMemoryDc memory(::CreateCompatibleDC(source.Get()));
  void* bits = nullptr;
  CScopedBitmap bitmap(::CreateDIBSection(source.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (source.Get() == nullptr || !memory || !bitmap || bits == nullptr) return {};
  {
    const CSelectedObject selected(memory.Get(), bitmap.Get());
    // What the window's surface holds, children included; PrintWindow leaves out children
    // under Wine, so it only stands in.
    if (::BitBlt(memory.Get(), 0, 0, width, height, source.Get(), 0, 0, SRCCOPY) == FALSE &&
        ::PrintWindow(window, memory.Get(), 0) == FALSE) {
      return {};
    }
    ::GdiFlush();
  }
  WindowImage image;
  image.width = width;
  image.height = height;
  const auto* first = static_cast<const std::uint32_t*>(bits);
  image.pixels.assign(first,
                      first + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::uint32_t& pixel : image.pixels) pixel &= 0x00FFFFFFu;
  return image;
}

bool SavePng(const WindowImage& image, const std::wstring& path) {
  if (image.IsEmpty()) return false;
  const CScreenshotComScope com;
  CComPtr<IWICImagingFactory> factory;
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.Receive())))) {
    return false;
  }
  CComPtr<IWICStream> stream;
  CComPtr<IWICBitmapEncoder> encoder;
  CComPtr<IWICBitmapFrameEncode> frame;
  CComPtr<IPropertyBag2> options;
  if (FAILED(factory->CreateStream(stream.Receive())) ||
      FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) ||
      FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Receive())) ||
      FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(frame.Receive(), options.Receive())) ||
      FAILED(frame->Initialize(options.Get())) ||
      FAILED(frame->SetSize(static_cast<UINT>(image.width), static_cast<UINT>(image.height)))) {
    return false;
  }
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
  if (FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat32bppBGRA) {
    return false;
  }
  // Opaque: the captured pixels carry no alpha.
  std::vector<std::uint32_t> opaque = image.pixels;
  for (std::uint32_t& pixel : opaque) pixel |= 0xFF000000u;
  const UINT stride = static_cast<UINT>(image.width) * 4u;
  return SUCCEEDED(frame->WritePixels(static_cast<UINT>(image.height), stride,
                                      stride * static_cast<UINT>(image.height),
                                      reinterpret_cast<BYTE*>(opaque.data()))) &&
         SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

std::wstring SaveScreenshotIfAsked(HWND window, const std::wstring& name) {
  const wchar_t* variable = ::_wgetenv(L"TRELVANE_SCREENSHOTS");
  if (variable == nullptr || *variable == L'\0') return {};
  std::wstring folder = variable;
  // Under Wine the scripts name a Unix folder, which is on drive Z:.
  if (folder.front() == L'/' && RunsUnderWine()) {
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    folder.insert(0, L"Z:");
  }
  const std::wstring path = folder + L"\\" + name + L".png";
  return SavePng(CaptureWindow(window), path) ? path : std::wstring();
}

}  // namespace test_support
