#include <gtest/gtest.h>

#include "profile/crc32.h"
#include "profile/os_description.h"
#include "profile/profile_text.h"

namespace qf {
namespace {

TEST(ReplaceAll, Cases) {
  struct Case { std::wstring source, pattern, replacement, out; } cases[] = {
      {L"10/18/2023", L"/", L"", L"10182023"},
      {L"a//b", L"/", L"", L"ab"},            // adjacent occurrences both vanish
      {L"aaa", L"a", L"aa", L"aaaaaa"},       // inserted text is not searched again
      {L"abc", L"", L"x", L"abc"},            // empty pattern is never found
      {L"", L"a", L"b", L""},
      {L"abcabc", L"bc", L"X", L"aXaX"},
      {L"xyz", L"q", L"r", L"xyz"},
      {L"ABab", L"a", L"_", L"AB_b"},         // case-sensitive
  };
  for (const auto& c : cases) EXPECT_EQ(ReplaceAll(c.source, c.pattern, c.replacement), c.out) << c.source.size();
}

TEST(ParseInteger, StandardConversionRules) {
  struct Case { std::wstring text; std::optional<std::int32_t> value; } cases[] = {
      {L"115", 115},          {L"  11", 11},          {L"-7", -7},            {L"+8", 8},
      {L"$1F", 31},           {L"x10", 16},           {L"0x10", 16},          {L"0X1f", 31},
      {L"2147483647", 2147483647}, {L"-2147483648", INT32_MIN}, {L"2147483648", std::nullopt},
      {L"$FFFFFFFF", -1},     {L"$100000000", std::nullopt},
      {L"", std::nullopt},    {L" ", std::nullopt},   {L"-", std::nullopt},   {L"11 ", std::nullopt},
      {L"11a", std::nullopt}, {L"abc", std::nullopt}, {L"\t11", std::nullopt}, {L"1.5", std::nullopt},
      {L"C:\\Chrome\\", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseInteger(c.text), c.value) << "text of length " << c.text.size();
}

TEST(MajorVersion, TrimmedPartBeforeMarkAndConversionStep) {
  EXPECT_EQ(TrimmedPartBefore(L"115.0.2 (x64 it)", L'('), L"115.0.2");
  EXPECT_EQ(TrimmedPartBefore(L" 11 .1.19041.0", L'.'), L"11");
  EXPECT_EQ(TrimmedPartBefore(L" 11 ", L'.'), L" 11 ");  // no mark: unchanged, untrimmed

  std::int32_t result = 42;
  ConvertMajorVersion(L"", result);
  EXPECT_EQ(result, 42) << "an empty text keeps the result";
  ConvertMajorVersion(L"abc", result);
  EXPECT_EQ(result, 0) << "a text that does not convert gives 0";
  ConvertMajorVersion(L"120", result);
  EXPECT_EQ(result, 120);
}

TEST(FileNamePart, AfterLastBackslashOrColon) {
  EXPECT_EQ(FileNamePart(L"C:\\Users\\x\\Downloads\\Setup.exe"), L"Setup.exe");
  EXPECT_EQ(FileNamePart(L"C:Setup.exe"), L"Setup.exe");
  EXPECT_EQ(FileNamePart(L"Setup.exe"), L"Setup.exe");
  EXPECT_EQ(FileNamePart(L"C:\\dir\\"), L"");
}

TEST(BiosDate, SlashesRemovedAndCutToFour) {
  EXPECT_EQ(CompactBiosDate(L"10/18/2023"), L"1018");
  EXPECT_EQ(CompactBiosDate(L"10/18/23"), L"1018");
  EXPECT_EQ(CompactBiosDate(L"///"), L"");
  EXPECT_EQ(CompactBiosDate(L"1/2"), L"12");
}

TEST(OsName, VersionTable) {
  struct Case { OsNameFacts facts; std::wstring name; } cases[] = {
      {{5, 0, 1, 0, false, false}, L"Windows 2000"},
      {{5, 1, 1, 0, false, false}, L"Windows XP"},
      {{5, 2, 1, 9, false, false}, L"Windows XP"},
      {{5, 2, 1, 0, false, false}, L"Windows Server 2003"},
      {{5, 2, 3, 9, true, false}, L"Windows Server 2003 R2"},
      {{6, 0, 1, 0, false, false}, L"Windows Vista"},
      {{6, 0, 3, 0, false, false}, L"Windows Server 2008"},
      {{6, 1, 1, 9, false, false}, L"Windows 7"},
      {{6, 1, 2, 9, false, false}, L"Windows Server 2008 R2"},
      {{6, 2, 1, 9, false, false}, L"Windows 8"},
      {{6, 2, 3, 9, false, false}, L"Windows Server 2012"},
      {{6, 3, 1, 9, false, false}, L"Windows 8.1"},
      {{6, 3, 3, 9, false, true}, L"Windows Server 2012 R2"},
      {{10, 0, 1, 9, false, false}, L"Windows 10"},
      {{10, 0, 3, 9, false, true}, L"Windows Server 2016"},
      {{11, 0, 1, 9, false, false}, L"Windows"},
      {{6, 4, 1, 9, false, false}, L"Windows"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(OsNameFor(c.facts), c.name) << c.facts.major << "." << c.facts.minor << " type " << c.facts.productType;
  EXPECT_FALSE(NeedsTrueVersionLookup(6, 1));
  EXPECT_TRUE(NeedsTrueVersionLookup(6, 2));
  EXPECT_TRUE(NeedsTrueVersionLookup(10, 0));
}

TEST(Crc32, MatchesTheCheckValueWhateverTheSplit) {
  const std::string check = "123456789";
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(check.data());
  EXPECT_EQ(Crc32Finish(Crc32Update(kCrc32Initial, bytes, check.size())), 0xCBF43926u);
  std::uint32_t state = kCrc32Initial;
  for (std::size_t i = 0; i < check.size(); ++i) state = Crc32Update(state, bytes + i, 1);
  EXPECT_EQ(Crc32Finish(state), 0xCBF43926u);
  EXPECT_EQ(Crc32Finish(Crc32Update(kCrc32Initial, nullptr, 0)), 0u);
}

}  // namespace
}  // namespace qf
