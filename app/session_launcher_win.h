#pragma once
// The session's launcher on Windows: the installer through the shell, after
// the build's publisher pin, and links in the user's browser.
#include <windows.h>

#include <vector>
#include <string>

#include "app/session_ports.h"
#include "common/sha256.h"

namespace qf {

class WinSessionLauncher final : public SessionLauncher {
 public:
  // publisher: the build's installer publisher pin (SHA-256 thumbprints
  // separated by commas), or empty to start installers without that check.
  explicit WinSessionLauncher(const std::wstring& publisher);
  // The window that owns what the shell shows while it starts an installer.
  void SetOwner(HWND owner) { owner_ = owner; }
  bool StartInstaller(const std::wstring& path) override;
  void OpenLink(const std::wstring& address) override;

 private:
  HWND owner_ = nullptr;
  bool pinned_ = false;
  std::vector<Sha256Digest> pins_;  // empty when pinned: nothing matches
};

}  // namespace qf
