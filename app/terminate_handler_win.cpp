// The program's own last resort when an error reaches no handler at all
// (the window procedures and background jobs catch everything, so this is
// a bug's path). It replaces the C++ runtime's verbose handler, which
// prints the error's demangled type to a console a GUI program does not
// have, and which alone brings the runtime's demangler and its whole
// formatted-print machinery into the program: some 70 KB.
#include <windows.h>

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() {
  ::TerminateProcess(::GetCurrentProcess(), 3);
  __builtin_unreachable();
}

}  // namespace __gnu_cxx
