#pragma once
// One running copy per user session and landing address: a second start
// brings the running window to the front and ends, without a landing
// request. Builds for other landing addresses do not meet.
#include <windows.h>

#include <string>

#include "platform/unique_handle.h"

namespace qf {

class SingleInstance {
 public:
  explicit SingleInstance(const std::wstring& landingAddress);
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Whether no other copy for this landing address runs in this session.
  bool First() const { return first_; }
  // Marks this copy's window, for a later start to find.
  void Claim(HWND window) const;
  // Brings the running copy's window to the front, restoring it when it is
  // minimised; nothing when it has no window yet.
  void ActivateRunning() const;

 private:
  std::wstring property_;  // the window property naming this landing address
  UniqueKernelHandle mutex_;
  bool first_ = true;
};

}  // namespace qf
