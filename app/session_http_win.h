#pragma once
// The session's HTTP on Windows: the landing exchange, picture fetches and
// the installer download, each transfer on a background job while the
// window waits for it without blocking.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/session_ports.h"

namespace qf {

class HttpClient;

enum class TransferWait { Done, Closed, TimedOut };

// The window's side of a transfer: it keeps serving the window until the
// work ends.
class TransferWaiter {
 public:
  virtual ~TransferWaiter() = default;
  // Waits until done is signalled, calling tick on the GUI thread meanwhile.
  // Closed when the window was closed first, TimedOut after timeoutMs
  // (INFINITE: never); the work then goes on unheeded.
  virtual TransferWait WaitForTransfer(HANDLE done, DWORD timeoutMs, const std::function<void()>& tick) = 0;
};

class WinSessionHttp final : public SessionHttp {
 public:
  WinSessionHttp(TransferWaiter& waiter, std::wstring landingAddress);
  ~WinSessionHttp() override;

  std::wstring ExchangeLanding() override;
  FetchOutcome FetchPicture(const std::wstring& address, std::string& body) override;
  InstallerTransfer DownloadInstaller(const std::wstring& address, const std::wstring& path,
                                      const ProgressCallback& progress) override;

 private:
  TransferWaiter& waiter_;
  std::wstring landingAddress_;
  // The installer download's client: its cookies last as long as the window.
  std::shared_ptr<HttpClient> myHTTP_;
};

}  // namespace qf
