#include "common/text.h"

namespace qf {

namespace {
template <typename Char>
std::basic_string<Char> TrimImpl(std::basic_string_view<Char> text) {
  auto isBlank = [](Char c) { return static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<Char>>(c)) <= 0x20; };
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  return std::basic_string<Char>(text.substr(begin, end - begin));
}
}  // namespace

std::wstring Trim(std::wstring_view text) { return TrimImpl(text); }
std::string Trim(std::string_view text) { return TrimImpl(text); }

std::wstring SignedDecimal(std::int64_t value) {
  // Work on the magnitude as unsigned so that INT64_MIN is written correctly.
  std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  wchar_t digits[24];
  int n = 0;
  do {
    digits[n++] = static_cast<wchar_t>(L'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  std::wstring out;
  if (value < 0) out.push_back(L'-');
  while (n > 0) out.push_back(digits[--n]);
  return out;
}

std::wstring UnsignedDecimal(std::uint32_t value) { return SignedDecimal(static_cast<std::int64_t>(value)); }

std::wstring IncludeTrailingDelimiterIfAny(std::wstring_view path) {
  std::wstring out(path);
  if (!out.empty() && out.back() != L'\\') out.push_back(L'\\');
  return out;
}

std::wstring WidenAscii(std::string_view ascii) {
  std::wstring out;
  out.reserve(ascii.size());
  for (char c : ascii) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace qf
