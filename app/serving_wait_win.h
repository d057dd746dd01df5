#pragma once
// A wait for background work during which the GUI thread keeps serving its
// windows, so that Windows never takes them for hung.
#include <windows.h>

#include <functional>

namespace qf {

enum class WaitEnd { Done, Stopped };

// Waits until done is signalled or stop() turns true, calling tick() at
// least every 50 ms and once more at the end. Meanwhile the thread answers
// sent messages, repaints, and lets the user move, minimise, restore and
// close its windows (non-client mouse input, system keys and commands, close
// requests). Other input and posted messages stay in the queue for the next
// point where the running handler processes messages.
WaitEnd WaitServingWindows(HANDLE done, const std::function<bool()>& stop, const std::function<void()>& tick);

}  // namespace qf
