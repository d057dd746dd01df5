#pragma once
// The download's progress on the window's taskbar button (ITaskbarList3):
// normal while downloading, red after a failed download until the next
// attempt, none after success. Where the system lacks the interface,
// nothing happens.
#include <windows.h>
#include <shobjidl.h>

#include "platform/com_ptr.h"

namespace qf {

class TaskbarProgress {
 public:
  explicit TaskbarProgress(HWND window) : window_(window) {}
  void Normal(int percent);
  void Error();
  void Clear();

 private:
  // The taskbar's object, made at the first use; null where it is missing.
  ITaskbarList3* List();

  HWND window_;
  ComPtr<ITaskbarList3> list_;
  bool tried_ = false;
  int percent_ = 0;
};

}  // namespace qf
