// The download session against fakes of its view, HTTP, files and launcher:
// the start-up sequence, the first activation, the banners, the pictures,
// the download button's paths and closing while a step runs.
#include "app/setup_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/download_rules.h"
#include "common/app_error.h"

namespace qf {
namespace {

// Every call the session makes, in order, as short texts.
using Log = std::vector<std::string>;

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

class FakeView final : public SessionView {
 public:
  explicit FakeView(Log& log) : log_(log) {}
  void SetCaption(const std::wstring& caption) override {
    caption_ = caption;
    log_.push_back("caption " + Narrow(caption));
  }
  void SetBusyCursor(bool busy) override {
    busy_ = busy;
    log_.push_back(busy ? "cursor busy" : "cursor default");
  }
  void SetLabel(Control label, const LabelState& state) override { labels_[label] = state; }
  void SetVisible(Control control, bool visible) override { visible_[control] = visible; }
  bool SetPicture(Control image, std::string_view bytes) override {
    if (bytes.substr(0, 3) != "PIC") return false;  // the fake's only picture format
    pictures_[image] = std::string(bytes);
    return true;
  }
  void ClearPicture(Control image) override { pictures_[image] = ""; }
  void SetProgress(int percent) override { progress_.push_back(percent); }
  void EnableButton(bool enabled) override { buttonEnabled_ = enabled; }
  void EnableTimer(bool enabled) override {
    timer_ = enabled;
    log_.push_back(enabled ? "timer on" : "timer off");
  }
  void ShowAppMessage(BoxKind kind, const std::wstring& text) override {
    boxes_.push_back({kind, text});
    log_.push_back("box");
  }
  void RepaintNow() override { log_.push_back("repaint"); }
  void ProcessPendingMessages() override {
    ++processed_;
    if (onProcess_) onProcess_();
  }

  Log& log_;
  std::wstring caption_ = L"Quarlo - Download";
  bool busy_ = false, buttonEnabled_ = true, timer_ = false;
  std::map<Control, LabelState> labels_;
  std::map<Control, bool> visible_;
  std::map<Control, std::string> pictures_;
  std::vector<int> progress_;
  struct Box {
    BoxKind kind;
    std::wstring text;
  };
  std::vector<Box> boxes_;
  int processed_ = 0;
  std::function<void()> onProcess_;
};

struct FakeReply {
  bool replied = true;
  int status = 200;
  std::string body;
};

class FakeFiles final : public SessionFiles {
 public:
  std::wstring TempVariable() override { return temp_; }
  bool FileExists(const std::wstring& path) override { return stored_.count(path) != 0; }
  bool RecordDownload(const std::wstring& path, const std::wstring& source) override {
    recorded_.push_back({path, source});
    if (!blockDownloads_) return true;
    stored_.erase(path);
    return false;
  }
  std::wstring temp_ = L"C:\\Temp";
  std::vector<std::pair<std::wstring, std::wstring>> recorded_;
  bool blockDownloads_ = false;
  std::map<std::wstring, std::string> stored_;
};

class FakeStaged final : public StagedInstaller {
 public:
  FakeStaged(FakeFiles& files, std::wstring path, std::string body, bool failing)
      : files_(files), path_(std::move(path)), body_(std::move(body)), failing_(failing) {}
  std::optional<std::wstring> Commit() override {
    if (failing_) return L"Impossibile creare il file";
    files_.stored_[path_] = body_;
    return std::nullopt;
  }

 private:
  FakeFiles& files_;
  std::wstring path_;
  std::string body_;
  bool failing_;
};

class FakeHttp final : public SessionHttp {
 public:
  FakeHttp(Log& log, FakeFiles& files) : log_(log), files_(files) {}
  std::wstring ExchangeLanding() override {
    log_.push_back("POST landing");
    return landing_;
  }
  FetchOutcome FetchPicture(const std::wstring& address, std::string& body) override {
    log_.push_back("GET " + Narrow(address));
    if (onRequest_) onRequest_();
    if (abandon_) return {true, false, 0};
    const auto it = pictures_.find(address);
    const FakeReply reply = it == pictures_.end() ? FakeReply{true, 404, ""} : it->second;
    if (reply.replied) body = reply.body;
    return {false, reply.replied, reply.status};
  }
  InstallerTransfer DownloadInstaller(const std::wstring& address, const std::wstring& path,
                                      const ProgressCallback& progress) override {
    log_.push_back("GET " + Narrow(address));
    if (onRequest_) onRequest_();
    InstallerTransfer transfer;
    if (abandon_) {
      transfer.outcome.abandoned = true;
      return transfer;
    }
    const std::int64_t total = announced_ >= 0 ? announced_ : static_cast<std::int64_t>(installer_.body.size());
    if (installer_.status < 300) {
      progress(total, 0);
      for (std::int64_t read : blocks_) progress(total, read);
    }
    transfer.outcome.replied = installer_.replied && !fileFailed_;
    transfer.outcome.status = installer_.status;
    transfer.fileFailed = fileFailed_;
    transfer.bytes = installer_.body.size();
    transfer.contentEncoding = encoding_;
    transfer.finalAddress = finalAddress_.empty() ? address : finalAddress_;
    transfer.file = std::make_unique<FakeStaged>(files_, path, installer_.body, fileFailed_);
    return transfer;
  }

  Log& log_;
  FakeFiles& files_;
  std::wstring landing_;
  std::map<std::wstring, FakeReply> pictures_;
  FakeReply installer_{true, 200, "MZ installer"};
  std::int64_t announced_ = -1;
  std::vector<std::int64_t> blocks_;
  bool fileFailed_ = false;
  std::string encoding_;
  std::wstring finalAddress_;  // where redirects led; empty: nowhere else
  bool abandon_ = false;
  std::function<void()> onRequest_;
};

class FakeLauncher final : public SessionLauncher {
 public:
  FakeLauncher(Log& log, FakeFiles& files) : log_(log), files_(files) {}
  bool StartInstaller(const std::wstring& path) override {
    if (refuse_) {
      files_.stored_.erase(path);
      log_.push_back("refused");
      return false;
    }
    started_.push_back(path);
    log_.push_back("start");
    return true;
  }
  void OpenLink(const std::wstring& address) override { links_.push_back(address); }

  Log& log_;
  FakeFiles& files_;
  bool refuse_ = false;
  std::vector<std::wstring> started_, links_;
};

std::wstring Page(const std::vector<std::pair<std::wstring, std::wstring>>& values) {
  std::wstring page = L"<html><body>\r\n[SETUP_DEPLOY_A]\r\n";
  for (const auto& [key, value] : values) page += key + L"=" + value + L"\r\n";
  return page + L"</body></html>";
}

const std::wstring kInstallerPath = L"C:\\Temp\\_Ostrel\\SETUP_DEPLOY_A\\setup_B714.exe";

class SessionTest : public ::testing::Test {
 protected:
  Log log;
  FakeView view{log};
  FakeFiles files;
  FakeHttp http{log, files};
  FakeLauncher launcher{log, files};
  Cp1252Codec codec;
  SetupSession session{view, http, files, launcher, codec};

  // A started window whose settings name an installer (or none).
  void StartWith(std::vector<std::pair<std::wstring, std::wstring>> extra = {}, bool address = true) {
    std::vector<std::pair<std::wstring, std::wstring>> values = {
        {L"BuildSetup", L"714"}, {L"DataSetup", L"18/10/2023"}, {L"DimensioneSetup_MB", L"85"}};
    if (address) values.emplace_back(L"DownloadLink", L"http://h/setup.exe");
    values.insert(values.end(), extra.begin(), extra.end());
    http.landing_ = Page(values);
    session.FormCreate();
    session.FormActivate();
    log.clear();
  }
};

// ---------------------------------------------------------------- start-up

TEST_F(SessionTest, CreationPostsTheProfileAndFillsTheWindowWhileTheCaptionWaits) {
  http.landing_ = Page({{L"Titolo", L"Benvenuto"}, {L"ImgMain_link", L"http://h/main.png"}});
  http.pictures_[L"http://h/main.png"] = {true, 200, "PIC main"};
  session.FormCreate();
  EXPECT_EQ(log, (Log{"cursor busy", "caption Quarlo - Download - Attendere", "POST landing", "GET http://h/main.png",
                      "cursor default"}));
  EXPECT_EQ(view.labels_[Control::lblTitolo].caption, L"Benvenuto");
  EXPECT_EQ(view.pictures_[Control::Image_Main], "PIC main");
}

TEST_F(SessionTest, AnEmptyReplyLeavesTheDesignAndFetchesNothing) {
  for (const std::wstring reply : {L"", L" \r\n\t "}) {
    log.clear();
    view.labels_.clear();
    http.landing_ = reply;
    session.FormCreate();
    EXPECT_EQ(log, (Log{"cursor busy", "caption Quarlo - Download - Attendere", "POST landing", "cursor default"}));
    EXPECT_TRUE(view.labels_.empty());
    EXPECT_TRUE(session.Texts().sDownloadSetupLink.empty());
  }
}

TEST_F(SessionTest, LabelValuesFollowTheLabelRule) {
  const struct {
    const wchar_t* value;
    LabelState expected;
  } cases[] = {
      {L"NO", {L"NO", false}},
      {L"no", {L"no", true}},
      {L"", {L"Download Ostrel", true}},
      {L"Ciao", {L"Ciao", true}},
  };
  for (const auto& c : cases) {
    SetupSession fresh(view, http, files, launcher, codec);
    http.landing_ = Page({{L"Titolo", c.value}, {L"Link", L"x"}});
    fresh.FormCreate();
    EXPECT_EQ(view.labels_[Control::lblTitolo].caption, c.expected.caption) << Narrow(c.value);
    EXPECT_EQ(view.labels_[Control::lblTitolo].visible, c.expected.visible) << Narrow(c.value);
  }
}

TEST_F(SessionTest, FirstActivationFetchesTheSetBannersThenSetsTheCaptionAndStartsTheTimer) {
  http.landing_ = Page({{L"ImgSmall1_link", L"http://h/1.png"}, {L"ImgSmall3_link", L"http://h/3.png"}});
  session.FormCreate();
  log.clear();
  session.FormActivate();
  EXPECT_EQ(log, (Log{"repaint", "GET http://h/1.png", "GET http://h/3.png", "caption Quarlo - Download",
                      "timer on"}));
  log.clear();
  session.FormActivate();  // a later activation does nothing
  EXPECT_TRUE(log.empty());
}

TEST_F(SessionTest, PictureOutcomes) {
  const struct {
    const char* name;
    FakeReply reply;
    std::optional<std::string> shown;  // nothing: the design picture stays
  } cases[] = {
      {"network failure", {false, 0, ""}, std::nullopt},
      {"not found", {true, 404, "PIC but 404"}, std::nullopt},
      {"redirect left unfollowed", {true, 302, ""}, std::nullopt},
      {"empty body", {true, 200, ""}, std::string()},
      {"not a picture", {true, 200, "GIF87a broken"}, std::nullopt},
      {"a picture", {true, 204, "PIC banner"}, std::string("PIC banner")},
  };
  for (const auto& c : cases) {
    SetupSession fresh(view, http, files, launcher, codec);
    view.pictures_.clear();
    http.landing_ = Page({{L"ImgSmall1_link", L"http://h/1.png"}});
    http.pictures_[L"http://h/1.png"] = c.reply;
    fresh.FormCreate();
    fresh.FormActivate();
    const auto it = view.pictures_.find(Control::ImageMod1);
    if (c.shown) {
      ASSERT_NE(it, view.pictures_.end()) << c.name;
      EXPECT_EQ(it->second, *c.shown) << c.name;
    } else {
      EXPECT_EQ(it, view.pictures_.end()) << c.name;
    }
  }
}

TEST_F(SessionTest, TimerTicksStepTheBannersOneWay) {
  const struct {
    bool first, second, third;
  } after[] = {{false, true, false}, {false, false, true}, {false, false, false}, {false, false, false}};
  for (const auto& expected : after) {
    session.Timer1Timer();
    EXPECT_EQ(view.visible_[Control::ImageMod1], expected.first);
    EXPECT_EQ(view.visible_[Control::ImageMod2], expected.second);
    EXPECT_EQ(view.visible_[Control::ImageMod3], expected.third);
  }
}

TEST_F(SessionTest, TheLinkOpensItsCaptionAndAnEmptyCaptionNothing) {
  StartWith({{L"Link", L"https://example.com/"}});
  session.lblLinkClick();
  EXPECT_EQ(launcher.links_, std::vector<std::wstring>{L"https://example.com/"});
  EXPECT_FALSE(view.busy_);

  SetupSession empty(view, http, files, launcher, codec);
  empty.lblLinkClick();
  EXPECT_EQ(launcher.links_.size(), 1u);
  EXPECT_FALSE(view.busy_);
}

// ---------------------------------------------------------------- download

struct Row {
  const char* name;
  bool stored;                       // an installer is stored already
  bool address;                      // the settings name one
  FakeReply reply;                   // the installer's reply
  bool fileFails;                    // storing it fails
  std::optional<BoxKind> box;        // the box shown
  bool started;                      // the installer started
  bool buttonEnabled;                // the button after the click
  std::wstring infoBar;              // the info bar after the click
  std::optional<bool> barVisible;    // nothing: not touched
  std::optional<int> lastProgress;   // the bar's last position, when told
  bool errorEscapes;                 // the default error box's error leaves the click
};

const std::wstring kInfo = L"Build 714 del 18/10/2023 - dimensione 85 MB";

class DownloadRows : public SessionTest, public ::testing::WithParamInterface<Row> {};

TEST_P(DownloadRows, EachPathLeavesTheWindowAsTheStateTableSays) {
  const Row& row = GetParam();
  StartWith({}, row.address);
  if (row.stored) files.stored_[kInstallerPath] = "MZ stored";
  http.installer_ = row.reply;
  http.fileFailed_ = row.fileFails;
  if (row.errorEscapes) {
    EXPECT_THROW(session.btnDownloadClick(), AppError);
  } else {
    session.btnDownloadClick();
  }
  EXPECT_EQ(session.InstallerPath(), kInstallerPath);
  EXPECT_FALSE(view.timer_);
  ASSERT_EQ(view.boxes_.size(), row.box ? 1u : 0u);
  if (row.box) {
    EXPECT_EQ(view.boxes_[0].kind, *row.box);
    EXPECT_EQ(view.boxes_[0].text, std::wstring(L"QUARLO\r\n\r\n") +
                                       (*row.box == BoxKind::Warning ? kNoAddressMessage : kDownloadFailedMessage));
  }
  EXPECT_EQ(launcher.started_.size(), row.started ? 1u : 0u);
  EXPECT_EQ(view.buttonEnabled_, row.buttonEnabled);
  EXPECT_EQ(view.labels_[Control::lblInfoBar].caption, row.infoBar);
  EXPECT_TRUE(view.labels_[Control::lblInfoBar].visible);
  if (row.barVisible) {
    EXPECT_EQ(view.visible_[Control::ProgressBar1], *row.barVisible);
  } else {
    EXPECT_EQ(view.visible_.count(Control::ProgressBar1), 0u);
  }
  if (row.lastProgress) {
    ASSERT_FALSE(view.progress_.empty());
    EXPECT_EQ(view.progress_.back(), *row.lastProgress);
  } else {
    EXPECT_TRUE(view.progress_.empty());
  }
  // A stored installer is only ever one that arrived whole with success.
  const bool storedAfter = files.stored_.count(kInstallerPath) != 0;
  EXPECT_EQ(storedAfter, row.stored || (row.started && !row.stored));
}

INSTANTIATE_TEST_SUITE_P(
    StateTable, DownloadRows,
    ::testing::Values(
        Row{"stored", true, true, {}, false, std::nullopt, true, false, L"", std::nullopt, std::nullopt, false},
        Row{"stored_without_address", true, false, {}, false, std::nullopt, true, false, L"", std::nullopt,
            std::nullopt, false},
        Row{"no_address", false, false, {}, false, BoxKind::Warning, false, true, L"", std::nullopt, std::nullopt,
            false},
        Row{"success", false, true, {true, 200, "MZ new"}, false, std::nullopt, true, true, kDownloadCompleted, false,
            100, false},
        Row{"transfer_error", false, true, {false, 200, ""}, false, BoxKind::Error, false, true, kInfo, true, 0,
            false},
        Row{"status_404", false, true, {true, 404, ""}, false, BoxKind::Error, false, true, kInfo, true, 100, false},
        Row{"empty_body", false, true, {true, 200, ""}, false, BoxKind::Error, false, true, kInfo, true, 100, false},
        Row{"file_cannot_be_written", false, true, {true, 200, "MZ new"}, true, std::nullopt, false, false,
            kDownloadCompleted, true, 100, true}),
    [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

TEST_F(SessionTest, TheBarFollowsTheReceivedPercentageTruncated) {
  StartWith();
  http.installer_ = {true, 200, std::string(1000000, 'x')};
  http.announced_ = 1000000;
  http.blocks_ = {333333, 500000, 999999, 1000000};
  session.btnDownloadClick();
  EXPECT_EQ(view.progress_, (std::vector<int>{0, 33, 50, 99, 100}));
}

TEST_F(SessionTest, ATransferThatBreaksOffLeavesTheBarWhereItWas) {
  StartWith();
  http.installer_ = {false, 200, std::string(1000, 'x')};
  http.announced_ = 3000;
  http.blocks_ = {500, 1000};
  session.btnDownloadClick();
  EXPECT_EQ(view.progress_, (std::vector<int>{0, 16, 33}));
  EXPECT_TRUE(view.visible_[Control::ProgressBar1]);
}

TEST_F(SessionTest, TheStoredInstallerIsRecordedWithItsFinalAddressBeforeItStarts) {
  StartWith();
  http.finalAddress_ = L"https://cdn/setup.exe";
  session.btnDownloadClick();
  ASSERT_EQ(files.recorded_.size(), 1u);
  EXPECT_EQ(files.recorded_[0].first, kInstallerPath);
  EXPECT_EQ(files.recorded_[0].second, L"https://cdn/setup.exe");
  EXPECT_EQ(launcher.started_.size(), 1u);
}

TEST_F(SessionTest, AnInstallerTheAttachmentServicesBlockIsReportedAndNeverStarted) {
  StartWith();
  files.blockDownloads_ = true;
  session.btnDownloadClick();
  EXPECT_TRUE(launcher.started_.empty());
  EXPECT_TRUE(files.stored_.empty());
  ASSERT_EQ(view.boxes_.size(), 1u);
  EXPECT_EQ(view.boxes_[0].kind, BoxKind::Error);
  EXPECT_TRUE(view.buttonEnabled_);
}

TEST_F(SessionTest, AContentCodingNobodyAskedForIsNoInstaller) {
  StartWith();
  http.encoding_ = "gzip";
  session.btnDownloadClick();
  ASSERT_EQ(view.boxes_.size(), 1u);
  EXPECT_TRUE(launcher.started_.empty());
  EXPECT_TRUE(files.stored_.empty());
}

TEST_F(SessionTest, AHostileBuildNamesNoFileAndDownloadsNothing) {
  http.landing_ = Page({{L"DownloadLink", L"http://h/setup.exe"}, {L"BuildSetup", L"..\\..\\evil"}});
  session.FormCreate();
  log.clear();
  session.btnDownloadClick();
  EXPECT_EQ(log, (Log{"timer off", "box"}));
  EXPECT_TRUE(files.stored_.empty());
}

TEST_F(SessionTest, ASecondClickStartsTheStoredInstallerWithoutARequest) {
  StartWith();
  session.btnDownloadClick();
  log.clear();
  session.btnDownloadClick();
  EXPECT_EQ(log, (Log{"timer off", "cursor busy", "start", "cursor default"}));
  EXPECT_FALSE(view.buttonEnabled_);
}

TEST_F(SessionTest, AStoredInstallerThePinRefusesIsDownloadedAnew) {
  StartWith();
  files.stored_[kInstallerPath] = "MZ tampered";
  launcher.refuse_ = true;
  session.btnDownloadClick();
  // Refused when stored, downloaded, refused again: the error box.
  EXPECT_EQ(std::count(log.begin(), log.end(), "refused"), 2);
  EXPECT_EQ(std::count(log.begin(), log.end(), "GET http://h/setup.exe"), 1);
  ASSERT_EQ(view.boxes_.size(), 1u);
  EXPECT_EQ(view.boxes_[0].kind, BoxKind::Error);
}

TEST_F(SessionTest, PressesWhileASequenceRunsStartNothing) {
  StartWith();
  // Presses that reach the handler at its processing points and during the
  // transfer: queued before the button was disabled, or sent meanwhile.
  view.onProcess_ = [&] { session.btnDownloadClick(); };
  http.onRequest_ = [&] { session.btnDownloadClick(); };
  session.btnDownloadClick();
  EXPECT_EQ(std::count(log.begin(), log.end(), "GET http://h/setup.exe"), 1);
  EXPECT_EQ(launcher.started_.size(), 1u);
  EXPECT_FALSE(session.ClickRunning());
}

// ---------------------------------------------------------------- closing

TEST_F(SessionTest, ClosingDuringTheDownloadStoresStartsAndReportsNothing) {
  StartWith();
  http.onRequest_ = [&] { session.Abandon(); };
  http.abandon_ = true;
  session.btnDownloadClick();
  EXPECT_TRUE(files.stored_.empty());
  EXPECT_TRUE(launcher.started_.empty());
  EXPECT_TRUE(view.boxes_.empty());
  EXPECT_FALSE(session.Running());
}

TEST_F(SessionTest, ClosingAtAProcessingPointStopsTheSequenceThere) {
  const struct {
    const char* name;
    int closeAtProcessingPoint;  // 1-based
    bool stored;
    bool expectGet;
  } cases[] = {
      {"before the timer stops", 1, false, false},
      {"before the transfer", 2, false, false},
      {"before a stored installer starts", 2, true, false},
      {"after the transfer", 3, false, true},
      {"before the installer is stored", 4, false, true},
  };
  for (const auto& c : cases) {
    Log caseLog;
    FakeView caseView(caseLog);
    FakeFiles caseFiles;
    FakeHttp caseHttp(caseLog, caseFiles);
    FakeLauncher caseLauncher(caseLog, caseFiles);
    SetupSession s(caseView, caseHttp, caseFiles, caseLauncher, codec);
    caseHttp.landing_ = Page({{L"DownloadLink", L"http://h/setup.exe"}, {L"BuildSetup", L"714"}});
    s.FormCreate();
    if (c.stored) caseFiles.stored_[kInstallerPath] = "MZ stored";
    int points = 0;
    caseView.onProcess_ = [&] {
      if (++points == c.closeAtProcessingPoint) s.Abandon();
    };
    s.btnDownloadClick();
    EXPECT_TRUE(caseLauncher.started_.empty()) << c.name;
    EXPECT_TRUE(caseView.boxes_.empty()) << c.name;
    EXPECT_EQ(caseFiles.stored_.count(kInstallerPath) != 0, c.stored) << c.name;
    EXPECT_EQ(std::count(caseLog.begin(), caseLog.end(), "GET http://h/setup.exe"), c.expectGet ? 1 : 0) << c.name;
  }
}

TEST_F(SessionTest, ClosingDuringTheBannerFetchesLeavesTheCaptionAndTimer) {
  http.landing_ = Page({{L"ImgSmall1_link", L"http://h/1.png"}, {L"ImgSmall2_link", L"http://h/2.png"}});
  session.FormCreate();
  log.clear();
  http.onRequest_ = [&] { session.Abandon(); };
  http.abandon_ = true;
  session.FormActivate();
  EXPECT_EQ(log, (Log{"repaint", "GET http://h/1.png"}));
  EXPECT_FALSE(session.Running());
}

}  // namespace
}  // namespace qf
