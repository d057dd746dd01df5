#include "tests/windows/test_support.h"

#include <shellapi.h>

#include <cstdio>
#include <random>

#include "platform/module_path.h"
#include "platform/unique_handle.h"

namespace qf::test {

ScopedRegistryValue::ScopedRegistryValue(HKEY root, std::wstring path, std::wstring name, DWORD type,
                                         const void* data, DWORD size)
    : root_(root), path_(std::move(path)), name_(std::move(name)) {
  Save();
  // Create the missing keys one level at a time, so that each can be removed.
  std::wstring sofar;
  for (std::size_t start = 0; start <= path_.size();) {
    std::size_t end = path_.find(L'\\', start);
    if (end == std::wstring::npos) end = path_.size();
    sofar = path_.substr(0, end);
    HKEY probe = nullptr;
    if (::RegOpenKeyExW(root_, sofar.c_str(), 0, KEY_READ, &probe) == ERROR_SUCCESS) {
      ::RegCloseKey(probe);
    } else {
      HKEY created = nullptr;
      if (::RegCreateKeyExW(root_, sofar.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr) ==
          ERROR_SUCCESS) {
        ::RegCloseKey(created);
        createdKeys_.push_back(sofar);
      }
    }
    start = end + 1;
  }
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root_, path_.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    if (data) ::RegSetValueExW(key, name_.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    else ::RegDeleteValueW(key, name_.c_str());
    ::RegCloseKey(key);
  }
  active_ = true;
}

ScopedRegistryValue ScopedRegistryValue::Text(HKEY root, std::wstring path, std::wstring name,
                                              const std::wstring& text, DWORD type) {
  return ScopedRegistryValue(root, std::move(path), std::move(name), type, text.c_str(),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

ScopedRegistryValue ScopedRegistryValue::Dword(HKEY root, std::wstring path, std::wstring name, std::uint32_t value) {
  return ScopedRegistryValue(root, std::move(path), std::move(name), REG_DWORD, &value, sizeof value);
}

ScopedRegistryValue ScopedRegistryValue::Absent(HKEY root, std::wstring path, std::wstring name) {
  return ScopedRegistryValue(root, std::move(path), std::move(name), REG_NONE, nullptr, 0);
}

ScopedRegistryValue::ScopedRegistryValue(ScopedRegistryValue&& other) noexcept
    : root_(other.root_),
      path_(std::move(other.path_)),
      name_(std::move(other.name_)),
      createdKeys_(std::move(other.createdKeys_)),
      hadValue_(other.hadValue_),
      oldType_(other.oldType_),
      oldData_(std::move(other.oldData_)),
      active_(std::exchange(other.active_, false)) {}

void ScopedRegistryValue::Save() {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  DWORD size = 0;
  if (::RegQueryValueExW(key, name_.c_str(), nullptr, &oldType_, nullptr, &size) == ERROR_SUCCESS) {
    oldData_.resize(size);
    if (::RegQueryValueExW(key, name_.c_str(), nullptr, &oldType_, oldData_.data(), &size) == ERROR_SUCCESS)
      hadValue_ = true;
  }
  ::RegCloseKey(key);
}

ScopedRegistryValue::~ScopedRegistryValue() {
  if (!active_) return;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root_, path_.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    if (hadValue_)
      ::RegSetValueExW(key, name_.c_str(), 0, oldType_, oldData_.data(), static_cast<DWORD>(oldData_.size()));
    else
      ::RegDeleteValueW(key, name_.c_str());
    ::RegCloseKey(key);
  }
  for (auto it = createdKeys_.rbegin(); it != createdKeys_.rend(); ++it) ::RegDeleteTreeW(root_, it->c_str());
}

ScratchFolder::ScratchFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, temp);
  static unsigned counter = 0;
  path_ = std::wstring(temp) + L"qf-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
          std::to_wstring(++counter);
  ::CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
  std::wstring from = path_;
  from.push_back(L'\0');  // the shell wants a double-NUL-terminated list
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  ::SHFileOperationW(&op);
}

std::wstring BuildFolder() {
  const std::wstring self = OwnExecutablePath();
  return self.substr(0, self.find_last_of(L'\\'));
}

std::wstring StubPath(const std::wstring& exeName) { return BuildFolder() + L"\\" + exeName; }

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  if (file && !bytes.empty()) ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string ReadFileBytes(const std::wstring& path) {
  const UniqueFile file(
      ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  std::string bytes;
  if (!file) return bytes;
  char block[65536];
  DWORD got = 0;
  while (::ReadFile(file.get(), block, sizeof block, &got, nullptr) && got > 0) bytes.append(block, got);
  return bytes;
}

bool CopyFileTo(const std::wstring& from, const std::wstring& to) { return ::CopyFileW(from.c_str(), to.c_str(), FALSE); }

std::optional<std::string> RunAndCapture(const std::wstring& commandLine, DWORD timeoutMs) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readRaw = nullptr, writeRaw = nullptr;
  if (!::CreatePipe(&readRaw, &writeRaw, &inherit, 0)) return std::nullopt;
  UniqueKernelHandle readEnd(readRaw), writeEnd(writeRaw);
  ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  std::wstring mutableLine = commandLine;
  if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "CreateProcessW failed with %lu\n", ::GetLastError());
    return std::nullopt;
  }
  UniqueKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
  writeEnd.reset();
  std::string output;
  char block[4096];
  DWORD got = 0;
  while (::ReadFile(readEnd.get(), block, sizeof block, &got, nullptr) && got > 0) output.append(block, got);
  ::WaitForSingleObject(processHandle.get(), timeoutMs);
  return output;
}

std::string RandomBytes(std::size_t count, std::uint32_t seed) {
  std::mt19937 generator(seed);
  std::string bytes(count, '\0');
  for (char& b : bytes) b = static_cast<char>(generator() & 0xFF);
  return bytes;
}

}  // namespace qf::test
