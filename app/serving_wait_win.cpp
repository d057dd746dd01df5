#include "app/serving_wait_win.h"

namespace qf {

namespace {

constexpr DWORD kTickMs = 50;
// When only held-back input is waiting, the queue keeps signalling it: the
// wait then sleeps this long on the work alone instead of spinning.
constexpr DWORD kHeldInputPauseMs = 10;
// Bounds one round of dispatching, so that the work's end and stop() are
// looked at even while messages keep coming.
constexpr int kMaxPerRound = 64;

// The messages that keep a window alive and under the user's control
// without running the handlers' own input: painting, the frame (move,
// minimise, restore, the close button, the system menu) and the system keys
// (Alt+F4, Alt+Space). Calls from screen readers are served as well.
struct MessageRange {
  UINT first, last;
};
constexpr MessageRange kServedMessages[] = {
    {WM_PAINT, WM_PAINT},
    {WM_CLOSE, WM_CLOSE},
    {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK},
    {WM_SYSKEYDOWN, WM_SYSDEADCHAR},
    {WM_SYSCOMMAND, WM_SYSCOMMAND},
};

// The hidden window through which COM hands this thread the calls of other
// processes, such as a screen reader reading the window; null before COM
// has made it.
HWND ComCallWindow() {
  const DWORD thread = ::GetCurrentThreadId();
  HWND window = nullptr;
  while ((window = ::FindWindowExW(HWND_MESSAGE, window, L"OleMainThreadWndClass", nullptr)) != nullptr) {
    if (::GetWindowThreadProcessId(window, nullptr) == thread) return window;
  }
  return nullptr;
}

int DispatchServedMessages() {
  int dispatched = 0;
  MSG msg;
  // Any look at the queue runs the messages sent to the thread's windows.
  ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  for (const MessageRange& range : kServedMessages) {
    while (dispatched < kMaxPerRound && ::PeekMessageW(&msg, nullptr, range.first, range.last, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
      ++dispatched;
    }
  }
  // Calls into the window's accessible objects are answered too: they only
  // read, and a screen reader waiting on them would hang.
  if (const HWND com = ComCallWindow()) {
    while (dispatched < kMaxPerRound && ::PeekMessageW(&msg, com, 0, 0, PM_REMOVE)) {
      ::DispatchMessageW(&msg);
      ++dispatched;
    }
  }
  return dispatched;
}

}  // namespace

WaitEnd WaitServingWindows(HANDLE done, DWORD timeoutMs, const std::function<bool()>& stop,
                           const std::function<void()>& tick) {
  const ULONGLONG deadline = timeoutMs == INFINITE ? 0 : ::GetTickCount64() + timeoutMs;
  for (;;) {
    if (stop()) return WaitEnd::Stopped;
    if (deadline != 0 && ::GetTickCount64() >= deadline) return WaitEnd::TimedOut;
    const DWORD woke = ::MsgWaitForMultipleObjectsEx(1, &done, kTickMs, QS_ALLINPUT, 0);
    if (woke == WAIT_OBJECT_0) {
      tick();
      return WaitEnd::Done;
    }
    if (woke == WAIT_OBJECT_0 + 1 && DispatchServedMessages() == 0 &&
        ::WaitForSingleObject(done, kHeldInputPauseMs) == WAIT_OBJECT_0) {
      tick();
      return stop() ? WaitEnd::Stopped : WaitEnd::Done;
    }
    if (woke == WAIT_FAILED) ::WaitForSingleObject(done, kTickMs);
    tick();
  }
}

}  // namespace qf
