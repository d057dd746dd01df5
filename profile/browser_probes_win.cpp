#include "profile/browser_probes_win.h"

#include <windows.h>
#include <shellapi.h>

#include "common/text.h"
#include "platform/file_system.h"
#include "platform/module_path.h"
#include "platform/registry.h"
#include "platform/unique_handle.h"
#include "profile/my_exe_info_win.h"
#include "profile/profile_text.h"
#include "profile/system_probes_win.h"

namespace qf {

namespace {

std::wstring ReadBrowserText(const wchar_t* path, const wchar_t* name) {
  return RegistryKey::OpenReadOnly(HKEY_LOCAL_MACHINE, path).ReadText(name);
}

// One file fall-back of the Internet Explorer probe.
void TryIeFile(const wchar_t* path, std::wstring& text) {
  TMyExeInfo info;
  if (!FileExists(path)) return;
  info.GetVersionInfoOfApp(path);
  if (info.FileVersion.find(L'.') != std::wstring::npos) text = TrimmedPartBefore(info.FileVersion, L'.');
}

}  // namespace

std::int32_t GetIeMajorVersion() {
  std::int32_t result = 0;
  const wchar_t* valueName = GetOsDescription().major >= 6 ? L"svcVersion" : L"Version";
  std::wstring text = ReadBrowserText(L"Software\\Microsoft\\Internet Explorer", valueName);
  if (text.find(L'.') != std::wstring::npos) text = TrimmedPartBefore(text, L'.');
  ConvertMajorVersion(text, result);
  if (result == 0) {
    TryIeFile(IsOs64Bit() ? L"C:\\Program Files\\Internet Explorer\\iexplore.exe"
                          : L"C:\\Program Files (x86)\\Internet Explorer\\iexplore.exe",
              text);
    ConvertMajorVersion(text, result);
  }
  if (result == 0) {
    TryIeFile(IsOs64Bit() ? L"C:\\Program Files\\Internet Explorer\\iexplorer.exe"
                          : L"C:\\Program Files (x86)\\Internet Explorer\\iexplorer.exe",
              text);
    ConvertMajorVersion(text, result);
  }
  return result;
}

std::int32_t GetFirefoxMajorVersion() {
  std::int32_t result = 0;
  const wchar_t* path =
      IsOs64Bit() ? L"SOFTWARE\\Wow6432Node\\Mozilla\\Mozilla Firefox" : L"SOFTWARE\\Mozilla\\Mozilla Firefox";
  const RegistryKey key = RegistryKey::OpenReadOnly(HKEY_LOCAL_MACHINE, path);
  std::wstring text;
  if (key.IsOpen()) {
    text = key.ReadText(L"CurrentVersion");
    if (text.find(L'(') != std::wstring::npos) text = TrimmedPartBefore(text, L'(');
    if (text.find(L'.') != std::wstring::npos) text = TrimmedPartBefore(text, L'.');
  }
  ConvertMajorVersion(text, result);
  return result;
}

std::int32_t GetChromeMajorVersion() {
  std::int32_t result = 0;
  TMyExeInfo info;
  const RegistryKey key =
      RegistryKey::OpenReadOnly(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\chrome.exe");
  std::wstring text = IncludeTrailingDelimiterIfAny(key.ReadText(L"Path"));
  if (key.IsOpen() && FileExists(text + L"chrome.exe")) {
    info.GetVersionInfoOfApp(text + L"chrome.exe");
    if (info.FileVersion.find(L'.') != std::wstring::npos) text = TrimmedPartBefore(info.FileVersion, L'.');
  }
  ConvertMajorVersion(text, result);
  return result;
}

std::wstring GetDefaultBrowserExe() {
  // The probe's buffers hold 255 characters; a longer temporary folder or
  // answer gives the empty text rather than a cut or broken name.
  constexpr DWORD kBufferChars = 255;
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD folderLength = ::GetTempPathW(kBufferChars, folder);
  if (folderLength == 0 || folderLength >= kBufferChars) return {};

  const std::wstring probeFile = std::wstring(folder, folderLength) + L"htmpl.htm";
  {
    // An empty file the shell can look the association up by; it is left
    // there (an existing one is emptied).
    const UniqueFile probe(::CreateFileW(probeFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  }

  // FindExecutableW assumes a MAX_PATH buffer for its answer.
  wchar_t answer[MAX_PATH + 1] = {};
  const auto code = reinterpret_cast<INT_PTR>(::FindExecutableW(L"htmpl.htm", folder, answer));
  if (code <= 32) return {};
  answer[MAX_PATH] = L'\0';
  if (wcsnlen(answer, MAX_PATH + 1) >= kBufferChars) return {};
  return FileNamePart(answer);
}

}  // namespace qf
