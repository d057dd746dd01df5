#pragma once
// A wait for background work during which the GUI thread keeps serving its
// windows, so that Windows never takes them for hung.
#include <windows.h>

#include <functional>

namespace qf {

enum class WaitEnd { Done, Stopped, TimedOut };

// Waits until done is signalled, stop() turns true or timeoutMs have passed
// (INFINITE: no limit), calling tick() at least every 50 ms and once more
// when the work is done. Meanwhile the thread answers
// sent messages, repaints, and lets the user move, minimise, restore and
// close its windows (non-client mouse input, system keys and commands, close
// requests). Other input and posted messages stay in the queue for the next
// point where the running handler processes messages.
WaitEnd WaitServingWindows(HANDLE done, DWORD timeoutMs, const std::function<bool()>& stop,
                           const std::function<void()>& tick);

}  // namespace qf
