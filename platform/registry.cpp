#include "platform/registry.h"

#include <vector>

#include "common/app_error.h"

namespace qf {

namespace {
// No value the program reads is anywhere near this long; a larger one is
// treated as unreadable rather than pulled into memory.
constexpr DWORD kMaxRegistryTextBytes = 1u << 20;

[[noreturn]] void ThrowFailedToGetData(const std::wstring& name) {
  throw AppError(L"Failed to get data for '" + name + L"'");
}
[[noreturn]] void ThrowInvalidType(const std::wstring& name) {
  throw AppError(L"Invalid data type for '" + name + L"'");
}
}  // namespace

RegistryKey RegistryKey::OpenForReading(HKEY root, const std::wstring& path) {
  RegistryKey result;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) result.key_.reset(key);
  return result;
}

RegistryKey RegistryKey::OpenReadOnly(HKEY root, const std::wstring& path) {
  RegistryKey result;
  const REGSAM rights[] = {KEY_READ, STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS,
                           KEY_QUERY_VALUE};
  for (REGSAM access : rights) {
    HKEY key = nullptr;
    const LSTATUS status = ::RegOpenKeyExW(root, path.c_str(), 0, access, &key);
    if (status == ERROR_SUCCESS) {
      result.key_.reset(key);
      break;
    }
    if (status != ERROR_ACCESS_DENIED) break;  // a missing key stays missing
  }
  return result;
}

std::int32_t RegistryKey::ReadInteger(const std::wstring& name) const {
  if (!IsOpen()) ThrowFailedToGetData(name);
  DWORD type = REG_NONE;
  std::uint32_t data = 0;
  DWORD size = sizeof data;
  if (::RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
      ERROR_SUCCESS)
    ThrowFailedToGetData(name);
  if (type != REG_DWORD) ThrowInvalidType(name);
  return static_cast<std::int32_t>(data);
}

std::wstring RegistryKey::ReadText(const std::wstring& name) const {
  if (!IsOpen()) return {};
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (::RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size == 0)
    return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ) ThrowInvalidType(name);
  // The value may change between the size query and the read; try again a
  // few times with the new size instead of reading a cut value.
  for (int attempt = 0; attempt < 3 && size <= kMaxRegistryTextBytes; ++attempt) {
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    DWORD got = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    const LSTATUS status =
        ::RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got);
    if (status == ERROR_MORE_DATA) {
      size = got;
      continue;
    }
    if (status != ERROR_SUCCESS) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ) ThrowInvalidType(name);
    const std::size_t units = got / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < units && buffer[length] != L'\0') ++length;
    return std::wstring(buffer.data(), length);
  }
  return {};
}

std::int32_t ReadRegistryInteger(HKEY root, const std::wstring& path, const std::wstring& name) {
  return RegistryKey::OpenReadOnly(root, path).ReadInteger(name);
}

}  // namespace qf
