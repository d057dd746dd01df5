#include "profile/my_exe_info_win.h"

#include "common/text.h"
#include "platform/module_path.h"
#include "platform/version_info.h"
#include "profile/profile_text.h"
#include "profile/system_probes_win.h"

namespace qf {

namespace {
SYSTEMTIME ModificationTimeOf(const std::wstring& path) {
  SYSTEMTIME result{};
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
    ::FileTimeToSystemTime(&data.ftLastWriteTime, &result);
  return result;
}
}  // namespace

TMyExeInfo::TMyExeInfo() {
  for (std::wstring* text : {&CompanyName, &FileDescription, &FileVersion, &InternalName, &LegalCopyright,
                             &LegalTradeMark, &OriginalFileName, &ProductName, &ProductVersion, &Comments})
    *text = L"Updated at run-time";
  GetVersionInfoOfApp(OwnExecutablePath());
  wchar_t name[16] = {};
  DWORD size = 16;
  if (::GetComputerNameW(name, &size)) computerName_.assign(name, wcsnlen(name, 15));
}

void TMyExeInfo::GetVersionInfoOfApp(const std::wstring& path) {
  const auto block = VersionInfoBlock::Read(path);
  if (!block) return;

  if (const auto fixed = block->Fixed()) {
    FileFlags = fixed->dwFileFlags & fixed->dwFileFlagsMask;
    FileOS = fixed->dwFileOS;
    FileType = fixed->dwFileType;
    FILETIME stamp{fixed->dwFileDateLS, fixed->dwFileDateMS};
    if ((fixed->dwFileDateMS | fixed->dwFileDateLS) == 0 || !::FileTimeToSystemTime(&stamp, &FileDate))
      FileDate = ModificationTimeOf(OwnExecutablePath());
  }

  // Without a translation table there is nothing to look the strings up by;
  // the values then stay as they were.
  const auto translation = block->FirstTranslation();
  if (!translation) return;
  const struct {
    std::wstring* property;
    const wchar_t* name;
  } strings[] = {{&CompanyName, L"CompanyName"},         {&FileDescription, L"FileDescription"},
                 {&FileVersion, L"FileVersion"},         {&InternalName, L"InternalName"},
                 {&LegalCopyright, L"LegalCopyright"},   {&LegalTradeMark, L"LegalTradeMarks"},
                 {&OriginalFileName, L"OriginalFileName"}, {&ProductName, L"ProductName"},
                 {&ProductVersion, L"ProductVersion"},   {&Comments, L"Comments"}};
  for (const auto& entry : strings) *entry.property = block->String(*translation, entry.name).value_or(L"");
}

std::wstring TMyExeInfo::OSName() const { return GetOsDescription().name; }

std::wstring TMyExeInfo::WindowsDir() const {
  wchar_t buffer[MAX_PATH + 1] = {};
  const UINT n = ::GetWindowsDirectoryW(buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

std::wstring TMyExeInfo::SystemDir() const { return SystemFolder(); }

std::wstring TMyExeInfo::TempDir() const {
  wchar_t buffer[MAX_PATH + 2] = {};
  const DWORD n = ::GetTempPathW(MAX_PATH + 1, buffer);
  return n > 0 && n <= MAX_PATH ? std::wstring(buffer, n) : std::wstring();
}

std::int32_t TMyExeInfo::FileVersionPart(int index) const {
  std::size_t start = 0;
  for (int i = 0; i < index; ++i) {
    start = FileVersion.find(L'.', start);
    if (start == std::wstring::npos) return 0;
    ++start;
  }
  std::size_t end = start;
  while (end < FileVersion.size() && FileVersion[end] >= L'0' && FileVersion[end] <= L'9') ++end;
  return ParseInteger(std::wstring_view(FileVersion).substr(start, end - start)).value_or(0);
}

}  // namespace qf
