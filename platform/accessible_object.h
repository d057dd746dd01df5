#pragma once
// The MSAA object (IAccessible) of a window that draws its own content:
// screen readers and UI Automation learn from it what the window shows.
// It asks the window for the facts at every call, so it never tells stale
// ones, and it is cut off when the window goes.
#include <windows.h>

#include <string>

namespace qf {

// What a screen reader is told about the object or one of its children.
struct AccessibleFacts {
  long role = 0;   // ROLE_SYSTEM_*
  long state = 0;  // STATE_SYSTEM_*
  std::wstring name, value, defaultAction;
  RECT screen{0, 0, 0, 0};  // where it lies on the screen
  // A child that is a window of its own: its own object stands for it.
  HWND window = nullptr;
};

// The window behind an accessible object. Children are numbered 1 to
// AccessibleChildCount(); 0 is the object itself. Called on the window's
// thread only.
class AccessibleSource {
 public:
  virtual long AccessibleChildCount() = 0;
  virtual AccessibleFacts AccessibleFactsOf(long child) = 0;
  // The child under a screen point: 0 for the object itself, -1 outside it.
  virtual long AccessibleChildAt(POINT screen) = 0;
  // Runs the child's default action later, as a click would; false when it
  // has none now.
  virtual bool AccessibleDefaultAction(long child) = 0;

 protected:
  ~AccessibleSource() = default;
};

class AccessibleObject;

// Owns a window's accessible object: creates it at the first request,
// answers WM_GETOBJECT with it and cuts it off when the window goes.
class AccessibleHost {
 public:
  explicit AccessibleHost(AccessibleSource& source) : source_(source) {}
  ~AccessibleHost() { Disconnect(); }
  AccessibleHost(const AccessibleHost&) = delete;
  AccessibleHost& operator=(const AccessibleHost&) = delete;

  // Takes the window's messages that concern its accessible object:
  // WM_GETOBJECT for the client area, answered in result (true), and
  // WM_DESTROY, after which the object is cut off. Others go on as they
  // would.
  bool OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept;
  // From now on the object answers every call with an error; callers in
  // other processes are let go.
  void Disconnect() noexcept;

 private:
  AccessibleSource& source_;
  AccessibleObject* object_ = nullptr;  // one reference held
};

// Tells screen readers that something of a window's client object changed
// (EVENT_OBJECT_NAMECHANGE and the like); child 0 is the object itself.
void NotifyAccessibleEvent(DWORD event, HWND window, long child) noexcept;

}  // namespace qf
