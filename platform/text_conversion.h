#pragma once
// Conversions between UTF-16 and the system's ANSI code page, the only
// places where the program deals in 8-bit text.
#include <string>
#include <string_view>

namespace qf {

// MultiByteToWideChar with the active code page and no flags.
std::wstring AnsiToWide(std::string_view ansi);
// WideCharToMultiByte with the active code page and no flags: characters the
// code page lacks become a best-fit or the default character.
std::string WideToAnsi(std::wstring_view wide);

}  // namespace qf
