#pragma once
// Text rules used by the machine profile and its probes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qf {

// Replaces every occurrence of pattern in source by replacement, resuming the
// search right after each inserted replacement (it is never searched again).
// An empty pattern is never found.
std::wstring ReplaceAll(std::wstring source, std::wstring_view pattern, std::wstring_view replacement);

// The integer conversion used for version numbers: leading spaces, an optional
// sign, then decimal digits, or hexadecimal digits after "$", "x" or "0x";
// nothing may follow. Values outside 32 bits fail.
std::optional<std::int32_t> ParseInteger(std::wstring_view text);

// The trimmed text before the first occurrence of mark, or the text unchanged
// when it holds no mark.
std::wstring TrimmedPartBefore(std::wstring_view text, wchar_t mark);

// Applies one conversion step of the version probes: a non-empty text that
// does not convert sets the result to 0; an empty text leaves it alone.
void ConvertMajorVersion(std::wstring_view text, std::int32_t& result);

// The part of a path after its last "\" or ":".
std::wstring FileNamePart(std::wstring_view path);

// The BIOS date as the fingerprint uses it: every "/" removed, cut to four.
std::wstring CompactBiosDate(std::wstring_view date);

}  // namespace qf
