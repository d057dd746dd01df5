#include "app/session_launcher_win.h"

#include <shellapi.h>

#include "platform/publisher_check.h"
#include "platform/unique_handle.h"

namespace qf {

WinSessionLauncher::WinSessionLauncher(const std::wstring& publisher)
    : pinned_(!publisher.empty()), pin_(ParseThumbprint(publisher)) {}

bool WinSessionLauncher::StartInstaller(const std::wstring& path) {
  // Held open against writing from the check until the shell has started it.
  UniqueFile held;
  if (pinned_) {
    if (pin_) held = OpenIfSignedBy(path, *pin_);
    if (!held) {
      ::DeleteFileW(path.c_str());
      return false;
    }
  }
  ::ShellExecuteW(nullptr, nullptr, path.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
  return true;
}

void WinSessionLauncher::OpenLink(const std::wstring& address) {
  ::ShellExecuteW(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
}

}  // namespace qf
