// Entry point of Quarlo Fetchwell: one window, one GUI thread.
#include <windows.h>
#include <objbase.h>

#include "app/process_start_win.h"
#include "app/setup_start_win.h"
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
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  if (!qf::SecureProcessStart()) return 1;
  const ComApartment com;  // the shell calls that start the installer want it
  const qf::GdiplusSession gdiplus;

  qf::TfrmSetupStart frmSetupStart;
  if (!frmSetupStart.Create(instance, FETCHWELL_LANDING_URL, FETCHWELL_INSTALLER_PUBLISHER)) return 1;

  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (frmSetupStart.Handle() && ::IsDialogMessageW(frmSetupStart.Handle(), &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return 0;
}
