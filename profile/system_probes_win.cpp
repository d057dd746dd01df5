#include "profile/system_probes_win.h"

#include <windows.h>
#include <lm.h>

#include <cstring>

#include "common/app_error.h"
#include "common/text.h"
#include "platform/module_path.h"
#include "platform/registry.h"
#include "platform/version_info.h"
#include "profile/profile_text.h"

namespace qf {

namespace {

const wchar_t kProcessorKey[] = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

struct StartupFacts {
  OsDescription os;
  std::int32_t processorCount = 0;
};

const StartupFacts& Facts() {
  static const StartupFacts facts = [] {
    StartupFacts f;
    f.os = ProbeOsDescription();
    SYSTEM_INFO info{};
    ::GetSystemInfo(&info);
    f.processorCount = static_cast<std::int32_t>(info.dwNumberOfProcessors);
    return f;
  }();
  return facts;
}

// The product version of kernel32.dll, which tells the true version where
// GetVersionExW may be shimmed.
bool ReadKernelVersion(std::int32_t& major, std::int32_t& minor) {
  const auto block = VersionInfoBlock::Read(SystemFolder() + L"\\kernel32.dll");
  if (!block) return false;
  const auto fixed = block->Fixed();
  if (!fixed) return false;
  major = static_cast<std::int32_t>(HIWORD(fixed->dwProductVersionMS));
  minor = static_cast<std::int32_t>(LOWORD(fixed->dwProductVersionMS));
  return true;
}

bool ReadWorkstationVersion(std::int32_t& major, std::int32_t& minor) {
  WKSTA_INFO_100* info = nullptr;
  if (::NetWkstaGetInfo(nullptr, 100, reinterpret_cast<BYTE**>(&info)) != NERR_Success || info == nullptr) {
    if (info) ::NetApiBufferFree(info);
    return false;
  }
  major = static_cast<std::int32_t>(info->wki100_ver_major);
  minor = static_cast<std::int32_t>(info->wki100_ver_minor);
  ::NetApiBufferFree(info);
  return true;
}

bool IsWorkstationByVerification() {
  OSVERSIONINFOEXW wanted{};
  wanted.dwOSVersionInfoSize = sizeof wanted;
  wanted.wProductType = VER_NT_WORKSTATION;
  const DWORDLONG mask = ::VerSetConditionMask(0, VER_PRODUCT_TYPE, VER_EQUAL);
  return ::VerifyVersionInfoW(&wanted, VER_PRODUCT_TYPE, mask) != FALSE;
}

}  // namespace

OsDescription ProbeOsDescription() {
  OSVERSIONINFOEXW version{};
  version.dwOSVersionInfoSize = sizeof version;
  ::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version));
  OsNameFacts facts;
  facts.major = static_cast<std::int32_t>(version.dwMajorVersion);
  facts.minor = static_cast<std::int32_t>(version.dwMinorVersion);
  facts.productType = version.wProductType;

  SYSTEM_INFO system{};
  if (facts.major > 5 || (facts.major == 5 && facts.minor >= 1)) ::GetNativeSystemInfo(&system);
  facts.processorArchitecture = system.wProcessorArchitecture;

  if (NeedsTrueVersionLookup(facts.major, facts.minor)) {
    std::int32_t major = 0, minor = 0;
    if (ReadKernelVersion(major, minor) || ReadWorkstationVersion(major, minor)) {
      facts.major = major;
      facts.minor = minor;
    }
  }
  facts.serverR2 = ::GetSystemMetrics(SM_SERVERR2) != 0;
  if ((facts.major == 6 && facts.minor == 3) || (facts.major == 10 && facts.minor == 0))
    facts.isServer = !IsWorkstationByVerification();

  OsDescription os;
  os.major = facts.major;
  os.minor = facts.minor;
  os.name = OsNameFor(facts);
  os.architecture =
      system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ? OsArchitecture::x64 : OsArchitecture::x86;
  return os;
}

void CaptureStartupFacts() { (void)Facts(); }
const OsDescription& GetOsDescription() { return Facts().os; }
bool IsOs64Bit() { return Facts().os.architecture == OsArchitecture::x64; }
std::int32_t GetProcessorCount() { return Facts().processorCount; }

bool IsTerminalServer() { return ::GetSystemMetrics(SM_REMOTESESSION) != 0; }

std::wstring GetCpuMhz() {
  const RegistryKey key = RegistryKey::OpenForReading(HKEY_LOCAL_MACHINE, kProcessorKey);
  if (!key.IsOpen()) return {};
  return SignedDecimal(key.ReadInteger(L"~MHz"));
}

std::wstring GetCpuName() {
  const RegistryKey key = RegistryKey::OpenForReading(HKEY_LOCAL_MACHINE, kProcessorKey);
  if (!key.IsOpen()) return {};
  return key.ReadText(L"ProcessorNameString");
}

std::wstring GetVolumeSerial(wchar_t driveLetter) {
  const std::wstring root = std::wstring(1, driveLetter) + L":\\";
  DWORD serial = 0, maxComponent = 0, flags = 0;
  // A failed query leaves serial at 0, which is still a decimal text.
  if (!::GetVolumeInformationW(root.c_str(), nullptr, 0, &serial, &maxComponent, &flags, nullptr, 0)) serial = 0;
  return UnsignedDecimal(serial);
}

namespace {
// A date value of another type than text counts as a missing date: the
// fingerprint then simply lacks it, instead of the whole profile failing.
std::wstring ReadDateText(const wchar_t* path, const wchar_t* name) {
  try {
    return CompactBiosDate(RegistryKey::OpenReadOnly(HKEY_LOCAL_MACHINE, path).ReadText(name));
  } catch (const AppError&) {
    return {};
  }
}
}  // namespace

std::wstring GetBiosDate() {
  std::wstring date = ReadDateText(L"Enum\\Root\\*PNP0C01\\0000", L"BIOSDate");
  if (date.empty()) date = ReadDateText(L"HARDWARE\\DESCRIPTION\\System", L"SystemBiosDate");
  return date;
}

std::string ReadComputerName() {
  char buffer[256] = {};
  DWORD size = 255;
  if (!::GetComputerNameA(buffer, &size)) return {};
  return std::string(buffer, strnlen(buffer, 255));
}

std::wstring GetOsVersionText() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!::GetVersionExW(&version)) return {};
  return UnsignedDecimal(version.dwMajorVersion) + L"." + UnsignedDecimal(version.dwMinorVersion);
}

std::int32_t GetTotalRamMb() {
  if (IsOs64Bit()) {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    ::GlobalMemoryStatusEx(&status);
    return static_cast<std::int32_t>(status.ullTotalPhys / 1048576u);
  }
  MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  ::GlobalMemoryStatus(&status);
  return static_cast<std::int32_t>((status.dwTotalPhys >> 20) + 1);
}

}  // namespace qf
