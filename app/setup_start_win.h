#pragma once
// TfrmSetupStart: the download window, the thin Win32 host of the download
// session. Labels and pictures have no window of their own: one table holds
// them in stacking order, and painting (bottom first) and hit-testing
// (topmost first) both walk it. The button and the progress bar are real
// child windows above them. Events go to the session; the session's view,
// files, launcher and HTTP are implemented here and beside this file. Screen
// readers see the same table through the window's accessible object.
#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/background_job_win.h"
#include "app/glyph_button_win.h"
#include "app/progress_bar_accessible_win.h"
#include "app/session_files_win.h"
#include "app/session_http_win.h"
#include "app/session_launcher_win.h"
#include "app/taskbar_progress_win.h"
#include "app/setup_session.h"
#include "platform/accessible_object.h"
#include "platform/gdi_objects.h"
#include "platform/picture.h"
#include "platform/system_ansi_codec.h"

namespace qf {

struct DesignBounds {
  int left, top, width, height;  // client pixels at 96 DPI
};

// One label or picture of the window, as designed and as it is now.
struct WindowlessControl {
  Control id;
  DesignBounds bounds;
  bool fillsClient = false;
  bool visible = true;
  bool isLabel = false;
  // Labels.
  std::wstring caption;
  int fontPx = 13;
  bool bold = false, underline = false, centred = false, autoSize = false;
  COLORREF colour = RGB(0, 0, 0);
  UniqueFont font;
  // Pictures.
  std::shared_ptr<const Picture> picture;  // null: shows nothing
  UniqueBitmap rendered;                   // the picture at its current size
  SIZE renderedSize{0, 0};
};

class TfrmSetupStart final : public SessionView, private TransferWaiter, private AccessibleSource {
 public:
  // landingAddress: where the profile is posted; publisher: the build's
  // installer publisher pin, or empty.
  TfrmSetupStart(const std::wstring& landingAddress, const std::wstring& publisher);
  ~TfrmSetupStart() override;
  TfrmSetupStart(const TfrmSetupStart&) = delete;
  TfrmSetupStart& operator=(const TfrmSetupStart&) = delete;

  // Creates the window, hands it to created, runs the session's creation
  // step and shows it.
  bool Create(HINSTANCE instance, const std::function<void(HWND)>& created);
  HWND Window() const { return window_; }

  // SessionView.
  void SetCaption(const std::wstring& caption) override;
  void SetBusyCursor(bool busy) override;
  void SetLabel(Control label, const LabelState& state) override;
  void SetVisible(Control control, bool visible) override;
  bool SetPicture(Control image, std::string_view bytes) override;
  void ClearPicture(Control image) override;
  void SetProgress(int percent) override;
  void EnableButton(bool enabled) override;
  void EnableTimer(bool enabled) override;
  void ShowAppMessage(BoxKind kind, const std::wstring& text) override;
  void RepaintNow() override;
  void ProcessPendingMessages() override;

 private:
  // Events that arrive while a transfer is waited for are held and posted
  // again when it ends, as if they had stayed in the queue.
  enum class UserEvent : WPARAM { DownloadClick = 1, LinkClick = 2 };

  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM) noexcept;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  TransferWait WaitForTransfer(HANDLE done, DWORD timeoutMs, const std::function<void()>& tick) override;

  // Runs a session step. An error that escapes it is shown in the default
  // error box; a close asked for meanwhile takes effect after it.
  template <typename Step>
  void RunStep(Step step) noexcept;
  void ShowDefaultErrorBox(const std::wstring& message) noexcept;
  void OnUserEvent(UserEvent event);
  // Queues the event as input is queued: it runs at the next look at the queue.
  void PostUserEvent(UserEvent event);
  void OnCloseRequest();

  WindowlessControl& Find(Control id);
  void ApplyDpi(int dpi);
  void LayoutChildren();
  RECT PixelRect(const DesignBounds& bounds, bool fillsClient) const;
  RECT LabelRect(const WindowlessControl& label) const;
  void Paint(HDC dc);
  void PaintLabel(HDC dc, const WindowlessControl& label);
  void PaintImage(HDC dc, WindowlessControl& image);
  // Decodes and scales the picture for its current size, once; false when
  // there is nothing to draw.
  bool EnsureRendered(WindowlessControl& image);
  // Starts decoding and scaling the pictures of the first paint on a
  // background job; the first paint takes what it made.
  void PrerenderFirstPaint();
  void AdoptPrerendered();
  // The topmost visible windowless control under a client point.
  const WindowlessControl* HitTest(POINT p);
  void Invalidate(const WindowlessControl& control);

  // AccessibleSource: the labels, banners, bar and button as children, in
  // reading order (setup_start_accessible_win.cpp).
  long AccessibleChildCount() override;
  AccessibleFacts AccessibleFactsOf(long child) override;
  long AccessibleChildAt(POINT screen) override;
  bool AccessibleDefaultAction(long child) override;
  // Tells screen readers what changed about a control: its name (a
  // label's caption) or whether it shows.
  void NotifyNameChange(Control id);
  void NotifyShown(Control id, bool shown);

  HWND window_ = nullptr;
  int dpi_ = 96;
  bool shown_ = false;
  bool busyCursor_ = false;
  bool closeRequested_ = false;
  int waits_ = 0;  // transfers being waited for
  std::vector<UserEvent> heldEvents_;

  struct Prerendered {
    Control id;
    std::shared_ptr<const Picture> picture;
    SIZE size;
    UniqueBitmap bitmap;
  };
  std::unique_ptr<BackgroundJob> prerender_;
  std::shared_ptr<std::vector<Prerendered>> prerendered_;

  std::array<WindowlessControl, kWindowlessControlCount> controls_;  // stacking order, bottom first
  GlyphButton btnDownload;
  std::shared_ptr<const Picture> ilBitmap_Toolbar_0;
  HWND ProgressBar1 = nullptr;
  int barPosition_ = 30;  // the design's position
  bool barShown_ = false;
  std::optional<TaskbarProgress> taskbar_;
  ProgressBarAccessible barAccessible_;
  AccessibleHost accessible_{*this};
  UniqueFont buttonFont_;

  WinSessionFiles files_;
  WinSessionLauncher launcher_;
  WinSessionHttp http_;
  SystemAnsiCodec codec_;
  SetupSession session_;
};

}  // namespace qf
