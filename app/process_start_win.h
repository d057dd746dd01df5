#pragma once
namespace qf {
// The program's first act: DLLs are looked up in the system folder only, and
// the system libraries the program delay-loads are loaded from there by full
// path. Also captures the start-up facts of the machine profile. Returns
// false when the DLL search cannot be made safe; the program must then stop.
bool SecureProcessStart();
}  // namespace qf
