// The download button: start the stored installer, or download it, store it
// and start it. Part of TfrmSetupStart.
#include "app/setup_start_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/app_message_win.h"
#include "app/download_rules.h"
#include "app/message_pump_win.h"
#include "common/app_error.h"
#include "common/text.h"
#include "platform/file_system.h"
#include "platform/publisher_check.h"
#include "platform/staged_file.h"

namespace qf {

namespace {

std::wstring EnvironmentVariable(const wchar_t* name) {
  std::wstring value(256, L'\0');
  for (;;) {
    ::SetLastError(0);
    const DWORD n = ::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) return L"";  // not set, or set to the empty text
    if (n < value.size()) {
      value.resize(n);
      return value;
    }
    value.resize(n);  // n is the size needed, terminator included
  }
}

}  // namespace

void TfrmSetupStart::SetInfoBar(const std::wstring& caption) {
  lblInfoBar.state = {caption, true};
  const RECT r = PixelRect(lblInfoBar.bounds, false);
  ::InvalidateRect(window_, &r, FALSE);
}

void TfrmSetupStart::SetProgress(int percent) {
  // Blocks arrive far more often than the percentage changes; the bar is
  // told only of changes.
  if (percent == progress_) return;
  progress_ = percent;
  ::SendMessageW(ProgressBar1, PBM_SETPOS, percent, 0);
}

void TfrmSetupStart::btnDownloadClick() {
  ::EnableWindow(btnDownload.Handle(), FALSE);
  SetInfoBar(L"");
  ProcessPendingMessages();
  ::KillTimer(window_, kTimer1Id);

  K_GLOBAL_DIR_LOCALE_TEMP = WorkFolderFor(EnvironmentVariable(L"TEMP"));
  // The build comes from the network: a text that is not a plain file name
  // gives no path, is never looked up and never written.
  const std::optional<std::wstring> path = SafeInstallerPathFor(K_GLOBAL_DIR_LOCALE_TEMP, texts_.sDownloadFileBuild);
  sDownloadFilePathTemp = path ? *path : InstallerPathFor(K_GLOBAL_DIR_LOCALE_TEMP, texts_.sDownloadFileBuild);

  // A stored installer the publisher pin refuses has been removed by
  // LaunchIfTrusted and is downloaded anew.
  if (path && FileExists(*path) && LaunchIfTrusted(*path)) return;  // the button stays disabled
  if (texts_.sDownloadSetupLink.empty()) {
    ShowAppMessage(window_, kNoAddressMessage, kAppMessageTitle, BoxKind::Warning, MB_OK);
  } else if (path && DownloadSetupToFile(*path) && LaunchIfTrusted(*path)) {
    // started
  } else {
    ShowAppMessage(window_, kDownloadFailedMessage, kAppMessageTitle, BoxKind::Error, MB_OK);
  }
  ::EnableWindow(btnDownload.Handle(), TRUE);
}

bool TfrmSetupStart::LaunchIfTrusted(const std::wstring& path) {
  if (!publisherPinned_) {
    LaunchInstaller(path);
    return true;
  }
  // Held open against writing from the check until the shell has started it.
  UniqueFile held = publisherPin_ ? OpenIfSignedBy(path, *publisherPin_) : UniqueFile();
  if (!held) {
    ::DeleteFileW(path.c_str());
    return false;
  }
  LaunchInstaller(path);
  return true;
}

void TfrmSetupStart::LaunchInstaller(const std::wstring& path) {
  SetAppCursor(true);
  ProcessPendingMessages();
  ::ShellExecuteW(nullptr, nullptr, path.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
  ProcessPendingMessages();
  SetAppCursor(false);
}

bool TfrmSetupStart::DownloadSetupToFile(const std::wstring& path) {
  SetInfoBar(InfoBarText(texts_.sDownloadFileBuild, texts_.sDownloadFileData, texts_.sDimensioneSetup_MB));
  ProcessPendingMessages();
  SetProgress(0);
  ::ShowWindow(ProgressBar1, SW_SHOW);

  // The body streams into a partial file beside the path, and becomes the
  // installer only once the whole of it has arrived: a failed or cut
  // transfer never leaves a file the next click would start.
  StagedFile file(path, kMaxInstallerBytes);
  const HttpReply reply = myHTTP->Get(texts_.sDownloadSetupLink, file);
  SetProgress(100);
  ProcessPendingMessages();
  // A file that cannot be written stops the transfer early; its error is
  // reported below, where the file is written.
  const bool stoppedByFile = reply.error == HttpError::SinkRefused && file.Error() != 0;
  if (!reply.Ok() && !stoppedByFile) return false;
  if (!IsHttpSuccess(reply.status)) return false;
  // No installer is empty, and none comes in a content coding nobody asked
  // for: storing either would leave a file the next click tries to start.
  if (!stoppedByFile && file.BytesWritten() == 0) return false;
  if (!reply.contentEncoding.empty() && reply.contentEncoding != "identity") return false;

  SetInfoBar(kDownloadCompleted);
  ProcessPendingMessages();
  if (const DWORD error = file.Commit())
    throw AppError(L"Impossibile creare il file \"" + path + L"\". " + SystemErrorText(error));
  ::ShowWindow(ProgressBar1, SW_HIDE);
  ProcessPendingMessages();
  return true;
}

void TfrmSetupStart::myHTTPReceiveData(std::int64_t total, std::int64_t read, bool& /*abort: never set*/) {
  SetProgress(ProgressPercent(total, read));
}

}  // namespace qf
