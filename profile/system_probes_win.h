#pragma once
// System and hardware probes of the machine profile (Windows).
#include <cstdint>
#include <string>

#include "profile/os_description.h"

namespace qf {

// Captures the OS description and the processor count; the first call does
// the work, later calls return the same values.
void CaptureStartupFacts();
const OsDescription& GetOsDescription();
bool IsOs64Bit();
std::int32_t GetProcessorCount();

// Computes the OS description afresh (the start-up capture calls it once).
OsDescription ProbeOsDescription();

bool IsTerminalServer();
std::wstring GetCpuMhz();   // throws when "~MHz" is missing or not a DWORD
std::wstring GetCpuName();  // throws when the name is not text
std::wstring GetVolumeSerial(wchar_t driveLetter);
std::wstring GetBiosDate();
std::string ReadComputerName();  // ANSI code page
std::wstring GetOsVersionText();
std::int32_t GetTotalRamMb();

}  // namespace qf
