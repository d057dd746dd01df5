#include <gtest/gtest.h>

#include "common/text.h"
#include "common/utf.h"

namespace qf {
namespace {

TEST(Trim, RemovesControlAndBlankAtBothEndsOnly) {
  struct Case { std::wstring in, out; } cases[] = {
      {L"", L""},
      {L" \t\r\n", L""},
      {L"\x01\x1F abc def \x20\x7F", L"abc def \x20\x7F"},  // 0x7F is above U+0020 and stays
      {std::wstring(L"\0a\0", 3), L"a"},
      {L"a\r\nb", L"a\r\nb"},
      {L"\xA0x\xA0", L"\xA0x\xA0"},  // no-break space is not trimmed
  };
  for (const auto& c : cases) EXPECT_EQ(Trim(c.in), c.out) << "case of length " << c.in.size();
  EXPECT_EQ(Trim(std::string_view("\x00\x20 ok\x10", 6)), "ok");
}

TEST(Decimal, SignedAndUnsignedForms) {
  EXPECT_EQ(SignedDecimal(0), L"0");
  EXPECT_EQ(SignedDecimal(-1), L"-1");
  EXPECT_EQ(SignedDecimal(INT64_MIN), L"-9223372036854775808");
  EXPECT_EQ(UnsignedDecimal(0xFFFFFFFFu), L"4294967295");
  EXPECT_EQ(UnsignedDecimal(0x80000000u), L"2147483648");
}

TEST(TrailingDelimiter, AddedOnceAndNeverToEmpty) {
  EXPECT_EQ(IncludeTrailingDelimiterIfAny(L""), L"");
  EXPECT_EQ(IncludeTrailingDelimiterIfAny(L"C:\\Temp"), L"C:\\Temp\\");
  EXPECT_EQ(IncludeTrailingDelimiterIfAny(L"C:\\Temp\\"), L"C:\\Temp\\");
}

TEST(HttpSuccess, OnlyTwoHundreds) {
  EXPECT_FALSE(IsHttpSuccess(199));
  EXPECT_TRUE(IsHttpSuccess(200));
  EXPECT_TRUE(IsHttpSuccess(299));
  EXPECT_FALSE(IsHttpSuccess(300));
}

TEST(Utf8, StrictDecodingAcceptsWellFormedOnly) {
  struct Case { std::string bytes; bool ok; std::wstring text; } cases[] = {
      {"", true, L""},
      {"abc", true, L"abc"},
      {"\xC3\xA8", true, L"\xE8"},
      {"\xEF\xBB\xBFx", true, L"\xFEFFx"},            // the BOM is kept
      {"\xF0\x9F\x98\x80", true, std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}},
      {"\xE8", false, L""},                           // lone Latin-1 byte
      {"\xC0\xAF", false, L""},                       // overlong
      {"\xE0\x80\xAF", false, L""},                   // overlong, three bytes
      {"\xED\xA0\x80", false, L""},                   // surrogate
      {"\xF4\x90\x80\x80", false, L""},               // above U+10FFFF
      {"\xE2\x82", false, L""},                       // truncated
      {"\x80", false, L""},                           // stray continuation
      {"\xF5\x80\x80\x80", false, L""},
  };
  for (const auto& c : cases) {
    const auto decoded = DecodeUtf8Strict(c.bytes);
    ASSERT_EQ(decoded.has_value(), c.ok) << "bytes of length " << c.bytes.size();
    if (c.ok) EXPECT_EQ(*decoded, c.text);
  }
}

TEST(Utf8, EncodingPairsSurrogatesAndReplacesLoneOnes) {
  EXPECT_EQ(Utf16ToUtf8(L"\xE8"), "\xC3\xA8");
  EXPECT_EQ(Utf16ToUtf8(std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(std::wstring{wchar_t(0xD83D), L'a'}), "\xEF\xBF\xBD" "a");
  EXPECT_EQ(Utf16ToUtf8(std::wstring{wchar_t(0xDE00)}), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace qf
