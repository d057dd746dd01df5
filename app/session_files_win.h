#pragma once
// The session's files on Windows: the TEMP variable and file existence.
#include "app/session_ports.h"

namespace qf {

class WinSessionFiles final : public SessionFiles {
 public:
  std::wstring TempVariable() override;
  bool FileExists(const std::wstring& path) override;
  bool RecordDownload(const std::wstring& path, const std::wstring& source) override;
};

}  // namespace qf
