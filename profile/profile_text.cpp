#include "profile/profile_text.h"

#include "common/text.h"

namespace qf {

std::wstring ReplaceAll(std::wstring source, std::wstring_view pattern, std::wstring_view replacement) {
  if (pattern.empty()) return source;
  std::size_t searchFrom = 0;
  while (searchFrom < source.size()) {
    const std::size_t match = source.find(pattern, searchFrom);
    if (match == std::wstring::npos) break;
    source.replace(match, pattern.size(), replacement);
    searchFrom = match + replacement.size();
  }
  return source;
}

std::optional<std::int32_t> ParseInteger(std::wstring_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == L' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
    negative = text[i] == L'-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && text[i] == L'$') {
    base = 16;
    ++i;
  } else if (i < text.size() && (text[i] == L'x' || text[i] == L'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return std::nullopt;
  std::uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const wchar_t c = text[i];
    int digit;
    if (c >= L'0' && c <= L'9') digit = c - L'0';
    else if (base == 16 && c >= L'a' && c <= L'f') digit = c - L'a' + 10;
    else if (base == 16 && c >= L'A' && c <= L'F') digit = c - L'A' + 10;
    else return std::nullopt;
    magnitude = magnitude * base + static_cast<std::uint64_t>(digit);
    if (magnitude > 0xFFFFFFFFull) return std::nullopt;
  }
  if (base == 16) {
    // Hexadecimal text covers the whole 32-bit pattern, as two's complement.
    std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
    if (negative) bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
  }
  if (negative) {
    if (magnitude > 2147483648ull) return std::nullopt;
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
  }
  if (magnitude > 2147483647ull) return std::nullopt;
  return static_cast<std::int32_t>(magnitude);
}

std::wstring TrimmedPartBefore(std::wstring_view text, wchar_t mark) {
  const std::size_t at = text.find(mark);
  if (at == std::wstring_view::npos) return std::wstring(text);
  return Trim(text.substr(0, at));
}

void ConvertMajorVersion(std::wstring_view text, std::int32_t& result) {
  if (text.empty()) return;
  const auto value = ParseInteger(text);
  result = value ? *value : 0;
}

std::wstring FileNamePart(std::wstring_view path) {
  const std::size_t at = path.find_last_of(L"\\:");
  if (at == std::wstring_view::npos) return std::wstring(path);
  return std::wstring(path.substr(at + 1));
}

std::wstring CompactBiosDate(std::wstring_view date) {
  std::wstring compact = ReplaceAll(std::wstring(date), L"/", L"");
  if (compact.size() > 4) compact.resize(4);
  return compact;
}

}  // namespace qf
