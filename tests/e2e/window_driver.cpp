// A small test driver for the download window, run under the same Wine
// prefix as the program. Each command prints one line of key=value pairs.
//
//   wait <caption> <ms> [shown] waits for the window with the caption (and shown)
//   info                       caption, client size and origin, button and bar
//   click <x> <y>              a left click at client point x, y of the window
//   press                      presses the download button (BM_CLICK)
//   key <vk> [<modifier vk>]   a key as the keyboard sends it
//   menu, minimize, second, probe
//                              see each one below
//   box <ms>                   waits for a message box, prints it, presses OK
//   reactivate                 activates another window, then the program's
//   close                      closes the program's window
//   accessible, infobar, events <ms>
//                              the window as a screen reader reads it
//                              (driver_accessible.cpp)
//   launch <exe> <cwd> [NAME=VALUE | -NAME]...
//                              starts the program with that environment and
//                              folder, and waits until its window exists
//   starttime <exe> <cwd> <caption> <ms> [close] [out=<file>]
//                              starts exe and times its first visible window
//                              and the caption on a visible one (see below)
//   (no command)               writes driver-started.txt beside itself
#include <windows.h>

#include <algorithm>

#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "window_driver.h"

namespace {

const wchar_t kFormClass[] = L"TfrmSetupStart";

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring TextOf(HWND window) {
  wchar_t buffer[4096] = {};
  ::GetWindowTextW(window, buffer, 4096);
  return buffer;
}

}  // namespace

// The program runs in the tests' virtual desktop "e2e", which may not exist
// yet when the driver starts: join it as soon as it does.
HWND FindForm() {
  static bool joined = false;
  if (!joined) {
    wchar_t name[64] = L"e2e";  // FETCHWELL_DESKTOP names another
    const DWORD n = ::GetEnvironmentVariableW(L"FETCHWELL_DESKTOP", name, 64);
    if (n == 0 || n >= 64) ::lstrcpyW(name, L"e2e");
    if (HDESK desktop = ::OpenDesktopW(name, 0, FALSE, GENERIC_ALL)) joined = ::SetThreadDesktop(desktop) != FALSE;
    if (!joined) return nullptr;
  }
  return ::FindWindowW(kFormClass, nullptr);
}

// Escapes line breaks so that each answer stays on one line.
std::string OneLine(const std::wstring& text) {
  std::string out;
  for (char c : Utf8(text)) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out.push_back(c);
  }
  return out;
}

namespace {

// With `shown`, the window must also be visible: the design caption is the
// same text as the final one, and only a shown window has finished starting.
int Wait(const std::wstring& caption, DWORD ms, bool shown) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    HWND form = FindForm();
    if (form && TextOf(form) == caption && (!shown || ::IsWindowVisible(form))) {
      std::printf("found=1 visible=%d elapsed=%lu\n", ::IsWindowVisible(form) ? 1 : 0, ::GetTickCount() - start);
      return 0;
    }
    if (::GetTickCount() - start > ms) {
      std::printf("found=0 caption=%s\n", form ? OneLine(TextOf(form)).c_str() : "(none)");
      return 1;
    }
    ::Sleep(20);
  }
}

BOOL CALLBACK CountForm(HWND window, LPARAM count) {
  wchar_t cls[64] = {};
  ::GetClassNameW(window, cls, 64);
  if (std::wcscmp(cls, kFormClass) == 0) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

// How many download windows the desktop holds.
int CountForms() {
  int count = 0;
  ::EnumWindows(CountForm, reinterpret_cast<LPARAM>(&count));
  return count;
}

HWND Child(HWND form, const wchar_t* className) { return ::FindWindowExW(form, nullptr, className, nullptr); }

int Info() {
  HWND form = FindForm();
  if (!form) {
    std::printf("found=0\n");
    return 1;
  }
  RECT client;
  ::GetClientRect(form, &client);
  POINT origin{0, 0};
  ::ClientToScreen(form, &origin);
  const LONG style = ::GetWindowLongW(form, GWL_STYLE);
  HWND button = Child(form, L"QuarloGlyphButton");
  HWND bar = Child(form, L"msctls_progress32");
  RECT b{};
  if (button) {
    ::GetWindowRect(button, &b);
    ::MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&b), 2);
  }
  std::printf(
      "found=1 caption=%s width=%ld height=%ld originx=%ld originy=%ld sizebox=%d maximizebox=%d minimizebox=%d "
      "button=%ld,%ld,%ld,%ld buttonenabled=%d buttonchecked=%d bar=%d barpos=%d iconic=%d forms=%d\n",
      OneLine(TextOf(form)).c_str(), client.right, client.bottom, origin.x, origin.y, (style & WS_THICKFRAME) ? 1 : 0,
      (style & WS_MAXIMIZEBOX) ? 1 : 0, (style & WS_MINIMIZEBOX) ? 1 : 0, b.left, b.top, b.right - b.left,
      b.bottom - b.top, button && ::IsWindowEnabled(button) ? 1 : 0,
      button ? static_cast<int>(::SendMessageW(button, BM_GETCHECK, 0, 0)) : -1,
      bar && ::IsWindowVisible(bar) ? 1 : 0, bar ? static_cast<int>(::SendMessageW(bar, 0x0408 /*PBM_GETPOS*/, 0, 0)) : -1,
      ::IsIconic(form) ? 1 : 0, CountForms());
  return 0;
}

// Asks the window every 100 ms for ms milliseconds whether it is alive
// (WM_NULL, as Windows does before it calls a window hung) and prints the
// slowest answer, the unanswered probes, when the caption first read
// "Quarlo - Download" and when the window went away (-1: never).
int Probe(DWORD ms) {
  HWND form = FindForm();
  if (!form) {
    std::printf("probes=0 found=0\n");
    return 1;
  }
  LARGE_INTEGER frequency, begin;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&begin);
  const auto elapsedMs = [&] {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<long>((now.QuadPart - begin.QuadPart) * 1000 / frequency.QuadPart);
  };
  long slowest = 0, finalAt = -1, goneAt = -1;
  int probes = 0, unanswered = 0;
  while (elapsedMs() < static_cast<long>(ms)) {
    if (!::IsWindow(form)) {
      goneAt = elapsedMs();
      break;
    }
    if (finalAt < 0 && TextOf(form) == L"Quarlo - Download") finalAt = elapsedMs();
    const long sent = elapsedMs();
    DWORD_PTR result = 0;
    const bool answered = ::SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
    const long took = elapsedMs() - sent;
    if (!answered && ::IsWindow(form)) ++unanswered;
    if (answered && took > slowest) slowest = took;
    ++probes;
    const long next = sent + 100;
    while (elapsedMs() < next) ::Sleep(5);
  }
  std::printf("probes=%d slowest=%ld unanswered=%d finalat=%ld goneat=%ld\n", probes, slowest, unanswered, finalAt,
              goneAt);
  return 0;
}

int Click(int x, int y) {
  HWND form = FindForm();
  if (!form) return 1;
  const LPARAM at = MAKELPARAM(x, y);
  ::PostMessageW(form, WM_MOUSEMOVE, 0, at);
  ::PostMessageW(form, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(form, WM_LBUTTONUP, 0, at);
  std::printf("clicked=1\n");
  return 0;
}

int Press() {
  HWND form = FindForm();
  HWND button = form ? Child(form, L"QuarloGlyphButton") : nullptr;
  if (!button) return 1;
  ::PostMessageW(button, BM_CLICK, 0, 0);
  std::printf("pressed=1\n");
  return 0;
}

struct BoxSearch {
  DWORD process;
  HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  wchar_t cls[64] = {};
  ::GetClassNameW(window, cls, 64);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid == search->process && std::wcscmp(cls, L"#32770") == 0 && ::IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
  wchar_t cls[64] = {};
  ::GetClassNameW(child, cls, 64);
  if (std::wcscmp(cls, L"Static") == 0) {
    const std::wstring text = TextOf(child);
    if (!text.empty()) *reinterpret_cast<std::wstring*>(param) += text;
  }
  return TRUE;
}

int Box(DWORD ms) {
  HWND form = FindForm();
  if (!form) {
    std::printf("box=0 form=0\n");
    return 1;
  }
  DWORD pid = 0;
  ::GetWindowThreadProcessId(form, &pid);
  const DWORD start = ::GetTickCount();
  for (;;) {
    BoxSearch search{pid, nullptr};
    ::EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      std::wstring text;
      ::EnumChildWindows(search.found, CollectStatic, reinterpret_cast<LPARAM>(&text));
      // The icon is a Static control without text; the message is the one with text.
      std::printf("box=1 caption=%s text=%s\n", OneLine(TextOf(search.found)).c_str(), OneLine(text).c_str());
      HWND ok = ::GetDlgItem(search.found, IDOK);
      if (!ok) ok = ::GetDlgItem(search.found, IDCANCEL);
      ::PostMessageW(ok ? ok : search.found, ok ? BM_CLICK : WM_CLOSE, 0, 0);
      return 0;
    }
    if (::GetTickCount() - start > ms) {
      std::printf("box=0\n");
      return 1;
    }
    ::Sleep(50);
  }
}

std::vector<wchar_t> EnvironmentWith(int count, wchar_t** changes);

// Sends a key to the window as the keyboard would, with a modifier key
// (Shift, Alt) held if one is given: the window is brought to the front and
// the key goes to whatever has the focus there.
int Key(WORD key, WORD modifier) {
  HWND form = FindForm();
  if (!form) return 1;
  ::SetForegroundWindow(form);
  ::Sleep(200);
  std::vector<INPUT> input;
  const auto add = [&input](WORD vk, bool up) {
    INPUT one{};
    one.type = INPUT_KEYBOARD;
    one.ki.wVk = vk;
    one.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    input.push_back(one);
  };
  if (modifier) add(modifier, false);
  add(key, false);
  add(key, true);
  if (modifier) add(modifier, true);
  const UINT sent = ::SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
  std::printf("keyed=%u\n", sent);
  return sent == input.size() ? 0 : 1;
}

// Whether a menu is open on the screen (the system menu after Alt+Space).
int Menu() {
  HWND form = FindForm();
  if (!form) return 1;
  HWND menu = ::FindWindowW(L"#32768", nullptr);
  std::printf("menu=%d\n", menu && ::IsWindowVisible(menu) ? 1 : 0);
  return 0;
}

int Minimize() {
  HWND form = FindForm();
  if (!form) return 1;
  ::ShowWindow(form, SW_MINIMIZE);
  for (int i = 0; i < 100 && !::IsIconic(form); ++i) ::Sleep(20);
  std::printf("iconic=%d\n", ::IsIconic(form) ? 1 : 0);
  return 0;
}

// Starts the exe (in the driver's desktop, its folder the given one, the
// driver's environment with the changes) and waits up to 10 s for it to
// end; writes "ended=<ms>" (-1: still running, then ended by force) to
// the result file.
int Second(const wchar_t* exe, const wchar_t* folder, const wchar_t* resultFile, int count, wchar_t** changes) {
  std::vector<wchar_t> environment = EnvironmentWith(count, changes);
  std::wstring commandLine = L"\"" + std::wstring(exe) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const DWORD start = ::GetTickCount();
  long ended = -1;
  if (::CreateProcessW(exe, commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                       environment.data(), folder, &startup, &process)) {
    if (::WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0) {
      ended = static_cast<long>(::GetTickCount() - start);
    } else {
      ::TerminateProcess(process.hProcess, 1);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  HANDLE file = ::CreateFileW(resultFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    const std::string line = "ended=" + std::to_string(ended) + "\n";
    DWORD written = 0;
    ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(file);
  }
  return ended >= 0 ? 0 : 1;
}

int Reactivate() {
  HWND form = FindForm();
  if (!form) return 1;
  HWND other = ::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
  ::SetForegroundWindow(other);
  ::SetActiveWindow(other);
  MSG msg;
  for (int i = 0; i < 20; ++i) {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    ::Sleep(25);
  }
  ::SetForegroundWindow(form);
  ::DestroyWindow(other);
  std::printf("reactivated=1\n");
  return 0;
}


// An environment block from this process's own environment with the
// changes applied: NAME=VALUE sets, -NAME removes.
std::vector<wchar_t> EnvironmentWith(int count, wchar_t** changes) {
  std::map<std::wstring, std::wstring> vars;  // sorted, as Windows wants it
  wchar_t* block = ::GetEnvironmentStringsW();
  for (const wchar_t* p = block; *p; p += std::wcslen(p) + 1) {
    const std::wstring entry = p;
    const std::size_t eq = entry.find(L'=', 1);
    if (eq != std::wstring::npos) vars[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  ::FreeEnvironmentStringsW(block);
  for (int i = 0; i < count; ++i) {
    const std::wstring change = changes[i];
    if (!change.empty() && change[0] == L'-') {
      for (auto it = vars.begin(); it != vars.end();)
        it = _wcsicmp(it->first.c_str(), change.c_str() + 1) == 0 ? vars.erase(it) : std::next(it);
    } else if (const std::size_t eq = change.find(L'='); eq != std::wstring::npos) {
      const std::wstring name = change.substr(0, eq);
      for (auto it = vars.begin(); it != vars.end();)
        it = _wcsicmp(it->first.c_str(), name.c_str()) == 0 ? vars.erase(it) : std::next(it);
      vars[name] = change.substr(eq + 1);
    }
  }
  std::vector<wchar_t> out;
  for (const auto& [name, value] : vars) {
    const std::wstring entry = name + L"=" + value;
    out.insert(out.end(), entry.begin(), entry.end());
    out.push_back(L'\0');
  }
  out.push_back(L'\0');
  return out;
}

int Launch(const wchar_t* exe, const wchar_t* folder, int count, wchar_t** changes) {
  std::vector<wchar_t> environment = EnvironmentWith(count, changes);
  std::wstring commandLine = L"\"" + std::wstring(exe) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(exe, commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        environment.data(), folder, &startup, &process)) {
    std::printf("launched=0 error=%lu\n", ::GetLastError());
    return 1;
  }
  // Stay until the window exists: the virtual desktop lives while we do.
  for (int i = 0; i < 3000 && !FindForm(); ++i) {
    if (::WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) break;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  std::printf("launched=1\n");
  return 0;
}

// The top-level windows of one process, as starttime looks for them.
struct ProcessWindows {
  DWORD process;
  const std::wstring* caption;
  HWND visible;    // the first visible one found
  HWND captioned;  // a visible one with the caption
};

BOOL CALLBACK FindProcessWindows(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ProcessWindows*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid != search->process || !::IsWindowVisible(window)) return TRUE;
  if (!search->visible) search->visible = window;
  if (TextOf(window) == *search->caption) {
    search->captioned = window;
    return FALSE;
  }
  return TRUE;
}

// Prints the answer, and also writes it to path when one is given: a driver
// started by "wine explorer /desktop=..." may have no stdout its caller sees.
void Answer(const std::string& line, const std::wstring& path) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
  if (path.empty()) return;
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(file);
}

// Start-up timing: starts exe in folder with this driver's own environment
// and polls about every 1-2 ms (Sleep(1) under Wine) for the process's
// top-level windows. visible is the first moment one of them is visible
// (its first paint), final the first moment a visible one has the caption;
// both in ms from just before CreateProcessW, -1 when it did not happen
// within ms. The design caption may equal the final one, which is why only a
// visible window counts. Prints "visible=" and "final=" as they happen, then
// one line "visible=<ms> final=<ms> pid=<pid>", with " exited=1" when the
// process ended before its final caption.
// Options: close posts WM_CLOSE to the window after measuring and waits up
// to 5 s for the process to end (closems: how long it took; -1: it did not,
// and was terminated); out=<file> also writes the last line to that file.
// Without close the program is left running.
int StartTime(const wchar_t* exe, const wchar_t* folder, const std::wstring& caption, DWORD ms, int count,
              wchar_t** options) {
  bool closeAfter = false;
  std::wstring outPath;
  for (int i = 0; i < count; ++i) {
    const std::wstring option = options[i];
    if (option == L"close") closeAfter = true;
    else if (option.rfind(L"out=", 0) == 0) outPath = option.substr(4);
  }
  std::wstring commandLine = L"\"" + std::wstring(exe) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  LARGE_INTEGER frequency, begin;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&begin);
  if (!::CreateProcessW(exe, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &process)) {
    const DWORD error = ::GetLastError();
    Answer("visible=-1 final=-1 pid=-1 error=" + std::to_string(error), outPath);
    return 1;
  }
  const auto elapsedMs = [&] {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<long>((now.QuadPart - begin.QuadPart) * 1000 / frequency.QuadPart);
  };
  long visibleAt = -1, finalAt = -1;
  HWND shown = nullptr, finished = nullptr;
  bool exited = false;
  // First paint: the screen pixel at the middle of the window's client area,
  // read as the screen shows it, and when it last changed. Once the window
  // has settled, the moment it took its final colour is the first paint.
  HDC screen = ::GetDC(nullptr);
  COLORREF lastColour = CLR_INVALID;
  long lastChange = -1;
  const auto sampleMiddle = [&](HWND window, long now) {
    RECT client;
    if (!window || !::GetClientRect(window, &client)) return;
    POINT middle{client.right / 2, client.bottom / 2};
    ::ClientToScreen(window, &middle);
    const COLORREF colour = ::GetPixel(screen, middle.x, middle.y);
    if (colour != lastColour) {
      lastColour = colour;
      lastChange = now;
    }
  };
  for (;;) {
    ProcessWindows search{process.dwProcessId, &caption, nullptr, nullptr};
    ::EnumWindows(FindProcessWindows, reinterpret_cast<LPARAM>(&search));
    const long now = elapsedMs();
    if (search.visible && visibleAt < 0) {
      visibleAt = now;
      shown = search.visible;
      std::printf("visible=%ld\n", visibleAt);
      std::fflush(stdout);
    }
    if (shown) sampleMiddle(shown, now);
    if (search.captioned) {
      finalAt = now;
      finished = search.captioned;
      std::printf("final=%ld\n", finalAt);
      std::fflush(stdout);
      break;
    }
    if (::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
      exited = true;
      break;
    }
    if (now > static_cast<long>(ms)) break;
    ::Sleep(1);
  }
  // The window keeps its look for a while after its final caption: any
  // later change of the middle pixel means it was not painted yet.
  long paintedAt = -1;
  if (shown && !exited) {
    const long settle = elapsedMs() + 300;
    while (elapsedMs() < settle) {
      sampleMiddle(shown, elapsedMs());
      ::Sleep(1);
    }
    paintedAt = std::max(lastChange, visibleAt);
  }
  ::ReleaseDC(nullptr, screen);
  std::string line = "visible=" + std::to_string(visibleAt) + " painted=" + std::to_string(paintedAt) +
                     " final=" + std::to_string(finalAt) + " pid=" + std::to_string(process.dwProcessId);
  if (exited) line += " exited=1";
  if (closeAfter) {
    long closeMs = 0;
    if (!exited) {
      HWND target = finished ? finished : shown;
      const long closeStart = elapsedMs();
      if (target && ::IsWindow(target)) ::PostMessageW(target, WM_CLOSE, 0, 0);
      if (target && ::WaitForSingleObject(process.hProcess, 5000) == WAIT_OBJECT_0) {
        closeMs = elapsedMs() - closeStart;
      } else {
        // Nothing to close, or it would not end: the next start must not
        // meet this one.
        ::TerminateProcess(process.hProcess, 1);
        ::WaitForSingleObject(process.hProcess, 5000);
        closeMs = -1;
      }
    }
    line += " closems=" + std::to_string(closeMs);
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  Answer(line, outPath);
  return finalAt >= 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    // Started without a command (by the shell, for instance): leave a marker
    // next to the driver so that a test can tell it was started.
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring marker = self;
    marker = marker.substr(0, marker.find_last_of(L'\\')) + L"\\driver-started.txt";
    HANDLE file = ::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    return 0;
  }
  const std::wstring command = argv[1];
  if (command == L"wait" && argc >= 4)
    return Wait(argv[2], static_cast<DWORD>(_wtoi(argv[3])), argc >= 5 && std::wstring(argv[4]) == L"shown");
  if (command == L"info") return Info();
  if (command == L"accessible") return AccessibleTree();
  if (command == L"infobar") return AccessibleInfoBar();
  if (command == L"events" && argc >= 3) return AccessibleEvents(static_cast<DWORD>(_wtoi(argv[2])));
  if (command == L"launch" && argc >= 4) return Launch(argv[2], argv[3], argc - 4, argv + 4);
  if (command == L"starttime" && argc >= 6)
    return StartTime(argv[2], argv[3], argv[4], static_cast<DWORD>(_wtoi(argv[5])), argc - 6, argv + 6);
  if (command == L"click" && argc >= 4) return Click(_wtoi(argv[2]), _wtoi(argv[3]));
  if (command == L"press") return Press();
  if (command == L"key" && argc >= 3)
    return Key(static_cast<WORD>(_wtoi(argv[2])), static_cast<WORD>(argc >= 4 ? _wtoi(argv[3]) : 0));
  if (command == L"minimize") return Minimize();
  if (command == L"menu") return Menu();
  if (command == L"second" && argc >= 5) return Second(argv[2], argv[3], argv[4], argc - 5, argv + 5);
  if (command == L"probe" && argc >= 3) return Probe(static_cast<DWORD>(_wtoi(argv[2])));
  if (command == L"box" && argc >= 3) return Box(static_cast<DWORD>(_wtoi(argv[2])));
  if (command == L"reactivate") return Reactivate();
  if (command == L"close") {
    // Closes the window and waits until it is gone, so that the next run
    // never finds this one; also tells how long the window and its process
    // took to go (endms -1: the process still runs after 10 s).
    HWND form = FindForm();
    if (!form) {
      std::printf("closed=0\n");
      return 1;
    }
    DWORD pid = 0;
    ::GetWindowThreadProcessId(form, &pid);
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
    const DWORD start = ::GetTickCount();
    ::PostMessageW(form, WM_CLOSE, 0, 0);
    for (int i = 0; i < 500 && ::IsWindow(form); ++i) ::Sleep(20);
    const DWORD windowMs = ::GetTickCount() - start;
    long endMs = -1;
    if (process) {
      if (::WaitForSingleObject(process, 10000) == WAIT_OBJECT_0) endMs = static_cast<long>(::GetTickCount() - start);
      ::CloseHandle(process);
    }
    std::printf("closed=%d windowms=%lu endms=%ld\n", ::IsWindow(form) ? 0 : 1, windowMs, endMs);
    return ::IsWindow(form) ? 1 : 0;
  }
  std::printf("unknown command\n");
  return 2;
}
