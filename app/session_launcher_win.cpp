#include "app/session_launcher_win.h"

#include <shellapi.h>

#include "platform/file_system.h"
#include "platform/publisher_check.h"
#include "platform/unique_handle.h"

namespace qf {

WinSessionLauncher::WinSessionLauncher(const std::wstring& publisher)
    : pinned_(!publisher.empty()), pins_(ParseThumbprintList(publisher)) {}

bool WinSessionLauncher::StartInstaller(const std::wstring& path) {
  // Held open against writing from the check until the shell has started it.
  UniqueFile held;
  if (pinned_) {
    held = OpenIfSignedBy(path, pins_);
    if (!held) {
      ::DeleteFileW(path.c_str());
      return false;
    }
  }
  const std::wstring folder = FolderPartOf(path);
  SHELLEXECUTEINFOW start{};
  start.cbSize = sizeof start;
  // Synchronous, so that the result is known here; the shell shows no box
  // of its own, since the program reports the failure itself.
  start.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  start.hwnd = owner_;
  start.lpFile = path.c_str();
  start.lpDirectory = folder.empty() ? nullptr : folder.c_str();  // the installer's own folder
  start.nShow = SW_SHOWDEFAULT;
  if (!::ShellExecuteExW(&start)) {
    held.reset();
    ::DeleteFileW(path.c_str());
    return false;
  }
  return true;
}

void WinSessionLauncher::OpenLink(const std::wstring& address) {
  ::ShellExecuteW(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
}

}  // namespace qf
