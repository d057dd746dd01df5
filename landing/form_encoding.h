#pragma once
// The landing request's form: the two lines it appends and the
// application/x-www-form-urlencoded body (UTF-8) built from the field list.
#include <string>
#include <string_view>
#include <vector>

namespace qf {

// Appends "HTTP_CALL_METHOD=NETHTTP" and then "param_tot_count=<n>", where n
// is the number of lines once both are appended.
void AppendLandingLines(std::vector<std::wstring>& fields);

// One name or value: UTF-8 bytes; A-Z a-z 0-9 * - . _ as they are; space as
// "+"; every other byte as "%XX" with upper-case hex digits.
std::string FormUrlEncode(std::wstring_view text);

// The body: name=value pairs joined by "&" in list order. A line without "="
// or whose first character is "=" adds nothing. The name is the text before
// the first "=", the value the rest (it may hold further "=").
std::string EncodeFormBody(const std::vector<std::wstring>& fields);

}  // namespace qf
