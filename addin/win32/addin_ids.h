// The add-in's fixed identities: what registration writes and what Excel creates it by.
#pragma once

#include <windows.h>

inline constexpr wchar_t kAddInProgId[] = L"NUV.Connect";
inline constexpr wchar_t kAddInClassName[] = L"NUV Connect Class";
inline constexpr wchar_t kAddInFriendlyName[] = L"Trelvane";

// The class Excel creates, and the type library and interfaces of trelvane.idl.
inline constexpr CLSID CLSID_Connect = {
    0x6E2C5B1A, 0x3F47, 0x4C1D, {0x9A, 0x8E, 0x2B, 0x7D, 0x41, 0xC9, 0xE5, 0x01}};
inline constexpr GUID LIBID_NUV = {
    0x6E2C5B1A, 0x3F47, 0x4C1D, {0x9A, 0x8E, 0x2B, 0x7D, 0x41, 0xC9, 0xE5, 0x00}};
inline constexpr IID DIID_IConnect = {
    0x6E2C5B1A, 0x3F47, 0x4C1D, {0x9A, 0x8E, 0x2B, 0x7D, 0x41, 0xC9, 0xE5, 0x02}};
inline constexpr IID DIID_ITraceItem = {
    0x6E2C5B1A, 0x3F47, 0x4C1D, {0x9A, 0x8E, 0x2B, 0x7D, 0x41, 0xC9, 0xE5, 0x03}};
inline constexpr WORD kTypeLibraryMajor = 1;
inline constexpr WORD kTypeLibraryMinor = 0;
