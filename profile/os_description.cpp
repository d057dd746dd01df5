#include "profile/os_description.h"

namespace qf {

std::wstring OsNameFor(const OsNameFacts& f) {
  const bool workstation = f.productType == kProductTypeWorkstation;
  if (f.major == 5 && f.minor == 0) return L"Windows 2000";
  if (f.major == 5 && f.minor == 1) return L"Windows XP";
  if (f.major == 5 && f.minor == 2) {
    if (workstation && f.processorArchitecture == kProcessorArchitectureAmd64) return L"Windows XP";
    return f.serverR2 ? L"Windows Server 2003 R2" : L"Windows Server 2003";
  }
  if (f.major == 6 && f.minor == 0) return workstation ? L"Windows Vista" : L"Windows Server 2008";
  if (f.major == 6 && f.minor == 1) return workstation ? L"Windows 7" : L"Windows Server 2008 R2";
  if (f.major == 6 && f.minor == 2) return workstation ? L"Windows 8" : L"Windows Server 2012";
  if (f.major == 6 && f.minor == 3) return f.isServer ? L"Windows Server 2012 R2" : L"Windows 8.1";
  if (f.major == 10 && f.minor == 0) return f.isServer ? L"Windows Server 2016" : L"Windows 10";
  return L"Windows";
}

}  // namespace qf
