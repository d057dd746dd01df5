#pragma once
// The machine profile's values taken from the real machine.
#include "profile/machine_profile.h"

namespace qf {

class SystemProfileSources final : public ProfileSources {
 public:
  std::wstring VolumeSerial(wchar_t driveLetter) override;
  std::wstring BiosDate() override;
  std::wstring ComputerName() override;
  std::wstring OsVersionText() override;
  std::int32_t ScreenWidth() override;
  std::int32_t ScreenHeight() override;
  const OsDescription& Os() override;
  bool IsTerminalServer() override;
  std::wstring CpuName() override;
  std::int32_t ProcessorCount() override;
  std::wstring CpuMhz() override;
  std::int32_t TotalRamMb() override;
  std::int32_t IeMajorVersion() override;
  std::int32_t FirefoxMajorVersion() override;
  std::int32_t ChromeMajorVersion() override;
  std::wstring DefaultBrowserExe() override;
  std::int32_t ScreenDpi() override;
  std::wstring OwnExePath() override;
  std::uint32_t FileCrc32(const std::wstring& path) override;
};

// BuildMachineProfile over the real machine.
void BuildMachineProfile(std::vector<std::wstring>& lines);

}  // namespace qf
