#include "platform/version_info.h"


namespace qf {

std::optional<VersionInfoBlock> VersionInfoBlock::Read(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  VersionInfoBlock block;
  block.data_.assign(size, 0);
  if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data_.data())) return std::nullopt;
  return block;
}

std::optional<VS_FIXEDFILEINFO> VersionInfoBlock::Fixed() const {
  void* value = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(data_.data(), L"\\", &value, &length) || value == nullptr ||
      length < sizeof(VS_FIXEDFILEINFO))
    return std::nullopt;
  return *static_cast<const VS_FIXEDFILEINFO*>(value);
}

std::optional<std::wstring> VersionInfoBlock::FirstTranslation() const {
  void* value = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation", &value, &length) || value == nullptr ||
      length < 2 * sizeof(WORD))
    return std::nullopt;
  const WORD* words = static_cast<const WORD*>(value);
  // Language and code page as eight upper-case hex digits, "041004B0"; by
  // hand, since the formatted-print family would bring its whole number
  // formatting into the program for this one line.
  std::wstring text;
  for (const WORD word : {words[0], words[1]})
    for (int shift = 12; shift >= 0; shift -= 4) text.push_back(L"0123456789ABCDEF"[(word >> shift) & 0xF]);
  return text;
}

std::optional<std::wstring> VersionInfoBlock::String(const std::wstring& translation, const std::wstring& name) const {
  const std::wstring query = L"\\StringFileInfo\\" + translation + L"\\" + name;
  void* value = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(data_.data(), query.c_str(), &value, &length) || value == nullptr) return std::nullopt;
  // length counts characters, usually including the NUL; never read past it
  // nor past the block itself.
  const wchar_t* text = static_cast<const wchar_t*>(value);
  const auto* blockEnd = reinterpret_cast<const wchar_t*>(data_.data() + data_.size());
  std::size_t limit = length;
  if (text + limit > blockEnd) limit = static_cast<std::size_t>(blockEnd - text);
  std::size_t n = 0;
  while (n < limit && text[n] != L'\0') ++n;
  return std::wstring(text, n);
}

}  // namespace qf
