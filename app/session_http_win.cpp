#include "app/session_http_win.h"

#include <atomic>
#include <vector>

#include "app/background_job_win.h"
#include "platform/slim_lock.h"
#include "app/download_rules.h"
#include "landing/landing_request_win.h"
#include "platform/file_system.h"
#include "platform/http_client.h"
#include "platform/picture.h"
#include "platform/staged_file.h"
#include "profile/system_profile_sources_win.h"

namespace qf {

namespace {

const wchar_t kBrowserUserAgent[] = L"Mozilla/5.0 (Windows NT 10.0; Win64; x64; rv:109.0) Gecko/20100101 Firefox/112.0";

// Overall deadlines: each wait of a request is bounded by the client's
// time-outs, but a server that drips a byte now and then is not. The landing
// exchange, redirects included, ends after 30 s and each picture fetch after
// 20 s; the installer download needs none, since the user can close the
// window. A job past its deadline is left to end on its own.
constexpr DWORD kLandingDeadlineMs = 30000;
constexpr DWORD kPictureDeadlineMs = 20000;

HttpClientSettings BrowserSettings() {
  HttpClientSettings settings;
  settings.userAgent = kBrowserUserAgent;
  return settings;
}

// One installer download, shared by the GUI thread and the job's thread.
// The file is touched under the lock only, so that the GUI thread can drop
// it at once when the window closes, even while the job still waits for
// data.
struct InstallerJob {
  explicit InstallerJob(const std::wstring& path) : file(path, kMaxInstallerBytes) {}
  SlimLock lock;
  StagedFile file;
  bool dropped = false;
  HttpReply reply;  // written by the job's thread before Done
  std::atomic<std::int64_t> total{-1};
  std::atomic<std::int64_t> read{-1};  // -1 until the body starts

  void Drop() {
    const SlimLock::Hold hold(lock);
    dropped = true;
    file.Discard();
  }
};

// The job's thread writes the body through this sink.
class InstallerJobSink final : public BodySink {
 public:
  explicit InstallerJobSink(InstallerJob& job) : job_(job) {}
  bool Write(const std::uint8_t* bytes, std::size_t count) override {
    const SlimLock::Hold hold(job_.lock);
    return !job_.dropped && job_.file.Write(bytes, count);
  }
  bool Accepts(std::int64_t announcedLength) override {
    const SlimLock::Hold hold(job_.lock);
    return !job_.dropped && job_.file.Accepts(announcedLength);
  }

 private:
  InstallerJob& job_;
};

class StagedInstallerFile final : public StagedInstaller {
 public:
  explicit StagedInstallerFile(std::shared_ptr<InstallerJob> job) : job_(std::move(job)) {}
  ~StagedInstallerFile() override { job_->Drop(); }
  std::optional<std::wstring> Commit() override {
    const SlimLock::Hold hold(job_->lock);
    if (const DWORD error = job_->file.Commit())
      return L"Impossibile creare il file \"" + job_->file.Path() + L"\". " + SystemErrorText(error);
    return std::nullopt;
  }

 private:
  std::shared_ptr<InstallerJob> job_;
};

struct PictureJob {
  MemorySink body{kMaxPictureBytes};
  HttpReply reply;
};

}  // namespace

WinSessionHttp::WinSessionHttp(TransferWaiter& waiter, std::wstring landingAddress)
    : waiter_(waiter), landingAddress_(std::move(landingAddress)),
      myHTTP_(std::make_shared<HttpClient>(BrowserSettings())) {}

WinSessionHttp::~WinSessionHttp() = default;

std::wstring WinSessionHttp::ExchangeLanding() {
  struct LandingJob {
    std::vector<std::wstring> profile;
    std::wstring reply;
  };
  auto job = std::make_shared<LandingJob>();
  BuildMachineProfile(job->profile);
  const BackgroundJob work([job, address = landingAddress_] { job->reply = PostLandingRequest(address, job->profile); });
  if (waiter_.WaitForTransfer(work.Done(), kLandingDeadlineMs, [] {}) != TransferWait::Done) return {};
  return job->reply;
}

FetchOutcome WinSessionHttp::FetchPicture(const std::wstring& address, std::string& body) {
  auto job = std::make_shared<PictureJob>();
  const BackgroundJob work([job, address] {
    HttpClient client(BrowserSettings());  // a client of its own, cookies and all
    job->reply = client.Get(address, job->body);
  });
  FetchOutcome outcome;
  switch (waiter_.WaitForTransfer(work.Done(), kPictureDeadlineMs, [] {})) {
    case TransferWait::Closed:
      outcome.abandoned = true;
      return outcome;
    case TransferWait::TimedOut:
      return outcome;  // no reply: the control keeps its picture
    case TransferWait::Done:
      break;
  }
  outcome.replied = job->reply.Ok();
  outcome.status = job->reply.status;
  if (outcome.replied) body = job->body.Data();
  return outcome;
}

InstallerTransfer WinSessionHttp::DownloadInstaller(const std::wstring& address, const std::wstring& path,
                                                    const ProgressCallback& progress) {
  auto job = std::make_shared<InstallerJob>(path);
  myHTTP_->SetProgressHandler([job](std::int64_t total, std::int64_t read) {
    job->total.store(total, std::memory_order_relaxed);
    job->read.store(read, std::memory_order_release);
  });
  const BackgroundJob work([job, client = myHTTP_, address] {
    InstallerJobSink sink(*job);
    job->reply = client->Get(address, sink);
  });
  // The bar follows the bytes: each tick passes on what has arrived since.
  std::int64_t shown = -1;
  const auto tick = [&] {
    const std::int64_t read = job->read.load(std::memory_order_acquire);
    if (read == shown || read < 0) return;
    shown = read;
    progress(job->total.load(std::memory_order_relaxed), read);
  };
  InstallerTransfer transfer;
  if (waiter_.WaitForTransfer(work.Done(), INFINITE, tick) != TransferWait::Done) {
    job->Drop();  // the partial file goes now, whatever the job is doing
    transfer.outcome.abandoned = true;
    return transfer;
  }
  myHTTP_->SetProgressHandler(nullptr);
  const HttpReply& reply = job->reply;
  transfer.outcome.replied = reply.Ok();
  transfer.outcome.status = reply.status;
  transfer.fileFailed = reply.error == HttpError::SinkRefused && job->file.Error() != 0;
  transfer.bytes = job->file.BytesWritten();
  transfer.contentEncoding = reply.contentEncoding;
  transfer.finalAddress = reply.finalAddress;
  transfer.file = std::make_unique<StagedInstallerFile>(job);
  return transfer;
}

}  // namespace qf
