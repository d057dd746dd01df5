#pragma once
// The few file-system operations the download needs.
#include <windows.h>

#include <string>

namespace qf {

// True when a file, not a folder, exists at the path.
bool FileExists(const std::wstring& path);

// Creates the folder and every missing parent. Failures are left to the
// caller's next step, which then fails to create its file.
void CreateFolderWithParents(const std::wstring& folder);

// The folder part of a path: everything before its last "\" (empty if none).
std::wstring FolderPartOf(const std::wstring& path);

// The system's text for an error code, without its trailing line break.
std::wstring SystemErrorText(DWORD code);

}  // namespace qf
