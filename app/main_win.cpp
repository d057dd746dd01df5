// Entry point of Quarlo Fetchwell.
#include <windows.h>

#include "app/process_start_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  if (!qf::SecureProcessStart()) return 1;
  return 0;
}
