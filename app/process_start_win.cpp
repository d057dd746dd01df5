#include "app/process_start_win.h"

#include <windows.h>

#include <string>

#include "platform/module_path.h"
#include "profile/system_probes_win.h"

namespace qf {

namespace {
// Every DLL the program delay-loads (see cmake/WindowsBuild.cmake).
const wchar_t* const kDelayLoadedDlls[] = {L"version.dll", L"netapi32.dll", L"winhttp.dll", L"gdiplus.dll",
                                           L"comctl32.dll"};
}  // namespace

bool SecureProcessStart() {
  // Looked up at run time: the call is missing on unpatched Windows 7.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  const auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                                       reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")))
                                 : nullptr;
  const bool restricted = setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
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
  CaptureStartupFacts();
  return allLoaded;
}

}  // namespace qf
