#pragma once
namespace qf {
// The program's first act: DLLs are looked up in the system folder only, and
// every system library the program delay-loads is loaded from there by full
// path when it is first needed. Also captures the start-up facts of the
// machine profile. Returns
// false when the DLL search cannot be made safe; the program must then stop.
bool SecureProcessStart();
}  // namespace qf
