#pragma once
// The small interfaces through which the download session reaches the
// outside world: the window it shows itself in, HTTP, the installer's files
// and the launcher. The Win32 host implements them; native tests fake them.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/window_rules.h"

namespace qf {

// The window's controls. The first eleven have no window of their own and are
// listed in stacking order, bottom first; the button and the bar lie above.
enum class Control {
  lblTesto1,
  lblLink,
  lblSottoTitolo,
  lblTitolo,
  Image_Main_EP,
  Image_Main_PREM,
  Image_Main,
  ImageMod1,
  ImageMod2,
  ImageMod3,
  lblInfoBar,
  btnDownload,
  ProgressBar1,
};
inline constexpr int kWindowlessControlCount = 11;

enum class BoxKind { Warning, Error };

// The window as the session sees it. Every call comes on the GUI thread.
class SessionView {
 public:
  virtual ~SessionView() = default;
  virtual void SetCaption(const std::wstring& caption) = 0;
  // The application-wide cursor: the hourglass, or the default.
  virtual void SetBusyCursor(bool busy) = 0;
  virtual void SetLabel(Control label, const LabelState& state) = 0;
  virtual void SetVisible(Control control, bool visible) = 0;
  // Shows the bytes as the control's picture when they are a picture that
  // can be shown; otherwise returns false and the control keeps its picture.
  virtual bool SetPicture(Control image, std::string_view bytes) = 0;
  // An empty picture: the control shows nothing.
  virtual void ClearPicture(Control image) = 0;
  virtual void SetProgress(int percent) = 0;
  virtual void EnableButton(bool enabled) = 0;
  virtual void EnableTimer(bool enabled) = 0;
  // A modal box of the kind with one OK button; text is its whole text.
  virtual void ShowAppMessage(BoxKind kind, const std::wstring& text) = 0;
  // Paints what is waiting to be painted, now.
  virtual void RepaintNow() = 0;
  // Dispatches every message waiting in the GUI thread's queue.
  virtual void ProcessPendingMessages() = 0;
};

// How a request ended, as far as the session cares.
struct FetchOutcome {
  bool abandoned = false;  // the window was closed while it ran
  bool replied = false;    // a complete reply came, without a transport error
  int status = 0;          // its status code
};

// The installer's body, received into a file beside its path. It becomes
// the installer only through Commit; dropped uncommitted, it is removed.
class StagedInstaller {
 public:
  virtual ~StagedInstaller() = default;
  // Moves the body into place; the error's message when it cannot.
  virtual std::optional<std::wstring> Commit() = 0;
};

struct InstallerTransfer {
  FetchOutcome outcome;
  // The file could not be written: the transfer stopped early, and the
  // error shows when the session stores the installer.
  bool fileFailed = false;
  std::uint64_t bytes = 0;      // body bytes received
  std::string contentEncoding;  // as the reply named it, or empty
  std::wstring finalAddress;    // where the body came from, redirects followed
  std::unique_ptr<StagedInstaller> file;
};

// Receive progress: the announced length (-1 when none) and the bytes so far.
using ProgressCallback = std::function<void(std::int64_t total, std::int64_t read)>;

// HTTP as the session uses it. Requests made while the window is shown never
// block it: the GUI thread keeps serving the window until they end, and a
// close request abandons them at once.
class SessionHttp {
 public:
  virtual ~SessionHttp() = default;
  // Builds the machine profile, posts it to the landing page and returns the
  // text of the reply's body: the empty text on any failure.
  virtual std::wstring ExchangeLanding() = 0;
  // Fetches a picture's body with a client of its own.
  virtual FetchOutcome FetchPicture(const std::wstring& address, std::string& body) = 0;
  // Downloads the installer through the window's client into a staged file
  // for path; progress is called on the GUI thread as the body arrives.
  virtual InstallerTransfer DownloadInstaller(const std::wstring& address, const std::wstring& path,
                                              const ProgressCallback& progress) = 0;
};

class SessionFiles {
 public:
  virtual ~SessionFiles() = default;
  // The environment variable "TEMP"; empty when it is not set.
  virtual std::wstring TempVariable() = 0;
  // Whether a file (not a folder) exists at the path.
  virtual bool FileExists(const std::wstring& path) = 0;
  // Hands a downloaded file to the system's attachment services, which
  // record where it came from and let policy and the antivirus see it.
  // False when they blocked it: the file has then been removed. A system
  // without the services lets every file pass.
  virtual bool RecordDownload(const std::wstring& path, const std::wstring& source) = 0;
};

class SessionLauncher {
 public:
  virtual ~SessionLauncher() = default;
  // Starts the installer through the shell, when the build's publisher pin
  // (if any) accepts its signature. False when the pin refuses it or the
  // shell cannot start it: the file has then been removed, so that the next
  // attempt downloads it anew instead of failing on it for good.
  virtual bool StartInstaller(const std::wstring& path) = 0;
  // Opens a web address in the user's browser; the result is not examined.
  virtual void OpenLink(const std::wstring& address) = 0;
};

}  // namespace qf
