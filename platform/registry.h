#pragma once
// Read-only registry access with the program's reading rules: failures to
// open are quiet, unexpected data raises an AppError naming the value.
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/unique_handle.h"

namespace qf {

class RegistryKey {
 public:
  // Opens with KEY_READ; the key is never created.
  static RegistryKey OpenForReading(HKEY root, const std::wstring& path);
  // Opens with KEY_READ, then with the narrower read rights when refused.
  static RegistryKey OpenReadOnly(HKEY root, const std::wstring& path);

  bool IsOpen() const noexcept { return static_cast<bool>(key_); }

  // A REG_DWORD value. Throws "Failed to get data for '<name>'" when it
  // cannot be read into four bytes, "Invalid data type for '<name>'" when it
  // is of another type.
  std::int32_t ReadInteger(const std::wstring& name) const;

  // A REG_SZ or REG_EXPAND_SZ value up to its first NUL, not expanded.
  // Missing, empty or unreadable values give the empty text; another type
  // throws "Invalid data type for '<name>'".
  std::wstring ReadText(const std::wstring& name) const;

 private:
  UniqueRegistryKey key_;
};

// Reads one REG_DWORD under root\path; throws when it cannot.
std::int32_t ReadRegistryInteger(HKEY root, const std::wstring& path, const std::wstring& name);

}  // namespace qf
