#pragma once
// The progress bar as screen readers see it: a progress bar with a name and
// its position as a percentage on every system, where some give the common
// control's own object neither role nor value. Value changes are announced.
#include <windows.h>

#include <string>

#include "platform/accessible_object.h"

namespace qf {

class ProgressBarAccessible final : private AccessibleSource {
 public:
  explicit ProgressBarAccessible(std::wstring name) : name_(std::move(name)) {}
  ~ProgressBarAccessible();
  ProgressBarAccessible(const ProgressBarAccessible&) = delete;
  ProgressBarAccessible& operator=(const ProgressBarAccessible&) = delete;

  // Answers for the bar from now until it is destroyed.
  void Attach(HWND bar);
  // What screen readers are told about the bar now.
  AccessibleFacts Facts() { return AccessibleFactsOf(0); }

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
  void Detach();
  int Percent() const;

  long AccessibleChildCount() override { return 0; }
  AccessibleFacts AccessibleFactsOf(long child) override;
  long AccessibleChildAt(POINT screen) override;
  bool AccessibleDefaultAction(long) override { return false; }

  HWND bar_ = nullptr;
  std::wstring name_;
  AccessibleHost accessible_{*this};
};

}  // namespace qf
