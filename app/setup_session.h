#pragma once
// The download window's start-up and download flow, free of any UI: window
// creation, the first activation, the download button, the banner timer, the
// link and the remote pictures, step by step. It keeps the window's state
// and tells the view of every change; the host forwards the window's events.
#include <cstdint>
#include <string>

#include "app/session_ports.h"
#include "app/window_rules.h"
#include "landing/ansi_codec.h"

namespace qf {

class SetupSession {
 public:
  SetupSession(SessionView& view, SessionHttp& http, SessionFiles& files, SessionLauncher& launcher,
               const AnsiCodec& codec);

  // Window creation, before the window is first shown: the profile goes to
  // the landing page, its settings fill the window, the main picture comes.
  void FormCreate();
  // Every activation; acts at the first only: the banners come, the caption
  // becomes the final one and the banner timer starts.
  void FormActivate();
  // The download button: starts the stored installer, or downloads, stores
  // and starts it. A press while an earlier press's sequence runs starts
  // nothing.
  void btnDownloadClick();
  // The banner timer's tick: banner 1, 2, 3, then none.
  void Timer1Timer();
  // The link label's click: opens its caption as a web address.
  void lblLinkClick();

  // The user closed the window while a handler runs: the handler stops at
  // its next step, stores nothing, starts nothing and shows no box.
  void Abandon() { abandoned_ = true; }
  bool Abandoned() const { return abandoned_; }
  // Whether one of the handlers above is running.
  bool Running() const { return running_ > 0; }
  bool ClickRunning() const { return clickRunning_; }

  const WindowTexts& Texts() const { return texts_; }
  const std::wstring& WorkFolder() const { return K_GLOBAL_DIR_LOCALE_TEMP; }
  const std::wstring& InstallerPath() const { return sDownloadFilePathTemp; }

 private:
  struct Stop {};  // unwinds a handler once the window is being closed
  template <typename Steps>
  void Run(Steps steps);
  void Checkpoint() const;
  void ProcessPendingMessages();

  void DownloadClick();
  bool DownloadSetupToFile(const std::wstring& path);
  bool LaunchSequence(const std::wstring& path);
  void myHTTPReceiveData(std::int64_t total, std::int64_t read);
  void LoadRemotePicture(Control image, const std::wstring& address);
  void ApplyLabels();
  void SetInfoBar(const std::wstring& caption);
  void SetProgress(int percent);

  SessionView& view_;
  SessionHttp& http_;
  SessionFiles& files_;
  SessionLauncher& launcher_;
  const AnsiCodec& codec_;

  WindowTexts texts_;
  std::wstring K_GLOBAL_DIR_LOCALE_TEMP, sDownloadFilePathTemp;
  int tag_ = 0;  // once-only flag of the first activation
  BannerStrip banners_;
  int progress_ = 30;  // the bar's design position
  int running_ = 0;
  bool clickRunning_ = false;
  bool abandoned_ = false;
};

}  // namespace qf
