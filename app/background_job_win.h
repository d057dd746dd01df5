#pragma once
// Runs one piece of blocking work on a thread of its own. The work owns what
// it touches through shared pointers, so that work the window no longer
// waits for can finish later, or end with the process, without touching
// freed memory.
#include <windows.h>

#include <functional>
#include <memory>

#include "platform/unique_handle.h"

namespace qf {

class BackgroundJob {
 public:
  // Starts the work at once. When no thread can be made, the work runs on
  // the calling thread before the constructor returns.
  explicit BackgroundJob(std::function<void()> work);
  BackgroundJob(const BackgroundJob&) = delete;
  BackgroundJob& operator=(const BackgroundJob&) = delete;

  // Signalled when the work has ended.
  HANDLE Done() const;

  // How many jobs of the process have not ended yet.
  static long Unfinished();

  struct State;  // shared by the job and its thread

 private:
  std::shared_ptr<State> state_;
};

}  // namespace qf
