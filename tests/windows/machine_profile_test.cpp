// The whole machine profile of the Wine machine, and the version paths of
// the OS description under the Windows versions Wine can pretend to be.
#include <gtest/gtest.h>
#include <zlib.h>

#include <sstream>

#include "common/text.h"
#include "platform/module_path.h"
#include "profile/system_profile_sources_win.h"
#include "tests/windows/test_support.h"

namespace qf {
namespace {

using test::ScopedRegistryValue;

std::vector<std::wstring> RealProfile() {
  std::vector<std::wstring> lines;
  BuildMachineProfile(lines);
  return lines;
}

std::wstring ValueOf(const std::vector<std::wstring>& lines, const std::wstring& key) {
  for (const auto& line : lines)
    if (line.rfind(key + L"=", 0) == 0) return line.substr(key.size() + 1);
  return L"(missing)";
}

TEST(RealProfile, TwentyOneLinesWithRealValues) {
  const auto dpi = ScopedRegistryValue::Dword(HKEY_CURRENT_USER, L"Control Panel\\Desktop\\WindowMetrics", L"AppliedDPI", 120);
  const auto lines = RealProfile();
  for (const auto& line : lines) std::printf("  %ls\n", line.c_str());
  const wchar_t* keys[] = {L"TR", L"pc", L"nc", L"OS", L"Res", L"OS_Versione", L"OS_Nome", L"OS_Arch",
                           L"Terminal_Server", L"CPU_Family", L"CPU_Thread", L"CPU_Mhz", L"RAM", L"IE_Versione",
                           L"FIREFOX_Versione", L"CHROME_Versione", L"Browser_Predefinito", L"Screen_DPI",
                           L"Setup_CRC", L"Setup_Filename", L"_destination_alias"};
  ASSERT_EQ(lines.size(), 21u);
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].substr(0, lines[i].find(L'=')), keys[i]);
  EXPECT_EQ(lines.front(), L"TR=1");
  EXPECT_EQ(lines.back(), L"_destination_alias=SETUP_DEPLOY_A");
  EXPECT_EQ(ValueOf(lines, L"OS_Arch"), L"64");
  EXPECT_EQ(ValueOf(lines, L"Terminal_Server"), L"False");
  EXPECT_EQ(ValueOf(lines, L"Screen_DPI"), L"120");
  EXPECT_EQ(ValueOf(lines, L"Res"), SignedDecimal(::GetSystemMetrics(SM_CXSCREEN)) + L"-" +
                                        SignedDecimal(::GetSystemMetrics(SM_CYSCREEN)));
  EXPECT_EQ(ValueOf(lines, L"Setup_Filename"), L"windows_tests.exe");
  const std::string self = test::ReadFileBytes(OwnExecutablePath());
  const auto crc = static_cast<std::uint32_t>(crc32(0L, reinterpret_cast<const Bytef*>(self.data()),
                                                    static_cast<uInt>(self.size())));
  EXPECT_EQ(ValueOf(lines, L"Setup_CRC"), UnsignedDecimal(crc));
  EXPECT_EQ(ValueOf(lines, L"CPU_Mhz").find_first_not_of(L"0123456789"), std::wstring::npos);
  EXPECT_NE(ValueOf(lines, L"RAM"), L"0");
}

TEST(RealProfile, NoAppliedDpiGivesMinusOneAndOddProcessorValuesGiveErrorLines) {
  const auto dpi = ScopedRegistryValue::Absent(HKEY_CURRENT_USER, L"Control Panel\\Desktop\\WindowMetrics", L"AppliedDPI");
  const auto mhz = ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                                             L"~MHz", L"2994 MHz");
  const auto name = ScopedRegistryValue::Dword(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                                               L"ProcessorNameString", 0);
  const auto firefox = ScopedRegistryValue::Dword(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node\\Mozilla\\Mozilla Firefox",
                                                  L"CurrentVersion", 115);
  const auto bios = ScopedRegistryValue::Dword(HKEY_LOCAL_MACHINE, L"Enum\\Root\\*PNP0C01\\0000", L"BIOSDate", 1);
  const auto lines = RealProfile();
  ASSERT_EQ(lines.size(), 21u) << "a BIOS date of another type does not stop the profile";
  EXPECT_EQ(ValueOf(lines, L"Screen_DPI"), L"-1");
  EXPECT_EQ(ValueOf(lines, L"CPU_Mhz"), L"ERROR");
  EXPECT_EQ(ValueOf(lines, L"CPU_Family"), L"ERROR");
  EXPECT_EQ(ValueOf(lines, L"FIREFOX_Versione"), L"ERROR");
}

// The OS lines of print_profile.exe (which carries the program's manifest)
// while Wine pretends to be a given Windows version for it alone.
TEST(OsDescription, VersionPathsUnderEachPretendedWindows) {
  // Above 6.1 the version comes from kernel32.dll, which Wine stamps 10.0,
  // so a pretended 8 or 8.1 shows the lookup at work. Wine 8 reports "win7"
  // with the server product type and "win2008r2" with the workstation one.
  const struct { const wchar_t* wine; const char* os; const char* versione; const char* name; } cases[] = {
      {L"win10", "OS=10.0", "OS_Versione=10,0", "OS_Nome=Windows 10"},
      {L"win81", "OS=6.3", "OS_Versione=10,0", "OS_Nome=Windows 10"},
      {L"win8", "OS=6.2", "OS_Versione=10,0", "OS_Nome=Windows 10"},
      {L"win2008r2", "OS=6.1", "OS_Versione=6,1", "OS_Nome=Windows 7"},
      {L"win7", "OS=6.1", "OS_Versione=6,1", "OS_Nome=Windows Server 2008 R2"},
      {L"vista", "OS=6.0", "OS_Versione=6,0", "OS_Nome=Windows Vista"},
      {L"win2008", "OS=6.0", "OS_Versione=6,0", "OS_Nome=Windows Server 2008"},
      {L"winxp64", "OS=5.2", "OS_Versione=5,2", "OS_Nome=Windows XP"},
      {L"win2003", "OS=5.2", "OS_Versione=5,2", "OS_Nome=Windows Server 2003"},
  };
  for (const auto& c : cases) {
    const auto version = ScopedRegistryValue::Text(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\print_profile.exe",
                                                   L"Version", c.wine);
    const auto output = test::RunAndCapture(L"\"" + test::StubPath(L"print_profile.exe") + L"\"");
    ASSERT_TRUE(output.has_value());
    std::istringstream in(*output);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.find_last_not_of("\r") + 1));
    ASSERT_EQ(lines.size(), 21u) << *output;
    EXPECT_EQ(lines[3], c.os) << c.wine;
    EXPECT_EQ(lines[5], c.versione) << c.wine;
    EXPECT_EQ(lines[6], c.name) << c.wine;
    EXPECT_EQ(lines[7], "OS_Arch=64") << c.wine;
  }
}

}  // namespace
}  // namespace qf
