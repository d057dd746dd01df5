#pragma once
// The operating system's version, name and architecture as the profile
// reports them, captured once at start.
#include <cstdint>
#include <string>

namespace qf {

enum class OsArchitecture { x86, x64 };

struct OsDescription {
  std::int32_t major = 0;
  std::int32_t minor = 0;
  std::wstring name = L"Windows";
  OsArchitecture architecture = OsArchitecture::x86;
};

// What the name table needs to know about the system.
struct OsNameFacts {
  std::int32_t major = 0;
  std::int32_t minor = 0;
  int productType = 0;              // wProductType: 1 is a workstation
  int processorArchitecture = 0;    // wProcessorArchitecture: 9 is AMD64
  bool serverR2 = false;            // GetSystemMetrics(SM_SERVERR2) != 0
  bool isServer = false;            // the workstation verification failed
};

inline constexpr int kProductTypeWorkstation = 1;
inline constexpr int kProcessorArchitectureAmd64 = 9;

// The marketing name of a Windows version. Windows 11 reports 10.0 and is
// therefore named "Windows 10", as the landing server expects.
std::wstring OsNameFor(const OsNameFacts& facts);

// True when a version from GetVersionExW may be a compatibility lie and the
// real version must be read elsewhere (anything above 6.1).
constexpr bool NeedsTrueVersionLookup(std::int32_t major, std::int32_t minor) {
  return major > 6 || (major == 6 && minor >= 2);
}

}  // namespace qf
