// The landing form body from arbitrary field lines.
//
// The first byte is the code unit that separates lines; the rest is read as
// little-endian UTF-16 code units, so lone surrogates and NULs occur.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "common/text.h"
#include "common/utf.h"
#include "landing/form_encoding.h"

namespace {

bool IsUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }
int HexValue(char c) { return c <= '9' ? c - '0' : c - 'A' + 10; }

bool IsAllowed(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '*' || c == '-' ||
         c == '.' || c == '_' || c == '+' || c == '%' || c == '&' || c == '=';
}

// The form decoding a server applies: "+" is a space, "%XX" a byte.
std::string FormDecode(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out.push_back(' ');
    } else if (text[i] == '%') {
      out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

std::vector<std::string_view> Split(std::string_view text, char mark) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(mark, start);
    parts.push_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const wchar_t separator = static_cast<wchar_t>(data[0]);
  std::wstring units;
  for (std::size_t i = 1; i + 1 < size; i += 2) units.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));

  std::vector<std::wstring> fields;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= units.size(); ++i) {
    if (i == units.size() || units[i] == separator) {
      fields.push_back(units.substr(start, i - start));
      start = i + 1;
    }
  }
  const std::size_t given = fields.size();
  qf::AppendLandingLines(fields);
  FUZZ_CHECK(fields.size() == given + 2);
  FUZZ_CHECK(fields[given] == L"HTTP_CALL_METHOD=NETHTTP");
  FUZZ_CHECK(fields[given + 1] == L"param_tot_count=" + qf::SignedDecimal(static_cast<std::int64_t>(given + 2)));

  const std::string body = qf::EncodeFormBody(fields);
  for (std::size_t i = 0; i < body.size(); ++i) {
    FUZZ_CHECK(IsAllowed(body[i]));
    if (body[i] == '%') {
      FUZZ_CHECK(i + 2 < body.size() && IsUpperHex(body[i + 1]) && IsUpperHex(body[i + 2]));
    }
  }

  // Every pair decodes back to the UTF-8 of a line that has a name, in order.
  std::vector<std::wstring> sent;
  for (const auto& field : fields) {
    const std::size_t eq = field.find(L'=');
    if (eq != std::wstring::npos && eq != 0) sent.push_back(field);
  }
  const std::vector<std::string_view> pairs = Split(body, '&');
  FUZZ_CHECK(pairs.size() == sent.size());
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const std::vector<std::string_view> halves = Split(pairs[i], '=');
    FUZZ_CHECK(halves.size() == 2 && !halves[0].empty());
    const std::size_t eq = sent[i].find(L'=');
    FUZZ_CHECK(FormDecode(halves[0]) == qf::Utf16ToUtf8(std::wstring_view(sent[i]).substr(0, eq)));
    FUZZ_CHECK(FormDecode(halves[1]) == qf::Utf16ToUtf8(std::wstring_view(sent[i]).substr(eq + 1)));
  }
  FUZZ_CHECK(pairs.back() == "param_tot_count=" + std::to_string(given + 2));
  return 0;
}
