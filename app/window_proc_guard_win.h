#pragma once
// The Win32 boundary: window procedures let nothing escape into user32.
#include <windows.h>

#include <string>

namespace qf {

// The message of the error being handled, for the default error box. Call
// it inside a catch block only.
std::wstring CurrentErrorMessage() noexcept;

// Runs handler(message, wParam, lParam). An error that escapes it goes to
// onError with its message; the message then gets the default answer (a
// paint request is validated first, so that it does not come back at once).
template <typename Handler, typename OnError>
LRESULT GuardedMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Handler&& handler,
                       OnError&& onError) noexcept {
  try {
    return handler(message, wParam, lParam);
  } catch (...) {
    const std::wstring text = CurrentErrorMessage();
    if (message == WM_PAINT) ::ValidateRect(window, nullptr);
    try {
      onError(text);
    } catch (...) {
    }
  }
  return message == WM_PAINT ? 0 : ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace qf
