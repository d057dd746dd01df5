#pragma once
// A file's version resource, read through version.dll.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace qf {

class VersionInfoBlock {
 public:
  // Empty when the file does not exist or carries no version resource.
  static std::optional<VersionInfoBlock> Read(const std::wstring& path);

  // The fixed part (the root "\"), when present and whole.
  std::optional<VS_FIXEDFILEINFO> Fixed() const;
  // The first entry of "\VarFileInfo\Translation" as eight upper-case hex
  // digits, language first (for example 040904B0).
  std::optional<std::wstring> FirstTranslation() const;
  // The string value StringFileInfo\<translation>\<name>, up to its NUL.
  std::optional<std::wstring> String(const std::wstring& translation, const std::wstring& name) const;

 private:
  std::vector<BYTE> data_;
};

}  // namespace qf
