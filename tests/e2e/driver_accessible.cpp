// The window driver's screen-reader commands: they read the program's window
// from this other process through MSAA only, as assistive technology does.
//
//   accessible    the window's client object and its children, then the
//                 button's and the bar's own objects, found as child windows
//   infobar       the info bar's text: the child under its middle
//   events <ms>   name, value and state changes the program announces
#include <oleacc.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "window_driver.h"

namespace {

// Spelled out: the import library exports it as data.
constexpr IID kIAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The info bar's middle in the design's client pixels; the tests run at 96 DPI.
constexpr POINT kInfoBarMiddle{147 + 438 / 2, 539 + 8};

struct ComApartment {
  ComApartment() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComApartment() { ::CoUninitialize(); }
};

struct Facts {
  HRESULT hr = E_FAIL;
  long role = -1, state = -1, count = -1;
  std::wstring name, value, action;
};

VARIANT ChildId(long child) {
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = child;
  return v;
}

std::wstring Take(BSTR text) {
  std::wstring out = text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
  ::SysFreeString(text);
  return out;
}

Facts Read(IAccessible* object, long child) {
  Facts facts;
  const VARIANT id = ChildId(child);
  VARIANT role, state;
  role.vt = state.vt = VT_EMPTY;
  facts.hr = object->get_accRole(id, &role);
  if (role.vt == VT_I4) facts.role = role.lVal;
  if (SUCCEEDED(object->get_accState(id, &state)) && state.vt == VT_I4) facts.state = state.lVal;
  BSTR text = nullptr;
  if (SUCCEEDED(object->get_accName(id, &text))) facts.name = Take(text);
  text = nullptr;
  if (SUCCEEDED(object->get_accValue(id, &text))) facts.value = Take(text);
  text = nullptr;
  if (SUCCEEDED(object->get_accDefaultAction(id, &text))) facts.action = Take(text);
  if (child == CHILDID_SELF) object->get_accChildCount(&facts.count);
  return facts;
}

std::string Fields(const std::string& prefix, const Facts& facts) {
  char numbers[128];
  std::snprintf(numbers, sizeof numbers, "%shr=%lx %srole=%ld %sstate=%lx", prefix.c_str(),
                static_cast<unsigned long>(facts.hr), prefix.c_str(), facts.role, prefix.c_str(),
                static_cast<unsigned long>(facts.state));
  std::string line = numbers;
  line += " " + prefix + "name=" + OneLine(facts.name);
  line += " " + prefix + "value=" + OneLine(facts.value);
  line += " " + prefix + "action=" + OneLine(facts.action);
  return line;
}

IAccessible* ClientObject(HWND window) {
  IAccessible* object = nullptr;
  if (FAILED(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIAccessible,
                                          reinterpret_cast<void**>(&object))))
    return nullptr;
  return object;
}

HWND ChildOfClass(HWND form, const wchar_t* className) { return ::FindWindowExW(form, nullptr, className, nullptr); }

// The form and its client object; null after printing why there is none.
// The form is found first: a thread that has joined COM can no longer join
// the tests' desktop.
struct FormClient {
  HWND form = FindForm();
  ComApartment com;
  IAccessible* client = form ? ClientObject(form) : nullptr;

  FormClient() {
    if (!client) std::printf(form ? "found=1 object=0\n" : "found=0\n");
  }
  ~FormClient() {
    if (client) client->Release();
  }
};

}  // namespace

int AccessibleTree() {
  const FormClient opened;
  if (!opened.client) return 1;
  HWND form = opened.form;
  IAccessible* client = opened.client;
  const Facts self = Read(client, CHILDID_SELF);
  std::string line = "found=1 object=1 " + Fields("", self) + " count=" + std::to_string(self.count);
  // The children as AccessibleChildren hands them: simple ones by number,
  // windows as objects of their own.
  std::vector<VARIANT> children(static_cast<std::size_t>(self.count > 0 && self.count < 64 ? self.count : 0));
  LONG obtained = 0;
  if (!children.empty() &&
      SUCCEEDED(::AccessibleChildren(client, 0, static_cast<LONG>(children.size()), children.data(), &obtained))) {
    for (LONG i = 0; i < obtained; ++i) {
      const std::string prefix = "c" + std::to_string(i + 1) + "_";
      VARIANT& child = children[static_cast<std::size_t>(i)];
      if (child.vt == VT_I4) {
        line += " " + prefix + "kind=simple " + Fields(prefix, Read(client, child.lVal));
      } else if (child.vt == VT_DISPATCH && child.pdispVal) {
        line += " " + prefix + "kind=window";
        child.pdispVal->Release();
      } else {
        line += " " + prefix + "kind=none";
      }
    }
  }
  line += " obtained=" + std::to_string(obtained);
  // The windows' own objects, found as child windows of the form.
  const struct {
    const char* prefix;
    const wchar_t* className;
  } windows[] = {{"button_", L"QuarloGlyphButton"}, {"bar_", L"msctls_progress32"}};
  for (const auto& w : windows) {
    HWND child = ChildOfClass(form, w.className);
    IAccessible* object = child ? ClientObject(child) : nullptr;
    if (!object) {
      line += std::string(" ") + w.prefix + "object=0";
      continue;
    }
    line += " " + Fields(w.prefix, Read(object, CHILDID_SELF));
    object->Release();
  }
  std::printf("%s\n", line.c_str());
  return 0;
}

int AccessibleInfoBar() {
  const FormClient opened;
  if (!opened.client) return 1;
  HWND form = opened.form;
  IAccessible* client = opened.client;
  POINT at = kInfoBarMiddle;
  ::ClientToScreen(form, &at);
  VARIANT hit;
  hit.vt = VT_EMPTY;
  const HRESULT hr = client->accHitTest(at.x, at.y, &hit);
  if (FAILED(hr) || hit.vt != VT_I4) {
    std::printf("found=1 object=1 hit=0 hr=%lx\n", static_cast<unsigned long>(hr));
    return 1;
  }
  const Facts facts = Read(client, hit.lVal);
  std::printf("found=1 object=1 hit=%ld infobarrole=%ld infobarvisible=%d infobar=%s\n", hit.lVal, facts.role,
              (facts.state & STATE_SYSTEM_INVISIBLE) ? 0 : 1, OneLine(facts.name).c_str());
  return 0;
}

namespace {

// The program's announcements, as a screen reader hears them: the name of
// the object each name change is about, read when it arrives.
struct Announcements {
  DWORD process = 0;
  std::vector<std::wstring> names;
  int values = 0, states = 0;
} g_heard;

void CALLBACK Heard(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (object != OBJID_CLIENT || process != g_heard.process) return;
  if (event == EVENT_OBJECT_VALUECHANGE) ++g_heard.values;
  if (event == EVENT_OBJECT_STATECHANGE) ++g_heard.states;
  if (event != EVENT_OBJECT_NAMECHANGE) return;
  IAccessible* source = nullptr;
  VARIANT id;
  id.vt = VT_EMPTY;
  if (SUCCEEDED(::AccessibleObjectFromEvent(window, object, child, &source, &id)) && source) {
    BSTR name = nullptr;
    source->get_accName(id, &name);
    g_heard.names.push_back(Take(name));
    source->Release();
  } else {
    g_heard.names.push_back(L"(unread)");
  }
}

}  // namespace

int AccessibleEvents(DWORD ms) {
  HWND form = FindForm();
  if (!form) {
    std::printf("found=0\n");
    return 1;
  }
  const ComApartment com;
  ::GetWindowThreadProcessId(form, &g_heard.process);
  // Every process's events, sorted out as they come: with a process filter
  // Wine 8 delivers none. Only the three kinds listened for, so that other
  // programs' moves never wait on this one.
  const DWORD kinds[] = {EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_STATECHANGE};
  std::vector<HWINEVENTHOOK> hooks;
  for (const DWORD kind : kinds)
    if (HWINEVENTHOOK hook = ::SetWinEventHook(kind, kind, nullptr, Heard, 0, 0, WINEVENT_OUTOFCONTEXT))
      hooks.push_back(hook);
  if (hooks.size() != std::size(kinds)) {
    std::printf("found=1 hooked=0\n");
    return 1;
  }
  std::printf("hooked=1\n");
  std::fflush(stdout);
  // Until the time is up or the window has gone.
  const DWORD start = ::GetTickCount();
  MSG msg;
  while (::GetTickCount() - start < ms && ::IsWindow(form)) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
  }
  for (HWINEVENTHOOK hook : hooks) ::UnhookWinEvent(hook);
  std::wstring names;
  for (const std::wstring& name : g_heard.names) names += (names.empty() ? L"" : L"|") + name;
  std::printf("found=1 hooked=1 namechanges=%zu valuechanges=%d statechanges=%d names=%s\n", g_heard.names.size(),
              g_heard.values, g_heard.states, OneLine(names).c_str());
  return 0;
}
