#include "app/setup_session.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "app/download_rules.h"
#include "common/app_error.h"
#include "common/text.h"
#include "landing/settings_reader.h"
#include "profile/machine_profile.h"

namespace qf {

SetupSession::SetupSession(SessionView& view, SessionHttp& http, SessionFiles& files, SessionLauncher& launcher,
                           const AnsiCodec& codec)
    : view_(view), http_(http), files_(files), launcher_(launcher), codec_(codec) {}

template <typename Steps>
void SetupSession::Run(Steps steps) {
  struct Depth {
    int& count;
    explicit Depth(int& c) : count(c) { ++count; }
    ~Depth() { --count; }
  } depth(running_);
  try {
    steps();
  } catch (const Stop&) {
    // The window is closing: nothing more is done, nothing is reported.
  }
}

void SetupSession::Checkpoint() const {
  if (abandoned_) throw Stop{};
}

void SetupSession::ProcessPendingMessages() {
  view_.ProcessPendingMessages();
  Checkpoint();
}

// ---------------------------------------------------------------- creation

void SetupSession::FormCreate() {
  Run([this] {
    texts_.sImgMainLink.clear();
    texts_.sImg1Link.clear();
    texts_.sImg2Link.clear();
    texts_.sImg3Link.clear();
    texts_.sDownloadSetupLink.clear();
    view_.SetBusyCursor(true);
    view_.SetCaption(kCaptionWaiting);

    const std::wstring reply = http_.ExchangeLanding();
    if (Trim(reply).empty()) {
      view_.SetBusyCursor(false);
      return;
    }
    {
      // The reply goes to the ANSI code page once and is read once for all
      // twelve keys; each value then reaches its consumer by its key's place.
      const std::vector<std::wstring> keys(kSettingsKeys.begin(), kSettingsKeys.end());
      const std::vector<std::wstring> values = ReadIniValues(codec_.ToAnsi(reply), kSettingsSection, keys, codec_);
      ApplyDeploymentSettings(texts_, [&](const wchar_t* key) {
        for (std::size_t i = 0; i < kSettingsKeys.size(); ++i) {
          if (std::wstring_view(kSettingsKeys[i]) == key) return values[i];
        }
        return std::wstring();
      });
    }
    ApplyLabels();
    if (!texts_.sImgMainLink.empty()) LoadRemotePicture(Control::Image_Main, texts_.sImgMainLink);
    view_.SetBusyCursor(false);
  });
}

void SetupSession::ApplyLabels() {
  view_.SetLabel(Control::lblTitolo, texts_.titolo);
  view_.SetLabel(Control::lblSottoTitolo, texts_.sottoTitolo);
  view_.SetLabel(Control::lblTesto1, texts_.testo1);
  view_.SetLabel(Control::lblLink, texts_.link);
}

void SetupSession::FormActivate() {
  if (tag_ != 0) return;
  Run([this] {
    view_.RepaintNow();
    tag_ = 1;
    const struct {
      Control image;
      const std::wstring& address;
    } banners[] = {{Control::ImageMod1, texts_.sImg1Link},
                   {Control::ImageMod2, texts_.sImg2Link},
                   {Control::ImageMod3, texts_.sImg3Link}};
    for (const auto& banner : banners)
      if (!banner.address.empty()) LoadRemotePicture(banner.image, banner.address);
    view_.SetCaption(kCaptionReady);
    view_.EnableTimer(true);
  });
}

// ---------------------------------------------------------------- pictures

void SetupSession::LoadRemotePicture(Control image, const std::wstring& address) {
  std::string body;
  const FetchOutcome outcome = http_.FetchPicture(address, body);
  Checkpoint();
  if (!outcome.replied || !IsHttpSuccess(outcome.status)) return;
  if (body.empty()) {
    view_.ClearPicture(image);  // an empty picture: the control shows nothing
    return;
  }
  view_.SetPicture(image, body);  // not a picture it can show: the earlier one stays
}

void SetupSession::Timer1Timer() {
  Run([this] {
    const BannerStrip next = NextBannerTick(banners_);
    if (next == banners_) return;
    if (next.first != banners_.first) view_.SetVisible(Control::ImageMod1, next.first);
    if (next.second != banners_.second) view_.SetVisible(Control::ImageMod2, next.second);
    if (next.third != banners_.third) view_.SetVisible(Control::ImageMod3, next.third);
    banners_ = next;
  });
}

void SetupSession::lblLinkClick() {
  Run([this] {
    const std::wstring address = texts_.link.caption;
    view_.SetBusyCursor(true);
    ProcessPendingMessages();
    // The shell has nothing to open for an empty caption.
    if (!address.empty()) launcher_.OpenLink(address);
    ProcessPendingMessages();
    view_.SetBusyCursor(false);
  });
}

// ---------------------------------------------------------------- download

void SetupSession::btnDownloadClick() {
  // Presses while a press's sequence runs, queued ones included, start
  // nothing: one press, one sequence.
  if (clickRunning_) return;
  clickRunning_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{clickRunning_};
  Run([this] { DownloadClick(); });
}

void SetupSession::SetInfoBar(const std::wstring& caption) { view_.SetLabel(Control::lblInfoBar, {caption, true}); }

void SetupSession::SetProgress(int percent) {
  // Blocks arrive far more often than the percentage changes; the bar is
  // told only of changes.
  if (percent == progress_) return;
  progress_ = percent;
  view_.SetProgress(percent);
}

void SetupSession::DownloadClick() {
  view_.EnableButton(false);
  SetInfoBar(L"");
  ProcessPendingMessages();
  view_.EnableTimer(false);

  K_GLOBAL_DIR_LOCALE_TEMP = WorkFolderFor(files_.TempVariable());
  // The build comes from the network: a text that is not a plain file name
  // gives no path, is never looked up and never written.
  const std::optional<std::wstring> path = SafeInstallerPathFor(K_GLOBAL_DIR_LOCALE_TEMP, texts_.sDownloadFileBuild);
  sDownloadFilePathTemp = path ? *path : InstallerPathFor(K_GLOBAL_DIR_LOCALE_TEMP, texts_.sDownloadFileBuild);

  // A stored installer the publisher pin refuses has been removed by the
  // launcher and is downloaded anew.
  if (path && files_.FileExists(*path) && LaunchSequence(*path)) return;  // the button stays disabled
  if (texts_.sDownloadSetupLink.empty()) {
    view_.ShowAppMessage(BoxKind::Warning, AppMessageText(kNoAddressMessage, kAppMessageTitle));
  } else if (path && DownloadSetupToFile(*path) && LaunchSequence(*path)) {
    // started
  } else {
    Checkpoint();
    view_.ShowAppMessage(BoxKind::Error, AppMessageText(kDownloadFailedMessage, kAppMessageTitle));
  }
  view_.EnableButton(true);
}

bool SetupSession::LaunchSequence(const std::wstring& path) {
  view_.SetBusyCursor(true);
  ProcessPendingMessages();
  const bool started = launcher_.StartInstaller(path);
  view_.ProcessPendingMessages();  // the installer runs already: a close now changes nothing
  view_.SetBusyCursor(false);
  return started;
}

bool SetupSession::DownloadSetupToFile(const std::wstring& path) {
  SetInfoBar(InfoBarText(texts_.sDownloadFileBuild, texts_.sDownloadFileData, texts_.sDimensioneSetup_MB));
  ProcessPendingMessages();
  SetProgress(0);
  view_.SetVisible(Control::ProgressBar1, true);

  // The body streams into a staged file beside the path, and becomes the
  // installer only once the whole of it has arrived: a failed, cut or
  // abandoned transfer never leaves a file the next click would start.
  InstallerTransfer transfer = http_.DownloadInstaller(
      texts_.sDownloadSetupLink, path, [this](std::int64_t total, std::int64_t read) { myHTTPReceiveData(total, read); });
  Checkpoint();
  // A transfer that broke off leaves the bar at the last progress reached;
  // any reply that came whole sets it to 100.
  const bool brokeOff = !transfer.outcome.replied && !transfer.fileFailed;
  if (!brokeOff) SetProgress(100);
  ProcessPendingMessages();
  // A file that cannot be written stops the transfer early; its error is
  // reported below, where the file is stored.
  if (!transfer.outcome.replied && !transfer.fileFailed) return false;
  if (!IsHttpSuccess(transfer.outcome.status)) return false;
  // No installer is empty, and none comes in a content coding nobody asked
  // for: storing either would leave a file the next click tries to start.
  if (!transfer.fileFailed && transfer.bytes == 0) return false;
  if (!transfer.contentEncoding.empty() && transfer.contentEncoding != "identity") return false;
  if (!transfer.file) return false;

  SetInfoBar(kDownloadCompleted);
  ProcessPendingMessages();
  if (const std::optional<std::wstring> error = transfer.file->Commit()) throw AppError(*error);
  // Windows learns where the installer came from, and policy and the
  // antivirus see it, before anything starts it.
  if (!files_.RecordDownload(path, transfer.finalAddress)) return false;
  view_.SetVisible(Control::ProgressBar1, false);
  ProcessPendingMessages();
  return true;
}

void SetupSession::myHTTPReceiveData(std::int64_t total, std::int64_t read) {
  SetProgress(ProgressPercent(total, read));
}

}  // namespace qf
