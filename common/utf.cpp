#include "common/utf.h"

#include <cstdint>

namespace qf {

namespace {
void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void AppendUtf16(std::wstring& out, std::uint32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<wchar_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
  }
}
}  // namespace

std::string Utf16ToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t unit = static_cast<std::uint32_t>(text[i]) & 0xFFFFu;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
      std::uint32_t next = static_cast<std::uint32_t>(text[i + 1]) & 0xFFFFu;
      if (next >= 0xDC00 && next <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
        ++i;
        continue;
      }
    }
    if (unit >= 0xD800 && unit <= 0xDFFF) unit = 0xFFFD;
    AppendUtf8(out, unit);
  }
  return out;
}

std::optional<std::wstring> DecodeUtf8Strict(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  const std::size_t n = bytes.size();
  auto byteAt = [&](std::size_t k) { return static_cast<std::uint8_t>(bytes[k]); };
  while (i < n) {
    const std::uint8_t b0 = byteAt(i);
    if (b0 < 0x80) {
      out.push_back(static_cast<wchar_t>(b0));
      ++i;
      continue;
    }
    // Well-formed sequences per the Unicode table: the second byte's range
    // depends on the lead byte, which rules out overlongs and surrogates.
    int length = 0;
    std::uint8_t lo = 0x80, hi = 0xBF;
    std::uint32_t cp = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      length = 2; cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      length = 3; cp = b0 & 0x0F;
      if (b0 == 0xE0) lo = 0xA0;
      if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      length = 4; cp = b0 & 0x07;
      if (b0 == 0xF0) lo = 0x90;
      if (b0 == 0xF4) hi = 0x8F;
    } else {
      return std::nullopt;
    }
    if (n - i < static_cast<std::size_t>(length)) return std::nullopt;
    const std::uint8_t b1 = byteAt(i + 1);
    if (b1 < lo || b1 > hi) return std::nullopt;
    cp = (cp << 6) | (b1 & 0x3F);
    for (int k = 2; k < length; ++k) {
      const std::uint8_t bk = byteAt(i + k);
      if (bk < 0x80 || bk > 0xBF) return std::nullopt;
      cp = (cp << 6) | (bk & 0x3F);
    }
    AppendUtf16(out, cp);
    i += length;
  }
  return out;
}

}  // namespace qf
