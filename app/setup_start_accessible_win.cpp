// The download window as screen readers see it: its labels, banners, bar and
// button as the children of its client object, in reading order.
#include <oleacc.h>

#include <iterator>

#include "app/setup_start_win.h"
#include "common/text.h"

namespace qf {

namespace {

struct AccessibleChild {
  Control control;
  long role;
  const wchar_t* name;  // null: a label, named by its caption
};

// Child n is entry n - 1. The backgrounds are decoration and left out.
constexpr AccessibleChild kAccessibleChildren[] = {
    {Control::lblTitolo, ROLE_SYSTEM_STATICTEXT, nullptr},
    {Control::lblSottoTitolo, ROLE_SYSTEM_STATICTEXT, nullptr},
    {Control::lblTesto1, ROLE_SYSTEM_STATICTEXT, nullptr},
    {Control::lblLink, ROLE_SYSTEM_LINK, nullptr},
    {Control::ImageMod1, ROLE_SYSTEM_GRAPHIC, L"Banner 1"},
    {Control::ImageMod2, ROLE_SYSTEM_GRAPHIC, L"Banner 2"},
    {Control::ImageMod3, ROLE_SYSTEM_GRAPHIC, L"Banner 3"},
    {Control::lblInfoBar, ROLE_SYSTEM_STATICTEXT, nullptr},
    {Control::ProgressBar1, ROLE_SYSTEM_PROGRESSBAR, nullptr},
    {Control::btnDownload, ROLE_SYSTEM_PUSHBUTTON, nullptr},
};
constexpr long kAccessibleChildCount = static_cast<long>(std::size(kAccessibleChildren));

// 0 when the control is not shown to screen readers.
long ChildIdOf(Control control) {
  for (long i = 0; i < kAccessibleChildCount; ++i)
    if (kAccessibleChildren[i].control == control) return i + 1;
  return 0;
}

RECT ToScreen(HWND window, RECT r) {
  POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
  ::MapWindowPoints(window, nullptr, corners, 2);
  return {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

}  // namespace

long TfrmSetupStart::AccessibleChildCount() { return kAccessibleChildCount; }

AccessibleFacts TfrmSetupStart::AccessibleFactsOf(long child) {
  if (child <= 0 || child > kAccessibleChildCount) {
    AccessibleFacts facts;
    facts.role = ROLE_SYSTEM_CLIENT;
    wchar_t caption[256] = {};
    ::GetWindowTextW(window_, caption, 256);
    facts.name = caption;
    facts.state = STATE_SYSTEM_FOCUSABLE | (::GetFocus() == window_ ? STATE_SYSTEM_FOCUSED : 0);
    RECT client;
    ::GetClientRect(window_, &client);
    facts.screen = ToScreen(window_, client);
    return facts;
  }
  const AccessibleChild& entry = kAccessibleChildren[child - 1];
  if (entry.control == Control::btnDownload) {
    AccessibleFacts facts = btnDownload.Facts();
    facts.window = btnDownload.Handle();
    return facts;
  }
  if (entry.control == Control::ProgressBar1) {
    AccessibleFacts facts = barAccessible_.Facts();
    facts.window = ProgressBar1;
    return facts;
  }
  const WindowlessControl& control = Find(entry.control);
  AccessibleFacts facts;
  facts.role = entry.role;
  facts.name = entry.name ? entry.name : Trim(control.caption);
  facts.state = STATE_SYSTEM_READONLY;
  const bool shows = control.visible && (control.isLabel || control.picture);
  if (!shows) facts.state |= STATE_SYSTEM_INVISIBLE;
  if (entry.role == ROLE_SYSTEM_LINK) {
    facts.state = STATE_SYSTEM_LINKED | (shows ? 0 : STATE_SYSTEM_INVISIBLE);
    if (shows) facts.defaultAction = L"Apri";
  }
  facts.screen = ToScreen(window_, control.isLabel ? LabelRect(control) : PixelRect(control.bounds, false));
  return facts;
}

long TfrmSetupStart::AccessibleChildAt(POINT screen) {
  POINT p = screen;
  ::ScreenToClient(window_, &p);
  RECT client;
  ::GetClientRect(window_, &client);
  if (!::PtInRect(&client, p)) return -1;
  const HWND under = ::ChildWindowFromPointEx(window_, p, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
  if (under == btnDownload.Handle()) return ChildIdOf(Control::btnDownload);
  if (under == ProgressBar1) return ChildIdOf(Control::ProgressBar1);
  const WindowlessControl* hit = HitTest(p);
  return hit ? ChildIdOf(hit->id) : CHILDID_SELF;
}

bool TfrmSetupStart::AccessibleDefaultAction(long child) {
  if (child <= 0 || child > kAccessibleChildCount) return false;
  switch (kAccessibleChildren[child - 1].control) {
    case Control::lblLink:
      if (!Find(Control::lblLink).visible) return false;
      PostUserEvent(UserEvent::LinkClick);
      return true;
    case Control::btnDownload:
      return btnDownload.PressLater();
    default:
      return false;
  }
}

void TfrmSetupStart::NotifyNameChange(Control id) {
  if (const long child = ChildIdOf(id)) NotifyAccessibleEvent(EVENT_OBJECT_NAMECHANGE, window_, child);
}

void TfrmSetupStart::NotifyShown(Control id, bool shown) {
  if (const long child = ChildIdOf(id))
    NotifyAccessibleEvent(shown ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE, window_, child);
}

}  // namespace qf
