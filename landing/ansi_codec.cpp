#include "landing/ansi_codec.h"

#include <cstdint>

namespace qf {

namespace {

// Bytes 0x80..0x9F of Windows-1252. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same
// value, as MultiByteToWideChar does, so every byte survives a round trip.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

constexpr char kMissing = '?';

// The byte for one code unit, or kMissing when the code page lacks it.
char ByteFor(std::uint32_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
  for (std::size_t i = 0; i < 32; ++i) {
    if (kHighControls[i] == unit) return static_cast<char>(0x80 + i);
  }
  return kMissing;
}

bool IsHighSurrogate(std::uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Lower case of ASCII and Latin-1 capitals; the multiplication sign U+00D7
// sits among the capitals but has no case.
std::uint32_t FoldCase(std::uint32_t u) {
  if (u >= 'A' && u <= 'Z') return u + 0x20;
  if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return u + 0x20;
  return u;
}

}  // namespace

std::wstring Cp1252Codec::ToWide(std::string_view ansi) const {
  std::wstring out;
  out.reserve(ansi.size());
  for (char c : ansi) {
    const auto b = static_cast<unsigned char>(c);
    const std::uint32_t unit = (b >= 0x80 && b <= 0x9F) ? kHighControls[b - 0x80] : b;
    out.push_back(static_cast<wchar_t>(unit));
  }
  return out;
}

std::string Cp1252Codec::ToAnsi(std::wstring_view wide) const {
  std::string out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const auto unit = static_cast<std::uint32_t>(wide[i]);
    // A surrogate pair is one character the code page lacks: one "?".
    if (IsHighSurrogate(unit) && i + 1 < wide.size() && IsLowSurrogate(static_cast<std::uint32_t>(wide[i + 1]))) {
      out.push_back(kMissing);
      ++i;
      continue;
    }
    out.push_back(ByteFor(unit));
  }
  return out;
}

bool Cp1252Codec::SameKey(std::wstring_view a, std::wstring_view b) const {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(static_cast<std::uint32_t>(a[i])) != FoldCase(static_cast<std::uint32_t>(b[i]))) return false;
  }
  return true;
}

}  // namespace qf
