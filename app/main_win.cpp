// Entry point of Quarlo Fetchwell: one window on the GUI thread; transfers
// run on background jobs while it waits for them.
#include <windows.h>
#include <objbase.h>

#include "app/background_job_win.h"
#include "app/process_start_win.h"
#include "app/setup_start_win.h"
#include "app/single_instance_win.h"
#include "platform/picture.h"

#ifndef FETCHWELL_INSTALLER_PUBLISHER
#define FETCHWELL_INSTALLER_PUBLISHER L""
#endif
#ifndef FETCHWELL_LANDING_URL
#define FETCHWELL_LANDING_URL L"http://localhost:81/php/landing.php"
#endif

namespace {
struct ComApartment {
  ComApartment() : ok(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
  ~ComApartment() { if (ok) ::CoUninitialize(); }
  bool ok;
};

int RunWindow(HINSTANCE instance) {
  const qf::SingleInstance single(FETCHWELL_LANDING_URL);
  if (!single.First()) {
    single.ActivateRunning();
    return 0;
  }
  const ComApartment com;  // the shell calls that start the installer want it
  const qf::GdiplusSession gdiplus;

  qf::TfrmSetupStart frmSetupStart(FETCHWELL_LANDING_URL, FETCHWELL_INSTALLER_PUBLISHER);
  if (!frmSetupStart.Create(instance, [&single](HWND window) { single.Claim(window); })) return 1;

  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (frmSetupStart.Window() && ::IsDialogMessageW(frmSetupStart.Window(), &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return 0;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  if (!qf::SecureProcessStart()) return 1;
  const int code = RunWindow(instance);
  // A transfer abandoned by closing the window may still wait for its
  // server: the process ends without it (its partial file is gone already).
  if (qf::BackgroundJob::Unfinished() > 0) ::ExitProcess(static_cast<UINT>(code));
  return code;
}
