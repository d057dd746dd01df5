#pragma once
// A lock between the GUI thread and a background job, on the system's own
// slim reader/writer lock: no threading library comes into the program.
#include <windows.h>

namespace qf {

class SlimLock {
 public:
  SlimLock() = default;
  SlimLock(const SlimLock&) = delete;
  SlimLock& operator=(const SlimLock&) = delete;

  // Holds the lock for its own lifetime.
  class Hold {
   public:
    explicit Hold(SlimLock& section) : lock_(&section.lock_) { ::AcquireSRWLockExclusive(lock_); }
    ~Hold() { ::ReleaseSRWLockExclusive(lock_); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    SRWLOCK* lock_;
  };

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
};

}  // namespace qf
