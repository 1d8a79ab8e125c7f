// Owners of the Win32 handles the add-in makes: each closes its handle the one right way when it
// goes, so that no code path calls CloseHandle, RegCloseKey, DeleteObject and the rest by hand.
#pragma once

#include <windows.h>

#include <utility>

// Traits: Handle (the type), Invalid() (what holds nothing), Close(handle).
template <class Traits>
class CScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  CScopedHandle() = default;
  explicit CScopedHandle(Handle handle) : handle_(handle) {}
  CScopedHandle(CScopedHandle&& other) noexcept : handle_(other.Release()) {}
  CScopedHandle& operator=(CScopedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  CScopedHandle(const CScopedHandle&) = delete;
  CScopedHandle& operator=(const CScopedHandle&) = delete;
  ~CScopedHandle() { Reset(); }

  Handle Get() const { return handle_; }
  bool IsValid() const { return handle_ != Traits::Invalid(); }
  explicit operator bool() const { return IsValid(); }

  // Closes what is held and takes `handle`.
  void Reset(Handle handle = Traits::Invalid()) {
    if (IsValid()) Traits::Close(handle_);
    handle_ = handle;
  }
  // Gives the handle up without closing it.
  [[nodiscard]] Handle Release() { return std::exchange(handle_, Traits::Invalid()); }
  // For out-parameters (RegOpenKeyExW and the like): closes what is held and lends the slot.
  Handle* Receive() {
    Reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

struct KernelHandleTraits {  // events, threads, processes: invalid is null
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { ::CloseHandle(handle); }
};
struct FileHandleTraits {  // CreateFileW answers INVALID_HANDLE_VALUE
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { ::CloseHandle(handle); }
};
struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { ::RegCloseKey(handle); }
};
template <class Object>
struct GdiObjectTraits {  // fonts, brushes, pens, bitmaps, regions
  using Handle = Object;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { ::DeleteObject(handle); }
};
struct IconTraits {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { ::DestroyIcon(handle); }
};
struct ModuleTraits {  // LoadLibraryW
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { ::FreeLibrary(handle); }
};
struct MenuTraits {
  using Handle = HMENU;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { ::DestroyMenu(handle); }
};
struct MemoryDcTraits {  // CreateCompatibleDC
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { ::DeleteDC(handle); }
};

using CScopedKernelHandle = CScopedHandle<KernelHandleTraits>;
using CScopedFile = CScopedHandle<FileHandleTraits>;
using CScopedRegistryKey = CScopedHandle<RegistryKeyTraits>;
using CScopedFont = CScopedHandle<GdiObjectTraits<HFONT>>;
using CScopedBrush = CScopedHandle<GdiObjectTraits<HBRUSH>>;
using CScopedPen = CScopedHandle<GdiObjectTraits<HPEN>>;
using CScopedBitmap = CScopedHandle<GdiObjectTraits<HBITMAP>>;
using CScopedIcon = CScopedHandle<IconTraits>;
using CScopedModule = CScopedHandle<ModuleTraits>;
using CScopedMenu = CScopedHandle<MenuTraits>;
using CScopedMemoryDc = CScopedHandle<MemoryDcTraits>;

// A device context of a window, released to it when done (GetDC / ReleaseDC).
class CWindowDc {
 public:
  explicit CWindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~CWindowDc() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }
  CWindowDc(const CWindowDc&) = delete;
  CWindowDc& operator=(const CWindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a device context for a scope; the previous one comes back at the end.
class CSelectedObject {
 public:
  CSelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~CSelectedObject() { ::SelectObject(dc_, previous_); }
  CSelectedObject(const CSelectedObject&) = delete;
  CSelectedObject& operator=(const CSelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};
