#include "platform/module_path.h"

#include <windows.h>

#include <vector>

namespace qf {

std::wstring OwnExecutablePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring SystemFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const UINT n = ::GetSystemDirectoryW(buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return L"C:\\windows\\system32";
  return std::wstring(buffer, n);
}

}  // namespace qf
