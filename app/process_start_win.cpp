#include "app/process_start_win.h"

#include <windows.h>
#include <delayimp.h>

#include <string>

#include "platform/module_path.h"
#include "profile/system_probes_win.h"

namespace qf {

namespace {

// DLLs that system DLLs themselves load late by bare name (Wine's GDI+
// delay-loads windowscodecs.dll, its WinHTTP crypt32.dll), and which Wine
// then also looks for beside the program. Loaded here by full path, so that
// those later loads find them in the process; the window's first paint
// needs each of them anyway.
const wchar_t* const kPulledInDlls[] = {L"windowscodecs.dll", L"uxtheme.dll", L"crypt32.dll"};

bool g_searchRestricted = false;

HMODULE LoadFromSystemFolder(const std::wstring& name) {
  // The flag makes the DLL's own imports come from the system folder too.
  return ::LoadLibraryExW((SystemFolder() + L"\\" + name).c_str(), nullptr,
                          g_searchRestricted ? LOAD_LIBRARY_SEARCH_SYSTEM32 : 0);
}

// The delay-load helper asks here before it loads a DLL: every delay-loaded
// DLL comes from the system folder by its full path, when it is first
// needed. Returning nothing leaves the load to the helper, whose search is
// the system folder's only once SecureProcessStart has restricted it.
FARPROC WINAPI LoadDelayLoadedDll(unsigned notification, PDelayLoadInfo info) {
  if (notification != dliNotePreLoadLibrary || !info || !info->szDll) return nullptr;
  std::wstring name;
  for (const char* c = info->szDll; *c; ++c) name.push_back(static_cast<unsigned char>(*c));  // ASCII names
  return reinterpret_cast<FARPROC>(LoadFromSystemFolder(name));
}

}  // namespace

}  // namespace qf

// The delay-load helper's notification hook (delayimp.h).
PfnDliHook __pfnDliNotifyHook2 = qf::LoadDelayLoadedDll;

namespace qf {

bool SecureProcessStart() {
  // Looked up at run time: the call is missing on unpatched Windows 7.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  const auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                                       reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")))
                                 : nullptr;
  // Where the call exists it must succeed; without it (Windows 7 without
  // KB2533623) each DLL is still loaded by its full system path.
  g_searchRestricted = setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (setDefault && !g_searchRestricted) return false;
  ::SetDllDirectoryW(L"");  // drops the current folder from the search, where it applies

  for (const wchar_t* dll : kPulledInDlls) LoadFromSystemFolder(dll);  // best effort
  CaptureStartupFacts();
  return true;
}

}  // namespace qf
