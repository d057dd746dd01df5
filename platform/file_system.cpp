#include "platform/file_system.h"

#include "common/text.h"

namespace qf {

bool FileExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void CreateFolderWithParents(const std::wstring& folder) {
  if (folder.empty()) return;
  const DWORD attributes = ::GetFileAttributesW(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return;  // a folder, or a file in the way
  const std::wstring parent = FolderPartOf(folder);
  // Stop at a drive ("C:") or a share root, which cannot be created.
  if (!parent.empty() && parent.back() != L':' && parent != folder) CreateFolderWithParents(parent);
  ::CreateDirectoryW(folder.c_str(), nullptr);
}

std::wstring FolderPartOf(const std::wstring& path) {
  const std::size_t last = path.find_last_of(L'\\');
  return last == std::wstring::npos ? std::wstring() : path.substr(0, last);
}

std::wstring SystemErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length && buffer ? Trim(std::wstring_view(buffer, length)) : L"";
  if (buffer) ::LocalFree(buffer);
  if (text.empty()) text = L"Errore di sistema " + SignedDecimal(code);
  return text;
}

}  // namespace qf
