#pragma once
// The machine profile: the ordered key=value lines posted to the landing page.
#include <cstdint>
#include <string>
#include <vector>

#include "profile/os_description.h"

namespace qf {

// Where the profile's values come from. The Windows build answers with the
// real probes; any of them may throw, and the profile's guards decide what a
// line then carries.
class ProfileSources {
 public:
  virtual ~ProfileSources() = default;
  virtual std::wstring VolumeSerial(wchar_t driveLetter) = 0;  // unsigned decimal
  virtual std::wstring BiosDate() = 0;                         // at most four characters
  virtual std::wstring ComputerName() = 0;                     // converted from the ANSI code page, untrimmed
  virtual std::wstring OsVersionText() = 0;                    // "major.minor" or empty
  virtual std::int32_t ScreenWidth() = 0;
  virtual std::int32_t ScreenHeight() = 0;
  virtual const OsDescription& Os() = 0;
  virtual bool IsTerminalServer() = 0;
  virtual std::wstring CpuName() = 0;
  virtual std::int32_t ProcessorCount() = 0;
  virtual std::wstring CpuMhz() = 0;
  virtual std::int32_t TotalRamMb() = 0;
  virtual std::int32_t IeMajorVersion() = 0;
  virtual std::int32_t FirefoxMajorVersion() = 0;
  virtual std::int32_t ChromeMajorVersion() = 0;
  virtual std::wstring DefaultBrowserExe() = 0;
  virtual std::int32_t ScreenDpi() = 0;  // throws when the value cannot be read
  virtual std::wstring OwnExePath() = 0;
  virtual std::uint32_t FileCrc32(const std::wstring& path) = 0;
};

inline constexpr wchar_t kSettingsSection[] = L"SETUP_DEPLOY_A";
inline constexpr std::size_t kProfileLineCount = 21;

// Appends the 21 profile lines, in their fixed order, to lines.
void BuildMachineProfile(std::vector<std::wstring>& lines, ProfileSources& sources);

}  // namespace qf
