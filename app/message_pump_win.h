#pragma once
// Dispatches every message waiting in this thread's queue and returns: the
// window repaints and takes input at the points where a handler allows it.
#include <windows.h>

namespace qf {

inline void ProcessPendingMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));  // left for the main loop
      return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

}  // namespace qf
