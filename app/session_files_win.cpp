#include "app/session_files_win.h"

#include <windows.h>

#include "platform/attachment_services.h"
#include "platform/file_system.h"

namespace qf {

std::wstring WinSessionFiles::TempVariable() {
  std::wstring value(256, L'\0');
  for (;;) {
    const DWORD n = ::GetEnvironmentVariableW(L"TEMP", value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) return L"";  // not set, or set to the empty text
    if (n < value.size()) {
      value.resize(n);
      return value;
    }
    value.resize(n);  // n is the size needed, terminator included
  }
}

bool WinSessionFiles::FileExists(const std::wstring& path) { return qf::FileExists(path); }

bool WinSessionFiles::RecordDownload(const std::wstring& path, const std::wstring& source) {
  if (SaveWithAttachmentServices(path, source) != AttachmentVerdict::Blocked) return true;
  ::DeleteFileW(path.c_str());  // an antivirus may have removed it already
  return false;
}

}  // namespace qf
