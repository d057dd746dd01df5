#include "landing/html_body.h"

#include "common/text.h"

namespace qf {

namespace {

bool IsTagBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// The first "<BODY" followed by a blank, at or after from; npos when none.
std::size_t FindOpeningWithAttributes(std::wstring_view upper, std::size_t from) {
  static constexpr std::wstring_view kStart = L"<BODY";
  for (std::size_t at = upper.find(kStart, from); at != std::wstring_view::npos; at = upper.find(kStart, at + 1)) {
    const std::size_t next = at + kStart.size();
    if (next < upper.size() && IsTagBlank(upper[next])) return at;
  }
  return std::wstring_view::npos;
}

}  // namespace

std::wstring ExtractHtmlBody(std::wstring_view text) {
  static constexpr std::wstring_view kOpen = L"<BODY>";
  static constexpr std::wstring_view kClose = L"</BODY>";
  constexpr auto npos = std::wstring_view::npos;

  // Only a..z are folded, so positions in the copy are positions in text.
  std::wstring upper(text);
  for (wchar_t& c : upper) c = AsciiUpper(c);
  const std::wstring_view folded(upper);

  const std::size_t close = folded.find(kClose);
  if (close == npos) return L"";

  const std::size_t open = folded.find(kOpen);
  if (open != npos) {
    if (close < open) return L"";
    const std::size_t begin = open + kOpen.size();
    return Trim(text.substr(begin, close - begin));
  }

  // No exact tag: accept "<BODY attributes...>". Its ">" must come before
  // the close, which also rules out a tag that starts after it.
  const std::size_t tag = FindOpeningWithAttributes(folded, 0);
  if (tag == npos) return L"";
  const std::size_t gt = folded.find(L'>', tag);
  if (gt == npos || gt > close) return L"";
  return Trim(text.substr(gt + 1, close - (gt + 1)));
}

}  // namespace qf
