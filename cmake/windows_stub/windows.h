// Stand-ins for the few declarations of <windows.h> that the desktop program's Windows lines use, so that
// those lines are compiled (never linked or run) on systems without the Windows headers. The names and
// argument types follow the Windows SDK; a line that misuses them fails to compile here as it would there.
#pragma once

using BYTE = unsigned char;
using LPBYTE = BYTE*;
using DWORD = unsigned long;
using LPDWORD = DWORD*;
using LONG = long;
using LSTATUS = LONG;
using REGSAM = DWORD;
using LPCWSTR = const wchar_t*;
struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;

inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(0x80000002ul);
constexpr LONG ERROR_SUCCESS = 0;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;

LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result);
LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize);
LSTATUS RegCloseKey(HKEY key);
