// The legacy buttons' faces: every face of the command tables loads as a 16-pixel picture with
// its mask, packs as Office reads it from the clipboard, and reaches a button through Picture
// or, where that fails, through the clipboard, which then holds the user's contents again.
#include "addin/win32/button_face.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "addin/legacy_command_bars.h"
#include "addin/win32/clipboard_snapshot.h"
#include "tests/support/scripted_dispatch.h"

namespace {

// A window to own the clipboard, as the hidden window does in the add-in.
class CClipboardOwnerWindow {
 public:
  CClipboardOwnerWindow()
      : window_(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr)) {}
  ~CClipboardOwnerWindow() { ::DestroyWindow(window_); }
  CClipboardOwnerWindow(const CClipboardOwnerWindow&) = delete;
  CClipboardOwnerWindow& operator=(const CClipboardOwnerWindow&) = delete;
  HWND Get() const { return window_; }

 private:
  HWND window_;
};

void PutText(HWND owner, const std::wstring& text) {
  ASSERT_NE(FALSE, ::OpenClipboard(owner));
  ::EmptyClipboard();
  const std::size_t size = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(::GlobalLock(memory), text.c_str(), size);
  ::GlobalUnlock(memory);
  ::SetClipboardData(CF_UNICODETEXT, memory);
  ::CloseClipboard();
}

std::wstring ClipboardText() {
  std::wstring text;
  if (::OpenClipboard(nullptr) == FALSE) return text;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(::GlobalLock(data));
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return text;
}

BITMAPINFOHEADER HeaderOf(const std::vector<std::byte>& dib) {
  BITMAPINFOHEADER header{};
  if (dib.size() >= sizeof header) std::memcpy(&header, dib.data(), sizeof header);
  return header;
}

}  // namespace

TEST(Win32ButtonFace, EveryFaceOfTheCommandTablesLoadsWithAMaskOfItsWhitePixels) {
  std::vector<int32_t> faces;
  for (const CommandTableEntry& entry : LegacyCommandTable()) faces.push_back(entry.face);
  for (const CommandTableEntry& entry : CellMenuTable()) faces.push_back(entry.face);
  for (const int32_t id : faces) {
    if (id == 0) continue;
    SCOPED_TRACE(id);
    const std::optional<FaceBitmaps> face = LoadButtonFace(id);
    ASSERT_TRUE(face.has_value());
    const std::vector<std::byte> colours = PackedDib(face->face.Get(), 24);
    const std::vector<std::byte> mask = PackedDib(face->mask.Get(), 1);
    const BITMAPINFOHEADER header = HeaderOf(colours);
    EXPECT_EQ(16, header.biWidth);
    EXPECT_EQ(16, header.biHeight);
    // 24-bit rows of 48 bytes, no colour table; 1-bit rows of 4 bytes after two colours.
    EXPECT_EQ(sizeof(BITMAPINFOHEADER) + 16u * 48u, colours.size());
    EXPECT_EQ(sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD) + 16u * 4u, mask.size());
    EXPECT_EQ(1, HeaderOf(mask).biBitCount);
    int white = 0;
    int drawn = 0;
    for (std::size_t y = 0; y < 16; ++y) {
      for (std::size_t x = 0; x < 16; ++x) {
        const auto* pixel = reinterpret_cast<const unsigned char*>(
            colours.data() + sizeof(BITMAPINFOHEADER) + y * 48 + x * 3);
        const bool isWhite = pixel[0] == 255 && pixel[1] == 255 && pixel[2] == 255;
        const auto maskByte = static_cast<unsigned>(mask[sizeof(BITMAPINFOHEADER) +
                                                         2 * sizeof(RGBQUAD) + y * 4 + x / 8]);
        EXPECT_EQ(isWhite, (maskByte & (0x80u >> (x % 8))) != 0) << x << "," << y;
        (isWhite ? white : drawn) += 1;
      }
    }
    // A face is a picture on a transparent ground, not a blank or a solid square.
    EXPECT_GT(white, 10);
    EXPECT_GT(drawn, 30);
  }
  EXPECT_FALSE(LoadButtonFace(999).has_value());  // no such bitmap
}

TEST(Win32ButtonFace, AClipboardSnapshotGivesBackTextPrivateFormatsAndBitmaps) {
  const CClipboardOwnerWindow owner;
  PutText(owner.Get(), L"the user's text");
  const UINT privateFormat = ::RegisterClipboardFormatW(L"Trelvane Test Format");
  ASSERT_NE(FALSE, ::OpenClipboard(owner.Get()));
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, 3);
  std::memcpy(::GlobalLock(memory), "abc", 3);
  ::GlobalUnlock(memory);
  ::SetClipboardData(privateFormat, memory);
  const std::optional<FaceBitmaps> face = LoadButtonFace(1004);
  ASSERT_TRUE(face.has_value());
  ::SetClipboardData(CF_BITMAP, ::CopyImage(face->face.Get(), IMAGE_BITMAP, 0, 0, 0));
  CClipboardSnapshot saved = CClipboardSnapshot::Take();
  ::EmptyClipboard();
  saved.Restore();
  ::CloseClipboard();

  EXPECT_EQ(L"the user's text", ClipboardText());
  ASSERT_NE(FALSE, ::OpenClipboard(owner.Get()));
  HANDLE data = ::GetClipboardData(privateFormat);
  ASSERT_NE(nullptr, data);
  EXPECT_EQ(0, std::memcmp(::GlobalLock(data), "abc", 3));
  ::GlobalUnlock(data);
  BITMAP bitmap{};
  HANDLE restored = ::GetClipboardData(CF_BITMAP);
  ASSERT_NE(nullptr, restored);
  ::GetObjectW(restored, sizeof bitmap, &bitmap);
  EXPECT_EQ(16, bitmap.bmWidth);
  ::CloseClipboard();
}

TEST(Win32ButtonFace, TakesThePictureRouteWithoutTouchingTheClipboard) {
  const CClipboardOwnerWindow owner;
  PutText(owner.Get(), L"kept");
  const DWORD sequence = ::GetClipboardSequenceNumber();
  test_support::CScriptedDispatch button;
  int pictures = 0;
  button.Script(L"Picture", [&](const test_support::CScriptedDispatch::Call& call, CVariant*) {
    EXPECT_EQ(VT_DISPATCH, call.rgvarg.at(0).Kind());
    ++pictures;
    return S_OK;
  });
  button.Script(L"Mask", CVariant());
  button.Script(L"PasteFace", CVariant());
  SetButtonFace(ExcelObject(&button), 1004, owner.Get());
  EXPECT_EQ(1, pictures);
  std::vector<std::wstring> members;
  for (const auto& call : button.Calls()) members.push_back(call.member);
  EXPECT_EQ((std::vector<std::wstring>{L"Picture", L"Mask"}), members);
  EXPECT_EQ(sequence, ::GetClipboardSequenceNumber());
  EXPECT_EQ(L"kept", ClipboardText());
  // Nothing at all for a button without a face.
  SetButtonFace(ExcelObject(&button), 0, owner.Get());
  EXPECT_EQ(2u, button.Calls().size());
}

TEST(Win32ButtonFace, PastesFromTheClipboardWhenPicturesAreRefusedAndGivesTheTextBack) {
  const CClipboardOwnerWindow owner;
  PutText(owner.Get(), L"the user's copy");
  test_support::CScriptedDispatch button;
  button.Script(L"Picture", CVariant(), DISP_E_MEMBERNOTFOUND);
  BITMAPINFOHEADER pastedFace{};
  BITMAPINFOHEADER pastedMask{};
  std::wstring textDuringPaste = L"unread";
  button.Script(L"PasteFace", [&](const test_support::CScriptedDispatch::Call&, CVariant*) {
    // What Office reads: the two registered formats.
    if (::OpenClipboard(nullptr) == FALSE) return E_FAIL;
    for (auto [name, header] : {std::pair{L"Toolbar Button Face", &pastedFace},
                                std::pair{L"Toolbar Button Mask", &pastedMask}}) {
      if (HANDLE data = ::GetClipboardData(::RegisterClipboardFormatW(name))) {
        std::memcpy(header, ::GlobalLock(data), sizeof *header);
        ::GlobalUnlock(data);
      }
    }
    textDuringPaste = ::IsClipboardFormatAvailable(CF_UNICODETEXT) ? L"present" : L"";
    ::CloseClipboard();
    return S_OK;
  });
  SetButtonFace(ExcelObject(&button), 3009, owner.Get());
  EXPECT_EQ(16, pastedFace.biWidth);
  EXPECT_EQ(24, pastedFace.biBitCount);
  EXPECT_EQ(16, pastedMask.biHeight);
  EXPECT_EQ(1, pastedMask.biBitCount);
  EXPECT_EQ(L"", textDuringPaste);  // the face alone while Office pastes it
  EXPECT_EQ(L"the user's copy", ClipboardText());
  ASSERT_NE(FALSE, ::OpenClipboard(nullptr));
  EXPECT_FALSE(::IsClipboardFormatAvailable(::RegisterClipboardFormatW(L"Toolbar Button Face")));
  ::CloseClipboard();
}
