#include "landing/form_encoding.h"

#include "common/text.h"
#include "common/utf.h"

namespace qf {

namespace {

bool IsKeptAsIs(unsigned char b) {
  return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '*' || b == '-' ||
         b == '.' || b == '_';
}

}  // namespace

void AppendLandingLines(std::vector<std::wstring>& fields) {
  fields.push_back(L"HTTP_CALL_METHOD=NETHTTP");
  // The count includes the count line itself, which is about to be added.
  fields.push_back(L"param_tot_count=" + SignedDecimal(static_cast<std::int64_t>(fields.size() + 1)));
}

std::string FormUrlEncode(std::wstring_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const std::string utf8 = Utf16ToUtf8(text);
  std::string out;
  out.reserve(utf8.size() * 3);
  for (char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    if (IsKeptAsIs(b)) {
      out.push_back(c);
    } else if (b == ' ') {
      out.push_back('+');
    } else {
      out.push_back('%');
      out.push_back(kHex[b >> 4]);
      out.push_back(kHex[b & 0x0F]);
    }
  }
  return out;
}

std::string EncodeFormBody(const std::vector<std::wstring>& fields) {
  std::string body;
  for (const std::wstring& line : fields) {
    const std::size_t eq = line.find(L'=');
    // No name, or no "=" at all: nothing to send for this line.
    if (eq == std::wstring::npos || eq == 0) continue;
    if (!body.empty()) body.push_back('&');
    const std::wstring_view view(line);
    body += FormUrlEncode(view.substr(0, eq));
    body.push_back('=');
    body += FormUrlEncode(view.substr(eq + 1));
  }
  return body;
}

}  // namespace qf
