#pragma once
// The session's launcher on Windows: the installer through the shell, after
// the build's publisher pin, and links in the user's browser.
#include <windows.h>

#include <optional>
#include <string>

#include "app/session_ports.h"
#include "common/sha256.h"

namespace qf {

class WinSessionLauncher final : public SessionLauncher {
 public:
  // publisher: the build's installer publisher pin (a SHA-256 thumbprint),
  // or empty to start installers without that check.
  explicit WinSessionLauncher(const std::wstring& publisher);
  bool StartInstaller(const std::wstring& path) override;
  void OpenLink(const std::wstring& address) override;

 private:
  bool pinned_ = false;
  std::optional<Sha256Digest> pin_;  // empty when pinned: nothing matches
};

}  // namespace qf
