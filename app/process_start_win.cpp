#include "app/process_start_win.h"

#include <windows.h>

#include <string>

#include "platform/module_path.h"
#include "profile/system_probes_win.h"

namespace qf {

namespace {
// Every DLL the program delay-loads (see cmake/WindowsBuild.cmake), the
// system's own first.
const wchar_t* const kDelayLoadedDlls[] = {L"advapi32.dll", L"user32.dll",  L"gdi32.dll",    L"shell32.dll",
                                           L"ole32.dll",    L"version.dll", L"netapi32.dll", L"winhttp.dll",
                                           L"gdiplus.dll",  L"comctl32.dll", L"wintrust.dll"};
// DLLs that system DLLs themselves load late by bare name (Wine's GDI+
// delay-loads windowscodecs.dll, its WinHTTP crypt32.dll). Loaded here by
// full path, best effort, so that those later loads find them in the process.
const wchar_t* const kPulledInDlls[] = {L"windowscodecs.dll", L"uxtheme.dll", L"crypt32.dll"};
}  // namespace

bool SecureProcessStart() {
  // Looked up at run time: the call is missing on unpatched Windows 7.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  const auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                                       reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")))
                                 : nullptr;
  // Where the call exists it must succeed; without it (Windows 7 without
  // KB2533623) each DLL is still loaded by its full system path.
  const bool restricted = setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (setDefault && !restricted) return false;
  ::SetDllDirectoryW(L"");  // drops the current folder from the search, where it applies

  // Loading each delay-loaded DLL by its full system path first means the
  // later delay-load by bare name finds the module already in the process.
  const std::wstring system = SystemFolder() + L"\\";
  bool allLoaded = true;
  for (const wchar_t* dll : kDelayLoadedDlls) {
    // Kept loaded for the life of the process; the delay-load stubs use it.
    if (!::LoadLibraryExW((system + dll).c_str(), nullptr, restricted ? LOAD_LIBRARY_SEARCH_SYSTEM32 : 0))
      allLoaded = false;
  }
  for (const wchar_t* dll : kPulledInDlls)
    ::LoadLibraryExW((system + dll).c_str(), nullptr, restricted ? LOAD_LIBRARY_SEARCH_SYSTEM32 : 0);
  CaptureStartupFacts();
  return allLoaded;
}

}  // namespace qf
