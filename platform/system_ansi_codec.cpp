#include "platform/system_ansi_codec.h"

#include <windows.h>

#include <climits>

#include "platform/text_conversion.h"

namespace qf {

std::wstring SystemAnsiCodec::ToWide(std::string_view ansi) const { return AnsiToWide(ansi); }
std::string SystemAnsiCodec::ToAnsi(std::wstring_view wide) const { return WideToAnsi(wide); }

bool SystemAnsiCodec::SameKey(std::wstring_view a, std::wstring_view b) const {
  if (a.size() > INT_MAX || b.size() > INT_MAX) return false;
  return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace qf
