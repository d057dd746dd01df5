#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "app/download_rules.h"

namespace qf {
namespace {

TEST(InstallerPath, WorkFolderAndFileNameFromTempAndBuild) {
  const struct { std::wstring temp, build, path; } cases[] = {
      {L"C:\\Temp", L"714", L"C:\\Temp\\_Ostrel\\SETUP_DEPLOY_A\\setup_B714.exe"},
      {L"C:\\Temp\\", L"714", L"C:\\Temp\\_Ostrel\\SETUP_DEPLOY_A\\setup_B714.exe"},
      {L"", L"714", L"_Ostrel\\SETUP_DEPLOY_A\\setup_B714.exe"},
      {L"C:\\Temp", L"", L"C:\\Temp\\_Ostrel\\SETUP_DEPLOY_A\\setup_B.exe"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InstallerPathFor(WorkFolderFor(c.temp), c.build), c.path) << c.temp << L" " << c.build;
    EXPECT_EQ(SafeInstallerPathFor(WorkFolderFor(c.temp), c.build), c.path) << c.temp << L" " << c.build;
  }
}

// The cases of a well-known file-name sanitizer's table, and a few more.
TEST(SafeFileName, RefusesWhatWindowsWouldMisreadOrForbid) {
  const struct { std::wstring name; bool safe; } cases[] = {
      {L"setup_B714.exe", true}, {L"setup_B.exe", true}, {L"setup_B\u00E8.exe", true},
      {L"COM10", true}, {L"CONSOLE", true}, {L"LPT", true}, {L"NULL.txt", true}, {L"a.b.c", true},
      {L"", false}, {L".", false}, {L"..", false},
      {L"CON", false}, {L"con.txt", false}, {L"CON .txt", false}, {L"Aux", false}, {L"NUL.exe", false},
      {L"PRN", false}, {L"COM1", false}, {L"com9.exe", false}, {L"LPT1", false}, {L"lpt9.tar.gz", false},
      {L"COM\u00B9", false}, {L"CONIN$", false}, {L"conout$.log", false},
      {L"file.", false}, {L"file ", false}, {L"file. .", false},
      {L"a:b", false}, {L"file.exe:stream", false}, {L"file.exe::$DATA", false},
      {L"c:\\x.exe", false}, {L"c:x.exe", false}, {L"\\\\server\\share\\x.exe", false}, {L"\\\\?\\C:\\x", false},
      {L"a/b", false}, {L"a\\b", false}, {L"../x", false},
      {L"a<b", false}, {L"a>b", false}, {L"a\"b", false}, {L"a|b", false}, {L"a?b", false}, {L"a*b", false},
      {std::wstring(L"a\x01" L"b"), false}, {std::wstring(L"a\x1F" L"b"), false}, {std::wstring(1, L'\0'), false},
      {std::wstring(255, L'x'), true}, {std::wstring(256, L'x'), false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsSafeFileName(c.name), c.safe) << c.name;
}

TEST(SafeInstallerPath, BuildTextsThatWouldLeaveTheFolderOrBreakTheNameGiveNoPath) {
  const std::wstring folder = L"C:\\Temp\\_Ostrel";
  const std::wstring refused[] = {
      L"..\\..\\Windows\\notepad", L"../x", L"1..2", L"..", L"\\x", L"/x", L"C:\\x", L"x:stream",
      L"\\\\server\\share\\x", L"\\\\?\\C:\\x", L"a|b", L"7\n14", L"x?", std::wstring(245, L'7'),
  };
  for (const auto& build : refused) EXPECT_FALSE(SafeInstallerPathFor(folder, build).has_value()) << build;
  // "setup_B" in front and ".exe" behind: no build can make a device name or
  // a trailing dot, so these are plain names.
  for (const std::wstring build : {L"CON", L"714.", L"714 ", L"NUL", L"7.1.4"})
    EXPECT_TRUE(SafeInstallerPathFor(folder, build).has_value()) << build;
  EXPECT_TRUE(SafeInstallerPathFor(folder, std::wstring(200, L'7')).has_value());
  EXPECT_FALSE(SafeInstallerPathFor(std::wstring(200, L'T'), std::wstring(50, L'7')).has_value())
      << "a path past the shell's limit";
  // The limit leaves room for the ".partial" the download is written to.
  const std::wstring fixed = L"\\SETUP_DEPLOY_A\\setup_B.exe";
  const std::wstring longest(kMaxInstallerPathChars - fixed.size(), L'T');
  EXPECT_EQ(SafeInstallerPathFor(longest, L"").value_or(L"").size(), kMaxInstallerPathChars);
  EXPECT_FALSE(SafeInstallerPathFor(longest + L"T", L"").has_value());
  EXPECT_LE(kMaxInstallerPathChars + std::wstring(L".partial").size(), 259u);
}

TEST(InfoBar, TextOfADownload) {
  EXPECT_EQ(InfoBarText(L"714", L"18/10/2023", L"85"), L"Build 714 del 18/10/2023 - dimensione 85 MB");
  EXPECT_EQ(InfoBarText(L"", L"", L""), L"Build  del  - dimensione  MB");
}

TEST(Progress, WholePercentRoundedTowardZero) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  const struct { std::int64_t total, read; int percent; } cases[] = {
      {1000000, 0, 0}, {1000000, 333333, 33}, {1000000, 999999, 99}, {1000000, 1000000, 100},
      {3, 1, 33}, {3, 2, 66}, {1, 1, 100}, {100, 150, 100},
      {kMax, kMax - 1, 99}, {kMax, kMax / 2, 49}, {kMax / 2, kMax / 4, 49}, {kMax, kMax, 100},
      {256LL << 20, 128LL << 20, 50},
  };
  for (const auto& c : cases) EXPECT_EQ(ProgressPercent(c.total, c.read), c.percent) << c.total << " " << c.read;
}

TEST(Progress, WithoutALengthTheBarMovesButNeverClaimsTheEnd) {
  for (const std::int64_t total : {0LL, -1LL}) {
    EXPECT_EQ(ProgressPercent(total, 0), 0);
    int last = 0;
    for (std::int64_t read = 1; read < (std::int64_t{1} << 40); read *= 4) {
      const int percent = ProgressPercent(total, read);
      EXPECT_GE(percent, last) << read;
      EXPECT_LE(percent, 99) << read;
      last = percent;
    }
    EXPECT_GE(last, 90) << "a long transfer comes close to the end";
    EXPECT_GT(ProgressPercent(total, 4 << 20), 0);
  }
}

}  // namespace
}  // namespace qf
