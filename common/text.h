#pragma once
// Small text rules shared by every part of the program.
//
// Text is std::wstring holding UTF-16 code units on every platform: on
// Windows that is what wchar_t is; in the native build (32-bit wchar_t) the
// same code units are simply stored wider, so lengths, trimming and "first
// four characters" mean the same thing in both builds.
#include <cstdint>
#include <string>
#include <string_view>

namespace qf {

// Removes every leading and trailing character whose code is U+0020 or below.
std::wstring Trim(std::wstring_view text);
// The same rule on 8-bit text: bytes 0x00..0x20 at either end are removed.
std::string Trim(std::string_view text);

// Decimal text without separators: an optional "-" and digits.
std::wstring SignedDecimal(std::int64_t value);
// Decimal digits of a 32-bit unsigned value, never with a sign.
std::wstring UnsignedDecimal(std::uint32_t value);

// Appends "\" to a non-empty path that does not already end with one.
std::wstring IncludeTrailingDelimiterIfAny(std::wstring_view path);

// True for an HTTP status code from 200 to 299.
constexpr bool IsHttpSuccess(int status) { return status >= 200 && status <= 299; }

// Widens 7-bit text one byte per code unit (constants, numbers, tags).
std::wstring WidenAscii(std::string_view ascii);

// ASCII-only upper-casing of a code unit: a..z become A..Z, nothing else.
constexpr wchar_t AsciiUpper(wchar_t c) { return (c >= L'a' && c <= L'z') ? wchar_t(c - 32) : c; }
constexpr char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }

}  // namespace qf
