#pragma once
#include <string>
#include <vector>

namespace qf {

// The identification the landing request sends as its User-Agent.
inline constexpr wchar_t kLandingUserAgent[] = L"Quarlo Fetchwell/1.0";

// Appends the request's two lines to fields, posts them as a UTF-8 form to
// address and returns the trimmed text of the reply's body; the empty text
// on any failure. Never throws for a failed exchange.
std::wstring PostLandingRequest(const std::wstring& address, std::vector<std::wstring>& fields);

}  // namespace qf
