#pragma once
// Which browsers the machine has, for the machine profile (Windows).
#include <cstdint>
#include <string>

namespace qf {

std::int32_t GetIeMajorVersion();
std::int32_t GetFirefoxMajorVersion();
std::int32_t GetChromeMajorVersion();
// The file name of the executable associated with .htm files, or empty.
std::wstring GetDefaultBrowserExe();

}  // namespace qf
