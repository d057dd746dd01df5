#pragma once
// Helpers of the Windows tests: registry fixtures that restore what they
// change, scratch folders, files and child processes.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qf::test {

// Sets one registry value for the life of the object, then puts back what
// was there before (or removes the value and any key it had to create).
class ScopedRegistryValue {
 public:
  ScopedRegistryValue(HKEY root, std::wstring path, std::wstring name, DWORD type, const void* data, DWORD size);
  static ScopedRegistryValue Text(HKEY root, std::wstring path, std::wstring name, const std::wstring& text,
                                  DWORD type = REG_SZ);
  static ScopedRegistryValue Dword(HKEY root, std::wstring path, std::wstring name, std::uint32_t value);
  // Removes the value for the life of the object.
  static ScopedRegistryValue Absent(HKEY root, std::wstring path, std::wstring name);
  ScopedRegistryValue(ScopedRegistryValue&&) noexcept;
  ScopedRegistryValue(const ScopedRegistryValue&) = delete;
  ~ScopedRegistryValue();

 private:
  ScopedRegistryValue() = default;
  void Save();
  HKEY root_ = nullptr;
  std::wstring path_, name_;
  std::vector<std::wstring> createdKeys_;  // deepest last
  bool hadValue_ = false;
  DWORD oldType_ = 0;
  std::vector<BYTE> oldData_;
  bool active_ = false;
};

// A fresh folder under the temporary folder, removed with its files.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  const std::wstring& Path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

// The folder the test program and the test stubs were built into.
std::wstring BuildFolder();
std::wstring StubPath(const std::wstring& exeName);

void WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
bool CopyFileTo(const std::wstring& from, const std::wstring& to);

// Runs a program with the given command line and returns its standard
// output, or nothing when it could not be started.
std::optional<std::string> RunAndCapture(const std::wstring& commandLine, DWORD timeoutMs = 60000);

// Pseudo-random bytes, the same for the same seed.
std::string RandomBytes(std::size_t count, std::uint32_t seed);

}  // namespace qf::test
