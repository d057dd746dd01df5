#pragma once
// TMyExeInfo: the string values and fixed part of a file's version resource.
// A new object holds the running program's own values, so a file without a
// version resource leaves them in place.
#include <windows.h>

#include <cstdint>
#include <string>

namespace qf {

class TMyExeInfo {
 public:
  TMyExeInfo();

  // Replaces the values with those of the file; a file without version
  // information leaves every value as it was.
  void GetVersionInfoOfApp(const std::wstring& path);

  std::wstring CompanyName, FileDescription, FileVersion, InternalName, LegalCopyright, LegalTradeMark,
      OriginalFileName, ProductName, ProductVersion, Comments;

  DWORD FileFlags = 0;  // flags AND flags mask
  DWORD FileOS = 0;
  DWORD FileType = 0;
  SYSTEMTIME FileDate{};

  const std::wstring& ComputerName() const { return computerName_; }
  void SetComputerName(std::wstring name) { computerName_ = std::move(name); }
  std::wstring OSName() const;
  std::wstring WindowsDir() const;
  std::wstring SystemDir() const;
  std::wstring TempDir() const;
  static std::wstring Version() { return L"1.0"; }

  // The leading numbers of FileVersion ("120.0.6099.130" gives 120, 0, 6099,
  // 130); a part that is missing or not a number is 0.
  std::int32_t FileVersionPart(int index) const;

 private:
  std::wstring computerName_;
};

}  // namespace qf
