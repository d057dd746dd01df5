#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <stdexcept>

#include "common/app_error.h"
#include "profile/machine_profile.h"

namespace qf {
namespace {

// Sources with fixed answers; any probe named in failing throws instead.
class FixedSources : public ProfileSources {
 public:
  std::set<std::string> failing;
  std::wstring serial = L"3735928559", bios = L"1018", computer = L"  PC-ROSSI\t", osText = L"10.0";
  OsDescription os{10, 0, L"Windows 10", OsArchitecture::x64};
  std::wstring cpuName = L" Intel(R) Core(TM) i5 ", mhz = L"2995", browser = L"firefox.exe";
  std::wstring exe = L"C:\\Users\\rossi\\Downloads\\QuarloFetchwell.exe";
  std::uint32_t crc = 0xFFFFFFFEu;
  wchar_t askedDrive = 0;
  std::wstring askedCrcPath;

  std::wstring VolumeSerial(wchar_t d) override { askedDrive = d; Check("serial"); return serial; }
  std::wstring BiosDate() override { Check("bios"); return bios; }
  std::wstring ComputerName() override { return computer; }
  std::wstring OsVersionText() override { return osText; }
  std::int32_t ScreenWidth() override { return 1920; }
  std::int32_t ScreenHeight() override { return 1080; }
  const OsDescription& Os() override { return os; }
  bool IsTerminalServer() override { Check("ts"); return false; }
  std::wstring CpuName() override { Check("cpuname"); return cpuName; }
  std::int32_t ProcessorCount() override { Check("count"); return 8; }
  std::wstring CpuMhz() override { Check("mhz"); return mhz; }
  std::int32_t TotalRamMb() override { Check("ram"); return 16303; }
  std::int32_t IeMajorVersion() override { Check("ie"); return 11; }
  std::int32_t FirefoxMajorVersion() override { Check("firefox"); return 115; }
  std::int32_t ChromeMajorVersion() override { Check("chrome"); return 0; }
  std::wstring DefaultBrowserExe() override { Check("browser"); return browser; }
  std::int32_t ScreenDpi() override { Check("dpi"); return 144; }
  std::wstring OwnExePath() override { return exe; }
  std::uint32_t FileCrc32(const std::wstring& path) override { askedCrcPath = path; return crc; }

 private:
  void Check(const std::string& probe) {
    if (failing.count(probe)) throw AppError(L"Invalid data type for 'x'");
  }
};

std::vector<std::wstring> Build(FixedSources& sources) {
  std::vector<std::wstring> lines;
  BuildMachineProfile(lines, sources);
  return lines;
}

TEST(MachineProfile, TwentyOneLinesInOrderWithTheirFormats) {
  FixedSources sources;
  const std::vector<std::wstring> expected = {
      L"TR=1",
      L"pc=37351018",
      L"nc=PC-ROSSI",
      L"OS=10.0",
      L"Res=1920-1080",
      L"OS_Versione=10,0",
      L"OS_Nome=Windows 10",
      L"OS_Arch=64",
      L"Terminal_Server=False",
      L"CPU_Family= Intel(R) Core(TM) i5 ",
      L"CPU_Thread=8",
      L"CPU_Mhz=2995",
      L"RAM=16303",
      L"IE_Versione=11",
      L"FIREFOX_Versione=115",
      L"CHROME_Versione=0",
      L"Browser_Predefinito=firefox.exe",
      L"Screen_DPI=144",
      L"Setup_CRC=4294967294",
      L"Setup_Filename=QuarloFetchwell.exe",
      L"_destination_alias=SETUP_DEPLOY_A",
  };
  EXPECT_EQ(Build(sources), expected);
  EXPECT_EQ(sources.askedDrive, L'C');
  EXPECT_EQ(sources.askedCrcPath, sources.exe);
  EXPECT_EQ(expected.size(), kProfileLineCount);
}

TEST(MachineProfile, ShortSerialEmptyDateAndEmptyValuesStayAsTheyAre) {
  FixedSources sources;
  sources.serial = L"42";
  sources.bios = L"";
  sources.computer = L"\x01 \x02";
  sources.osText = L"";
  sources.cpuName = L"";
  sources.mhz = L"";
  sources.os = {6, 1, L"Windows 7", OsArchitecture::x86};
  const auto lines = Build(sources);
  ASSERT_EQ(lines.size(), kProfileLineCount);
  EXPECT_EQ(lines[1], L"pc=42");
  EXPECT_EQ(lines[2], L"nc=");
  EXPECT_EQ(lines[3], L"OS=");
  EXPECT_EQ(lines[5], L"OS_Versione=6,1");
  EXPECT_EQ(lines[7], L"OS_Arch=32");
  EXPECT_EQ(lines[9], L"CPU_Family=");
  EXPECT_EQ(lines[11], L"CPU_Mhz=");
}

TEST(MachineProfile, EachGuardedProbeFailsIntoItsOwnErrorLine) {
  const struct { const char* probe; std::size_t index; std::wstring line; } cases[] = {
      {"ts", 8, L"Terminal_Server=ERROR"},      {"cpuname", 9, L"CPU_Family=ERROR"},
      {"count", 10, L"CPU_Thread=ERROR"},       {"mhz", 11, L"CPU_Mhz=ERROR"},
      {"ram", 12, L"RAM=ERROR"},                {"ie", 13, L"IE_Versione=ERROR"},
      {"firefox", 14, L"FIREFOX_Versione=ERROR"}, {"chrome", 15, L"CHROME_Versione=ERROR"},
      {"browser", 16, L"Browser_Predefinito=ERROR"}, {"dpi", 17, L"Screen_DPI=-1"},
  };
  FixedSources reference;
  const auto normal = Build(reference);
  for (const auto& c : cases) {
    FixedSources sources;
    sources.failing = {c.probe};
    auto lines = Build(sources);
    ASSERT_EQ(lines.size(), kProfileLineCount) << c.probe;
    EXPECT_EQ(lines[c.index], c.line) << c.probe;
    lines[c.index] = normal[c.index];
    EXPECT_EQ(lines, normal) << "only the failing line changes: " << c.probe;
  }
  FixedSources allFailing;
  allFailing.failing = {"ts", "cpuname", "count", "mhz", "ram", "ie", "firefox", "chrome", "browser", "dpi"};
  EXPECT_EQ(Build(allFailing).size(), kProfileLineCount);
}

TEST(MachineProfile, AnErrorInAnUnguardedLineStopsTheProfile) {
  FixedSources sources;
  sources.failing = {"serial"};
  std::vector<std::wstring> lines;
  EXPECT_THROW(BuildMachineProfile(lines, sources), AppError);
  EXPECT_EQ(lines, std::vector<std::wstring>{L"TR=1"});
}

}  // namespace
}  // namespace qf
