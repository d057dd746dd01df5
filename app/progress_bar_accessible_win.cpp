#include "app/progress_bar_accessible_win.h"

#include <commctrl.h>
#include <oleacc.h>

#include "common/text.h"

namespace qf {

namespace {
constexpr UINT_PTR kSubclassId = 1;
}

ProgressBarAccessible::~ProgressBarAccessible() { Detach(); }

void ProgressBarAccessible::Attach(HWND bar) {
  Detach();
  if (bar && ::SetWindowSubclass(bar, Proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) bar_ = bar;
}

void ProgressBarAccessible::Detach() {
  accessible_.Disconnect();
  if (bar_) ::RemoveWindowSubclass(bar_, Proc, kSubclassId);
  bar_ = nullptr;
}

int ProgressBarAccessible::Percent() const {
  const int low = static_cast<int>(::SendMessageW(bar_, PBM_GETRANGE, TRUE, 0));
  const int high = static_cast<int>(::SendMessageW(bar_, PBM_GETRANGE, FALSE, 0));
  const int position = static_cast<int>(::SendMessageW(bar_, PBM_GETPOS, 0, 0));
  if (high <= low) return 0;
  return ::MulDiv(position - low, 100, high - low);
}

AccessibleFacts ProgressBarAccessible::AccessibleFactsOf(long) {
  AccessibleFacts facts;
  facts.role = ROLE_SYSTEM_PROGRESSBAR;
  facts.name = name_;
  facts.value = SignedDecimal(Percent()) + L"%";
  facts.state = STATE_SYSTEM_READONLY;
  if (!::IsWindowVisible(bar_)) facts.state |= STATE_SYSTEM_INVISIBLE;
  ::GetWindowRect(bar_, &facts.screen);
  return facts;
}

long ProgressBarAccessible::AccessibleChildAt(POINT screen) {
  RECT r;
  ::GetWindowRect(bar_, &r);
  return ::PtInRect(&r, screen) ? CHILDID_SELF : -1;
}

LRESULT CALLBACK ProgressBarAccessible::Proc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR data) noexcept {
  auto* self = reinterpret_cast<ProgressBarAccessible*>(data);
  if (LRESULT object = 0; self->accessible_.OnMessage(bar, message, wParam, lParam, object)) return object;
  switch (message) {
    case PBM_SETPOS: {
      const LRESULT previous = ::DefSubclassProc(bar, message, wParam, lParam);
      if (::SendMessageW(bar, PBM_GETPOS, 0, 0) != previous)
        NotifyAccessibleEvent(EVENT_OBJECT_VALUECHANGE, bar, CHILDID_SELF);
      return previous;
    }
    case WM_NCDESTROY:
      self->Detach();
      break;
  }
  return ::DefSubclassProc(bar, message, wParam, lParam);
}

}  // namespace qf
