#pragma once
#include <string>

namespace qf {
// The full path of the running program's own executable, of any length.
std::wstring OwnExecutablePath();
// The system folder (for example C:\windows\system32), without a trailing "\".
std::wstring SystemFolder();
}  // namespace qf
