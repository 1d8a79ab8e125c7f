#include "addin/win32/button_face.h"

#include <olectl.h>

#include <cstring>

#include "addin/win32/clipboard_access.h"
#include "addin/win32/clipboard_snapshot.h"
#include "platform/com_ptr.h"
#include "platform/win32/module_instance.h"

namespace {

constexpr wchar_t kFaceFormatName[] = L"Toolbar Button Face";
constexpr wchar_t kMaskFormatName[] = L"Toolbar Button Mask";
constexpr DWORD kWhite = 0x00FFFFFF;

BITMAP BitmapInfoOf(HBITMAP bitmap) {
  BITMAP info{};
  ::GetObjectW(bitmap, sizeof info, &info);
  return info;
}

// 32-bit pixels, top-down, as 0x00RRGGBB.
std::vector<DWORD> PixelsOf(HBITMAP bitmap, LONG width, LONG height) {
  std::vector<DWORD> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const CWindowDc screen(nullptr);
  if (::GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), &info,
                  DIB_RGB_COLORS) == 0) {
    pixels.clear();
  }
  return pixels;
}

CScopedBitmap MaskOf(HBITMAP face, LONG width, LONG height) {
  const std::vector<DWORD> pixels = PixelsOf(face, width, height);
  if (pixels.empty()) return CScopedBitmap();
  // Monochrome device bitmaps have rows padded to 16 bits.
  const std::size_t stride = ((static_cast<std::size_t>(width) + 15) / 16) * 2;
  std::vector<BYTE> bits(stride * static_cast<std::size_t>(height), 0);
  for (LONG y = 0; y < height; ++y) {
    for (LONG x = 0; x < width; ++x) {
      const DWORD pixel = pixels[static_cast<std::size_t>(y * width + x)] & kWhite;
      if (pixel == kWhite) {
        bits[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x / 8)] |=
            static_cast<BYTE>(0x80u >> (x % 8));
      }
    }
  }
  return CScopedBitmap(::CreateBitmap(width, height, 1, 1, bits.data()));
}

// A bitmap picture that owns a copy of `bitmap`.
CComPtr<IDispatch> PictureOf(HBITMAP bitmap) {
  CScopedBitmap copy(static_cast<HBITMAP>(::CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0)));
  if (!copy) return {};
  PICTDESC description{};
  description.cbSizeofstruct = sizeof description;
  description.picType = PICTYPE_BITMAP;
  description.bmp.hbitmap = copy.Get();
  CComPtr<IDispatch> picture;
  if (FAILED(::OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE,
                                        reinterpret_cast<void**>(picture.Receive())))) {
    return {};
  }
  static_cast<void>(copy.Release());  // the picture owns it now
  return picture;
}

// Office XP and later: no clipboard involved.
bool SetFacePictures(const ExcelObject& control, const FaceBitmaps& face) {
  const CComPtr<IDispatch> picture = PictureOf(face.face.Get());
  if (!picture || !control.PutValue(L"Picture", CVariant(picture.Get()))) return false;
  if (face.mask) {
    if (const CComPtr<IDispatch> mask = PictureOf(face.mask.Get())) {
      control.PutValue(L"Mask", CVariant(mask.Get()));
    }
  }
  return true;
}

bool PutPackedDib(const wchar_t* formatName, const std::vector<std::byte>& dib) {
  const UINT format = ::RegisterClipboardFormatW(formatName);
  CScopedGlobalMemory memory(dib.size());
  void* target = memory.Get() != nullptr ? ::GlobalLock(memory.Get()) : nullptr;
  if (format == 0 || target == nullptr) return false;
  std::memcpy(target, dib.data(), dib.size());
  ::GlobalUnlock(memory.Get());
  return memory.PutOnClipboard(format);
}

// Older Office pastes faces only from the clipboard. The user's contents are kept aside while
// the face is there and put back after the paste.
void PasteFaceKeepingClipboard(const ExcelObject& control, const FaceBitmaps& face,
                               HWND clipboardOwner) {
  const std::vector<std::byte> faceDib = PackedDib(face.face.Get(), 24);
  const std::vector<std::byte> maskDib =
      face.mask ? PackedDib(face.mask.Get(), 1) : std::vector<std::byte>();
  if (faceDib.empty()) return;
  std::optional<CClipboardSnapshot> saved;
  {
    const COpenClipboard clipboard(clipboardOwner);
    if (!clipboard.IsOpen()) return;
    saved.emplace(CClipboardSnapshot::Take());
    if (::EmptyClipboard() == FALSE) return;
    PutPackedDib(kFaceFormatName, faceDib);
    if (!maskDib.empty()) PutPackedDib(kMaskFormatName, maskDib);
  }
  CVariant ignored;
  control.CallMethod(L"PasteFace", &ignored);
  const COpenClipboard clipboard(clipboardOwner);
  if (clipboard.IsOpen() && ::EmptyClipboard() != FALSE) saved->Restore();
}

}  // namespace

std::optional<FaceBitmaps> LoadButtonFace(int32_t bitmapId) {
  FaceBitmaps face;
  face.face.Reset(static_cast<HBITMAP>(::LoadImageW(ModuleInstance(),
                                                     MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP,
                                                     0, 0, LR_LOADMAP3DCOLORS)));
  if (!face.face) return std::nullopt;
  const BITMAP info = BitmapInfoOf(face.face.Get());
  if (info.bmWidth <= 0 || info.bmHeight <= 0 || info.bmWidth > kMaxFaceSide ||
      info.bmHeight > kMaxFaceSide) {
    return std::nullopt;
  }
  face.mask = MaskOf(face.face.Get(), info.bmWidth, info.bmHeight);
  return face;
}

std::vector<std::byte> PackedDib(HBITMAP bitmap, WORD bitCount) {
  const BITMAP bitmapInfo = BitmapInfoOf(bitmap);
  if (bitmapInfo.bmWidth <= 0 || bitmapInfo.bmHeight <= 0) return {};
  const std::size_t colors = bitCount <= 8 ? (std::size_t{1} << bitCount) : 0;
  const std::size_t stride =
      ((static_cast<std::size_t>(bitmapInfo.bmWidth) * bitCount + 31) / 32) * 4;
  const std::size_t header = sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD);
  std::vector<std::byte> dib(header + stride * static_cast<std::size_t>(bitmapInfo.bmHeight));
  BITMAPINFOHEADER fields{};
  fields.biSize = sizeof fields;
  fields.biWidth = bitmapInfo.bmWidth;
  fields.biHeight = bitmapInfo.bmHeight;
  fields.biPlanes = 1;
  fields.biBitCount = bitCount;
  fields.biCompression = BI_RGB;
  fields.biSizeImage = static_cast<DWORD>(dib.size() - header);
  fields.biClrUsed = static_cast<DWORD>(colors);
  std::memcpy(dib.data(), &fields, sizeof fields);
  const CWindowDc screen(nullptr);
  if (::GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(bitmapInfo.bmHeight),
                  dib.data() + header, reinterpret_cast<BITMAPINFO*>(dib.data()),
                  DIB_RGB_COLORS) == 0) {
    return {};
  }
  return dib;
}

void SetButtonFace(const ExcelObject& control, int32_t bitmapId, HWND clipboardOwner) {
  if (bitmapId == 0) return;
  const std::optional<FaceBitmaps> face = LoadButtonFace(bitmapId);
  if (!face) return;
  if (!SetFacePictures(control, *face)) PasteFaceKeepingClipboard(control, *face, clipboardOwner);
}
