// System and hardware probes against Wine's registry and system calls, with
// fixture values written into the test prefix and removed afterwards.
#include <gtest/gtest.h>

#include <cwctype>

#include "common/app_error.h"
#include "common/text.h"
#include "platform/text_conversion.h"
#include "profile/system_probes_win.h"
#include "tests/windows/test_support.h"

namespace qf {
namespace {

using test::ScopedRegistryValue;
const wchar_t kCpuKey[] = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
const wchar_t kBiosKey[] = L"Enum\\Root\\*PNP0C01\\0000";
const wchar_t kSystemKey[] = L"HARDWARE\\DESCRIPTION\\System";

bool AllDigits(const std::wstring& text) {
  if (text.empty()) return false;
  for (wchar_t c : text)
    if (c < L'0' || c > L'9') return false;
  return true;
}

TEST(CpuProbes, MhzAsDwordTextOrMissing) {
  {
    const auto mhz = ScopedRegistryValue::Dword(HKEY_LOCAL_MACHINE, kCpuKey, L"~MHz", 3192);
    EXPECT_EQ(GetCpuMhz(), L"3192");
  }
  {
    const auto mhz = ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kCpuKey, L"~MHz", L"3192");
    EXPECT_THROW(GetCpuMhz(), AppError) << "a speed stored as text";
  }
  {
    const auto mhz = ScopedRegistryValue::Absent(HKEY_LOCAL_MACHINE, kCpuKey, L"~MHz");
    EXPECT_THROW(GetCpuMhz(), AppError) << "no speed value";
  }
}

TEST(CpuProbes, NameIsUnchangedOrEmptyOrAnError) {
  {
    const auto name = ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kCpuKey, L"ProcessorNameString", L" Ryzen 7 ");
    EXPECT_EQ(GetCpuName(), L" Ryzen 7 ");
  }
  {
    const auto name = ScopedRegistryValue::Absent(HKEY_LOCAL_MACHINE, kCpuKey, L"ProcessorNameString");
    EXPECT_EQ(GetCpuName(), L"");
  }
  {
    const auto name = ScopedRegistryValue::Dword(HKEY_LOCAL_MACHINE, kCpuKey, L"ProcessorNameString", 1);
    EXPECT_THROW(GetCpuName(), AppError);
  }
}

TEST(BiosDate, FirstLocationThenTheSystemKey) {
  const struct {
    const wchar_t* title;
    std::optional<std::wstring> first;   // BIOSDate, nullopt: absent
    bool firstIsDword;
    std::optional<std::wstring> second;  // SystemBiosDate
    std::wstring expected;
  } cases[] = {
      {L"month/day/year", L"10/18/2023", false, L"01/02/99", L"1018"},
      {L"two-digit year", L"10/18/23", false, std::nullopt, L"1018"},
      {L"only slashes: falls back", L"//", false, L"03/04/2001", L"0304"},
      {L"first missing", std::nullopt, false, L"05/06/07", L"0506"},
      {L"first not text: counts as missing", std::nullopt, true, L"07/08/2009", L"0708"},
      {L"neither", std::nullopt, false, std::nullopt, L""},
  };
  for (const auto& c : cases) {
    std::optional<ScopedRegistryValue> first, second;
    if (c.firstIsDword) first.emplace(ScopedRegistryValue::Dword(HKEY_LOCAL_MACHINE, kBiosKey, L"BIOSDate", 20231018));
    else if (c.first) first.emplace(ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kBiosKey, L"BIOSDate", *c.first));
    else first.emplace(ScopedRegistryValue::Absent(HKEY_LOCAL_MACHINE, kBiosKey, L"BIOSDate"));
    if (c.second) second.emplace(ScopedRegistryValue::Text(HKEY_LOCAL_MACHINE, kSystemKey, L"SystemBiosDate", *c.second));
    else second.emplace(ScopedRegistryValue::Absent(HKEY_LOCAL_MACHINE, kSystemKey, L"SystemBiosDate"));
    EXPECT_EQ(GetBiosDate(), c.expected) << c.title;
  }
  const auto notText = ScopedRegistryValue::Dword(HKEY_LOCAL_MACHINE, kSystemKey, L"SystemBiosDate", 1);
  const auto none = ScopedRegistryValue::Absent(HKEY_LOCAL_MACHINE, kBiosKey, L"BIOSDate");
  EXPECT_EQ(GetBiosDate(), L"") << "a non-text date never stops the profile";
}

TEST(VolumeSerial, DecimalTextForDriveCAndZeroForAMissingDrive) {
  const std::wstring serial = GetVolumeSerial(L'C');
  EXPECT_TRUE(AllDigits(serial)) << serial;
  DWORD expected = 0;
  ASSERT_TRUE(::GetVolumeInformationW(L"C:\\", nullptr, 0, &expected, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(serial, UnsignedDecimal(expected));
  EXPECT_EQ(GetVolumeSerial(L'B'), L"0");
}

TEST(SystemFacts, ComputerNameVersionMemoryAndCounts) {
  char name[MAX_COMPUTERNAME_LENGTH + 2] = {};
  DWORD size = sizeof name;
  ASSERT_TRUE(::GetComputerNameA(name, &size));
  EXPECT_EQ(ReadComputerName(), std::string(name));

  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  ASSERT_TRUE(::GetVersionExW(&version));
  EXPECT_EQ(GetOsVersionText(), UnsignedDecimal(version.dwMajorVersion) + L"." + UnsignedDecimal(version.dwMinorVersion));

  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof memory;
  ASSERT_TRUE(::GlobalMemoryStatusEx(&memory));
  ASSERT_TRUE(IsOs64Bit());
  EXPECT_EQ(GetTotalRamMb(), static_cast<std::int32_t>(memory.ullTotalPhys / 1048576u));

  SYSTEM_INFO info{};
  ::GetSystemInfo(&info);
  EXPECT_EQ(GetProcessorCount(), static_cast<std::int32_t>(info.dwNumberOfProcessors));
  EXPECT_FALSE(IsTerminalServer());
}

}  // namespace
}  // namespace qf
