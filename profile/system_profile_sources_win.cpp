#include "profile/system_profile_sources_win.h"

#include <windows.h>

#include "platform/module_path.h"
#include "platform/registry.h"
#include "platform/text_conversion.h"
#include "profile/browser_probes_win.h"
#include "profile/file_crc32_win.h"
#include "profile/system_probes_win.h"

namespace qf {

std::wstring SystemProfileSources::VolumeSerial(wchar_t driveLetter) { return GetVolumeSerial(driveLetter); }
std::wstring SystemProfileSources::BiosDate() { return GetBiosDate(); }
std::wstring SystemProfileSources::ComputerName() { return AnsiToWide(ReadComputerName()); }
std::wstring SystemProfileSources::OsVersionText() { return GetOsVersionText(); }
std::int32_t SystemProfileSources::ScreenWidth() { return ::GetSystemMetrics(SM_CXSCREEN); }
std::int32_t SystemProfileSources::ScreenHeight() { return ::GetSystemMetrics(SM_CYSCREEN); }
const OsDescription& SystemProfileSources::Os() { return GetOsDescription(); }
bool SystemProfileSources::IsTerminalServer() { return qf::IsTerminalServer(); }
std::wstring SystemProfileSources::CpuName() { return GetCpuName(); }
std::int32_t SystemProfileSources::ProcessorCount() { return GetProcessorCount(); }
std::wstring SystemProfileSources::CpuMhz() { return GetCpuMhz(); }
std::int32_t SystemProfileSources::TotalRamMb() { return GetTotalRamMb(); }
std::int32_t SystemProfileSources::IeMajorVersion() { return GetIeMajorVersion(); }
std::int32_t SystemProfileSources::FirefoxMajorVersion() { return GetFirefoxMajorVersion(); }
std::int32_t SystemProfileSources::ChromeMajorVersion() { return GetChromeMajorVersion(); }
std::wstring SystemProfileSources::DefaultBrowserExe() { return GetDefaultBrowserExe(); }
std::int32_t SystemProfileSources::ScreenDpi() {
  return ReadRegistryInteger(HKEY_CURRENT_USER, L"Control Panel\\Desktop\\WindowMetrics", L"AppliedDPI");
}
std::wstring SystemProfileSources::OwnExePath() { return OwnExecutablePath(); }
std::uint32_t SystemProfileSources::FileCrc32(const std::wstring& path) {
  std::uint32_t checksum = 0;
  qf::FileCrc32(path, checksum);
  return checksum;
}

void BuildMachineProfile(std::vector<std::wstring>& lines) {
  SystemProfileSources sources;
  BuildMachineProfile(lines, sources);
}

}  // namespace qf
