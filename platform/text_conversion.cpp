#include "platform/text_conversion.h"

#include <windows.h>

#include <climits>

namespace qf {

std::wstring AnsiToWide(std::string_view ansi) {
  if (ansi.empty() || ansi.size() > INT_MAX) return {};
  const int size = static_cast<int>(ansi.size());
  const int needed = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), needed);
  return wide;
}

std::string WideToAnsi(std::wstring_view wide) {
  if (wide.empty() || wide.size() > INT_MAX) return {};
  const int size = static_cast<int>(wide.size());
  const int needed = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string ansi(static_cast<std::size_t>(needed), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, ansi.data(), needed, nullptr, nullptr);
  return ansi;
}

}  // namespace qf
