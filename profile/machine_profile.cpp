#include "profile/machine_profile.h"

#include "common/text.h"
#include "profile/profile_text.h"

namespace qf {

namespace {

// A guarded line: any error while obtaining or formatting its value is
// dropped and the line carries the fallback instead, so one odd registry
// value never costs the user the landing exchange.
template <typename MakeLine>
void AppendGuarded(std::vector<std::wstring>& lines, const wchar_t* key, MakeLine makeLine) {
  try {
    lines.push_back(std::wstring(key) + makeLine());
  } catch (...) {
    lines.push_back(std::wstring(key) + L"ERROR");
  }
}

}  // namespace

void BuildMachineProfile(std::vector<std::wstring>& lines, ProfileSources& s) {
  lines.push_back(L"TR=1");

  std::wstring serial = s.VolumeSerial(L'C');
  if (serial.size() > 4) serial.resize(4);
  lines.push_back(L"pc=" + serial + s.BiosDate());

  lines.push_back(L"nc=" + Trim(s.ComputerName()));
  lines.push_back(L"OS=" + s.OsVersionText());
  lines.push_back(L"Res=" + SignedDecimal(s.ScreenWidth()) + L"-" + SignedDecimal(s.ScreenHeight()));

  const OsDescription& os = s.Os();
  lines.push_back(L"OS_Versione=" + SignedDecimal(os.major) + L"," + SignedDecimal(os.minor));
  lines.push_back(L"OS_Nome=" + os.name);
  lines.push_back(os.architecture == OsArchitecture::x64 ? L"OS_Arch=64" : L"OS_Arch=32");

  AppendGuarded(lines, L"Terminal_Server=", [&] { return std::wstring(s.IsTerminalServer() ? L"True" : L"False"); });
  AppendGuarded(lines, L"CPU_Family=", [&] { return s.CpuName(); });
  AppendGuarded(lines, L"CPU_Thread=", [&] { return SignedDecimal(s.ProcessorCount()); });
  AppendGuarded(lines, L"CPU_Mhz=", [&] { return s.CpuMhz(); });
  AppendGuarded(lines, L"RAM=", [&] { return SignedDecimal(s.TotalRamMb()); });
  AppendGuarded(lines, L"IE_Versione=", [&] { return SignedDecimal(s.IeMajorVersion()); });
  AppendGuarded(lines, L"FIREFOX_Versione=", [&] { return SignedDecimal(s.FirefoxMajorVersion()); });
  AppendGuarded(lines, L"CHROME_Versione=", [&] { return SignedDecimal(s.ChromeMajorVersion()); });
  AppendGuarded(lines, L"Browser_Predefinito=", [&] { return s.DefaultBrowserExe(); });

  // The DPI line is always present: an unreadable value is written as -1.
  std::wstring dpi;
  try {
    dpi = SignedDecimal(s.ScreenDpi());
  } catch (...) {
    dpi = L"-1";
  }
  lines.push_back(L"Screen_DPI=" + dpi);

  const std::wstring exePath = s.OwnExePath();
  lines.push_back(L"Setup_CRC=" + UnsignedDecimal(s.FileCrc32(exePath)));
  lines.push_back(L"Setup_Filename=" + FileNamePart(exePath));
  lines.push_back(std::wstring(L"_destination_alias=") + kSettingsSection);
}

}  // namespace qf
