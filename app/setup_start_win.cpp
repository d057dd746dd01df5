#include "app/setup_start_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "app/app_message_win.h"
#include "app/artwork_win.h"
#include "app/background_job_win.h"
#include "app/message_pump_win.h"
#include "app/serving_wait_win.h"
#include "app/taskbar_progress_win.h"
#include "app/window_proc_guard_win.h"

namespace qf {

namespace {

const wchar_t kFormClass[] = L"TfrmSetupStart";
constexpr UINT kActivateMessage = WM_APP + 1;    // first activation, after the pending paint
constexpr UINT kHeldEventMessage = WM_APP + 2;   // a user event held during a transfer
constexpr UINT kCloseNowMessage = WM_APP + 3;    // a close asked for while a step ran

constexpr UINT_PTR kTimer1Id = 1;
constexpr UINT kTimer1IntervalMs = 3000;
constexpr int kDownloadButtonId = 88;
constexpr int kProgressBarId = 89;
constexpr DesignBounds kButtonBounds{606, 553, 163, 32};
constexpr DesignBounds kProgressBarBounds{147, 561, 438, 19};
const wchar_t kProgressBarName[] = L"Avanzamento del download";  // what screen readers call the bar

// Per-monitor DPI calls exist from Windows 10 1607; older systems have one DPI.
int DpiForWindow(HWND window) {
  using Fn = UINT(WINAPI*)(HWND);
  static const auto fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (fn) {
    const UINT dpi = fn(window);
    if (dpi >= 48 && dpi <= 960) return static_cast<int>(dpi);
  }
  WindowDc screen(nullptr);
  return ::GetDeviceCaps(screen.get(), LOGPIXELSY);
}

RECT WindowRectForClient(int width, int height, DWORD style, int dpi) {
  RECT r{0, 0, width, height};
  using Fn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto fn = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
  if (!fn || !fn(&r, style, FALSE, 0, static_cast<UINT>(dpi))) ::AdjustWindowRectEx(&r, style, FALSE, 0);
  return r;
}

UniqueFont MakeFont(int pixels, int dpi, bool bold, bool underline) {
  return UniqueFont(::CreateFontW(-::MulDiv(pixels, dpi, 96), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline,
                                  FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                  DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
}

WindowlessControl Label(Control id, DesignBounds bounds, const LabelState& state, int fontPx, COLORREF colour) {
  WindowlessControl label;
  label.id = id;
  label.bounds = bounds;
  label.isLabel = true;
  label.caption = state.caption;
  label.visible = state.visible;
  label.fontPx = fontPx;
  label.colour = colour;
  return label;
}

WindowlessControl Image(Control id, DesignBounds bounds, bool fillsClient, bool visible) {
  WindowlessControl image;
  image.id = id;
  image.bounds = bounds;
  image.fillsClient = fillsClient;
  image.visible = visible;
  return image;
}

// The window's design: its labels and pictures in stacking order, bottom
// first. Bounds are client pixels at 96 DPI.
std::array<WindowlessControl, kWindowlessControlCount> Design() {
  const WindowTexts design;
  constexpr DesignBounds kClient{0, 0, 800, 600};
  constexpr DesignBounds kBanner{0, 384, 800, 145};
  std::array<WindowlessControl, kWindowlessControlCount> controls{
      Label(Control::lblTesto1, {432, 291, 350, 46}, design.testo1, 13, RGB(0x80, 0x80, 0x80)),
      Label(Control::lblLink, {448, 354, 334, 16}, design.link, 13, RGB(0x00, 0x00, 0xFF)),
      Label(Control::lblSottoTitolo, {536, 123, 115, 16}, design.sottoTitolo, 13, RGB(0x80, 0x80, 0x80)),
      Label(Control::lblTitolo, {536, 92, 146, 21}, design.titolo, 17, RGB(0xFA, 0xB3, 0x42)),
      Image(Control::Image_Main_EP, kClient, true, false),
      Image(Control::Image_Main_PREM, kClient, true, true),
      Image(Control::Image_Main, kClient, true, false),
      Image(Control::ImageMod1, kBanner, false, true),
      Image(Control::ImageMod2, kBanner, false, false),
      Image(Control::ImageMod3, kBanner, false, false),
      Label(Control::lblInfoBar, {147, 539, 438, 16}, {std::wstring(24, L' '), true}, 13, RGB(0x35, 0x35, 0x35)),
  };
  for (WindowlessControl& c : controls) {
    switch (c.id) {
      case Control::lblTesto1:
      case Control::lblInfoBar:
        c.centred = true;
        break;
      case Control::lblLink:
        c.centred = c.underline = true;
        break;
      case Control::lblSottoTitolo:
        c.autoSize = true;
        break;
      case Control::lblTitolo:
        c.autoSize = c.bold = true;
        break;
      default:
        break;
    }
  }
  return controls;
}

}  // namespace

TfrmSetupStart::TfrmSetupStart(const std::wstring& landingAddress, const std::wstring& publisher)
    : controls_(Design()),
      barAccessible_(kProgressBarName),
      launcher_(publisher),
      http_(*this, landingAddress),
      session_(*this, http_, files_, launcher_, codec_) {}

TfrmSetupStart::~TfrmSetupStart() {
  if (window_) ::DestroyWindow(window_);
}

bool TfrmSetupStart::Create(HINSTANCE instance, const std::function<void(HWND)>& created) {
  GlyphButton::RegisterClass(instance);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kFormClass;
  wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  ::RegisterClassExW(&wc);

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);

  Find(Control::Image_Main).picture = LoadArtwork(kArtBackgroundMain);
  Find(Control::Image_Main_EP).picture = LoadArtwork(kArtBackgroundEp);
  Find(Control::Image_Main_PREM).picture = LoadArtwork(kArtBackgroundPrem);
  Find(Control::ImageMod1).picture = LoadArtwork(kArtBanner1);
  Find(Control::ImageMod2).picture = LoadArtwork(kArtBanner2);
  Find(Control::ImageMod3).picture = LoadArtwork(kArtBanner3);
  ilBitmap_Toolbar_0 = LoadArtwork(kArtGlyphDownload);

  // Single fixed border: no sizing frame and no maximise button.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  window_ = ::CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_APPWINDOW, kFormClass, kCaptionReady, style, CW_USEDEFAULT,
                              CW_USEDEFAULT, 800, 600, nullptr, nullptr, instance, this);
  if (!window_) return false;
  created(window_);
  taskbar_.emplace(window_);

  launcher_.SetOwner(window_);
  btnDownload.Create(window_, kDownloadButtonId, L"Scarica il programma",
                     [this] { OnUserEvent(UserEvent::DownloadClick); });
  btnDownload.SetGlyph(ilBitmap_Toolbar_0);
  ProgressBar1 = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD, 0, 0, 0, 0, window_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kProgressBarId)), instance, nullptr);
  ::SendMessageW(ProgressBar1, PBM_SETRANGE32, 0, 100);
  ::SendMessageW(ProgressBar1, PBM_SETPOS, 30, 0);  // the design's position
  ::SendMessageW(ProgressBar1, PBM_SETBARCOLOR, 0, RGB(0xFF, 0xFF, 0x00));
  ::SendMessageW(ProgressBar1, PBM_SETBKCOLOR, 0, RGB(0xFF, 0x00, 0x00));
  barAccessible_.Attach(ProgressBar1);

  ApplyDpi(DpiForWindow(window_));
  // Centred on the primary screen, never left of or above its top-left corner.
  RECT frame;
  ::GetWindowRect(window_, &frame);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  const int x = std::max(0, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  const int y = std::max(0, (::GetSystemMetrics(SM_CYSCREEN) - height) / 2);
  ::SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (DpiForWindow(window_) != dpi_) ApplyDpi(DpiForWindow(window_));
  PrerenderFirstPaint();

  RunStep([this] { session_.FormCreate(); });
  shown_ = true;
  ::ShowWindow(window_, SW_SHOWDEFAULT);
  ::UpdateWindow(window_);
  return true;
}

// ---------------------------------------------------------------- steps

template <typename Step>
void TfrmSetupStart::RunStep(Step step) noexcept {
  try {
    step();
  } catch (...) {
    ShowDefaultErrorBox(CurrentErrorMessage());
  }
  // The step has unwound: a close asked for meanwhile takes effect now.
  if (closeRequested_ && !session_.Running() && window_) ::PostMessageW(window_, kCloseNowMessage, 0, 0);
}

void TfrmSetupStart::ShowDefaultErrorBox(const std::wstring& message) noexcept {
  try {
    SetBusyCursor(false);
    ::MessageBoxW(window_, DefaultErrorBoxText(message).c_str(), kApplicationTitle, MB_OK | MB_ICONSTOP);
  } catch (...) {
    ::MessageBoxW(window_, L"", kApplicationTitle, MB_OK | MB_ICONSTOP);
  }
}

void TfrmSetupStart::OnUserEvent(UserEvent event) {
  // A transfer is being waited for: the event runs once it has ended, as if
  // it had waited in the queue.
  if (waits_ > 0) {
    if (std::find(heldEvents_.begin(), heldEvents_.end(), event) == heldEvents_.end()) heldEvents_.push_back(event);
    return;
  }
  if (closeRequested_) return;
  switch (event) {
    case UserEvent::DownloadClick:
      RunStep([this] { session_.btnDownloadClick(); });
      break;
    case UserEvent::LinkClick:
      RunStep([this] { session_.lblLinkClick(); });
      break;
  }
}

void TfrmSetupStart::PostUserEvent(UserEvent event) {
  ::PostMessageW(window_, kHeldEventMessage, static_cast<WPARAM>(event), 0);
}

void TfrmSetupStart::OnCloseRequest() {
  if (!session_.Running()) {
    ::DestroyWindow(window_);
    return;
  }
  // A step is running, perhaps waiting for a transfer: it is abandoned at
  // once and unwinds, and the window goes when it has.
  closeRequested_ = true;
  session_.Abandon();
}

TransferWait TfrmSetupStart::WaitForTransfer(HANDLE done, DWORD timeoutMs, const std::function<void()>& tick) {
  if (!shown_) {
    // Before the window is first shown there is nothing to serve.
    if (::WaitForSingleObject(done, timeoutMs) != WAIT_OBJECT_0) return TransferWait::TimedOut;
    tick();
    return TransferWait::Done;
  }
  ++waits_;
  const WaitEnd end = WaitServingWindows(done, timeoutMs, [this] { return closeRequested_; }, tick);
  --waits_;
  if (waits_ == 0 && window_) {
    for (const UserEvent event : std::exchange(heldEvents_, {})) PostUserEvent(event);
  }
  switch (end) {
    case WaitEnd::Done:
      return TransferWait::Done;
    case WaitEnd::TimedOut:
      return TransferWait::TimedOut;
    case WaitEnd::Stopped:
      break;
  }
  return TransferWait::Closed;
}

// ---------------------------------------------------------------- view

WindowlessControl& TfrmSetupStart::Find(Control id) {
  return controls_[static_cast<std::size_t>(id)];  // the table is in the enum's order
}

void TfrmSetupStart::Invalidate(const WindowlessControl& control) {
  if (!window_) return;
  // Self-sizing labels change their bounds with their caption.
  if (control.isLabel && control.autoSize) {
    ::InvalidateRect(window_, nullptr, FALSE);
    return;
  }
  const RECT r = control.isLabel ? LabelRect(control) : PixelRect(control.bounds, control.fillsClient);
  ::InvalidateRect(window_, &r, FALSE);
}

void TfrmSetupStart::SetCaption(const std::wstring& caption) { ::SetWindowTextW(window_, caption.c_str()); }

void TfrmSetupStart::SetBusyCursor(bool busy) {
  busyCursor_ = busy;
  ::SetCursor(::LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void TfrmSetupStart::SetLabel(Control id, const LabelState& state) {
  WindowlessControl& label = Find(id);
  const bool renamed = label.caption != state.caption, shownBefore = label.visible;
  Invalidate(label);
  label.caption = state.caption;
  label.visible = state.visible;
  Invalidate(label);
  if (label.visible != shownBefore) NotifyShown(id, label.visible);
  if (renamed) NotifyNameChange(id);  // "Download completato" is announced
}

void TfrmSetupStart::SetVisible(Control id, bool visible) {
  if (id == Control::ProgressBar1) {
    ::ShowWindow(ProgressBar1, visible ? SW_SHOW : SW_HIDE);
    // The taskbar button shows the bar while it is shown: a bar hidden
    // again is a download that succeeded.
    barShown_ = visible;
    if (visible)
      taskbar_->Normal(barPosition_);
    else
      taskbar_->Clear();
    return;
  }
  if (id == Control::btnDownload) {
    ::ShowWindow(btnDownload.Handle(), visible ? SW_SHOW : SW_HIDE);
    return;
  }
  WindowlessControl& control = Find(id);
  const bool shownBefore = control.visible;
  control.visible = visible;
  Invalidate(control);
  if (visible != shownBefore) NotifyShown(id, visible);
}

bool TfrmSetupStart::SetPicture(Control id, std::string_view bytes) {
  auto picture = Picture::Decode(bytes);
  if (!picture) return false;
  WindowlessControl& image = Find(id);
  image.picture = std::move(picture);
  image.rendered.reset();
  Invalidate(image);
  return true;
}

void TfrmSetupStart::ClearPicture(Control id) {
  WindowlessControl& image = Find(id);
  image.picture.reset();
  image.rendered.reset();
  Invalidate(image);
}

void TfrmSetupStart::SetProgress(int percent) {
  ::SendMessageW(ProgressBar1, PBM_SETPOS, percent, 0);
  barPosition_ = percent;
  if (barShown_) taskbar_->Normal(percent);  // a new attempt clears an earlier failure's red
}

void TfrmSetupStart::EnableButton(bool enabled) { ::EnableWindow(btnDownload.Handle(), enabled); }

void TfrmSetupStart::EnableTimer(bool enabled) {
  if (enabled)
    ::SetTimer(window_, kTimer1Id, kTimer1IntervalMs, nullptr);
  else
    ::KillTimer(window_, kTimer1Id);
}

void TfrmSetupStart::ShowAppMessage(BoxKind kind, const std::wstring& text) {
  // The error box with the bar shown is a failed download: red on the
  // taskbar until the next attempt.
  if (kind == BoxKind::Error && barShown_) taskbar_->Error();
  qf::ShowAppMessage(window_, text, kind, MB_OK);
}

void TfrmSetupStart::RepaintNow() { ::RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

void TfrmSetupStart::ProcessPendingMessages() { qf::ProcessPendingMessages(); }

// ---------------------------------------------------------------- layout and painting

void TfrmSetupStart::ApplyDpi(int dpi) {
  dpi_ = dpi;
  for (WindowlessControl& c : controls_)
    if (c.isLabel) c.font = MakeFont(c.fontPx, dpi, c.bold, c.underline);
  buttonFont_ = MakeFont(11, dpi, false, false);
  btnDownload.SetFont(buttonFont_.get());
  btnDownload.SetDpi(dpi);
  const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_STYLE));
  const RECT frame = WindowRectForClient(::MulDiv(800, dpi, 96), ::MulDiv(600, dpi, 96), style, dpi);
  ::SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  LayoutChildren();
  ::InvalidateRect(window_, nullptr, FALSE);
}

void TfrmSetupStart::LayoutChildren() {
  const RECT button = PixelRect(kButtonBounds, false);
  ::MoveWindow(btnDownload.Handle(), button.left, button.top, button.right - button.left, button.bottom - button.top,
               TRUE);
  const RECT bar = PixelRect(kProgressBarBounds, false);
  ::MoveWindow(ProgressBar1, bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top, TRUE);
}

RECT TfrmSetupStart::PixelRect(const DesignBounds& b, bool fillsClient) const {
  if (fillsClient) {
    RECT client;
    ::GetClientRect(window_, &client);
    return client;
  }
  const int left = ::MulDiv(b.left, dpi_, 96), top = ::MulDiv(b.top, dpi_, 96);
  return {left, top, left + ::MulDiv(b.width, dpi_, 96), top + ::MulDiv(b.height, dpi_, 96)};
}

RECT TfrmSetupStart::LabelRect(const WindowlessControl& label) const {
  RECT r = PixelRect(label.bounds, false);
  if (label.autoSize) {
    // Keeps its left and top edges and takes the size of its caption.
    WindowDc screen(window_);
    SelectGuard guard(screen.get(), label.font.get());
    SIZE size{0, 0};
    ::GetTextExtentPoint32W(screen.get(), label.caption.c_str(), static_cast<int>(label.caption.size()), &size);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(screen.get(), &metrics);
    r.right = r.left + size.cx;
    r.bottom = r.top + metrics.tmHeight;
  }
  return r;
}

void TfrmSetupStart::PaintLabel(HDC dc, const WindowlessControl& label) {
  RECT r = LabelRect(label);
  SelectGuard guard(dc, label.font.get());
  ::SetBkMode(dc, TRANSPARENT);  // with visual styles labels draw only their text
  ::SetTextColor(dc, label.colour);
  ::DrawTextW(dc, label.caption.c_str(), static_cast<int>(label.caption.size()), &r,
              DT_SINGLELINE | DT_NOPREFIX | DT_TOP | (label.centred ? DT_CENTER : DT_LEFT));
}

void TfrmSetupStart::PrerenderFirstPaint() {
  // The pictures the first paint shows are decoded and scaled beside the
  // start-up exchange instead of after it; the hidden ones wait until they
  // are drawn. The job owns what it works on.
  auto work = std::make_shared<std::vector<Prerendered>>();
  for (WindowlessControl& control : controls_) {
    if (!control.visible || !control.picture) continue;
    const RECT r = PixelRect(control.bounds, control.fillsClient);
    work->push_back({control.id, control.picture, {r.right - r.left, r.bottom - r.top}, {}});
  }
  auto glyph = ilBitmap_Toolbar_0;
  prerender_ = std::make_unique<BackgroundJob>([work, glyph] {
    for (Prerendered& item : *work) item.bitmap = item.picture->Render(item.size.cx, item.size.cy);
    if (glyph) glyph->Predecode();
  });
  prerendered_ = std::move(work);
}

void TfrmSetupStart::AdoptPrerendered() {
  if (!prerender_) return;
  ::WaitForSingleObject(prerender_->Done(), INFINITE);
  for (Prerendered& item : *prerendered_) {
    WindowlessControl& control = Find(item.id);
    // Taken only while it still fits: the picture may have been replaced,
    // or the window's DPI changed, meanwhile.
    if (control.picture == item.picture && !control.rendered && item.bitmap) {
      control.rendered = std::move(item.bitmap);
      control.renderedSize = item.size;
    }
  }
  prerender_.reset();
  prerendered_.reset();
}

bool TfrmSetupStart::EnsureRendered(WindowlessControl& image) {
  if (!image.picture) return false;
  const RECT r = PixelRect(image.bounds, image.fillsClient);
  const SIZE size{r.right - r.left, r.bottom - r.top};
  if (size.cx <= 0 || size.cy <= 0) return false;
  // Each picture is scaled once per size.
  if (!image.rendered || image.renderedSize.cx != size.cx || image.renderedSize.cy != size.cy) {
    image.rendered = image.picture->Render(size.cx, size.cy);
    image.renderedSize = size;
  }
  return static_cast<bool>(image.rendered);
}

void TfrmSetupStart::PaintImage(HDC dc, WindowlessControl& image) {
  if (!EnsureRendered(image)) return;
  const RECT r = PixelRect(image.bounds, image.fillsClient);
  const SIZE size{r.right - r.left, r.bottom - r.top};
  UniqueMemoryDc source(::CreateCompatibleDC(dc));
  SelectGuard guard(source.get(), image.rendered.get());
  // An opaque picture is a plain copy; blending costs far more per pixel.
  if (image.picture->Opaque()) {
    ::BitBlt(dc, r.left, r.top, size.cx, size.cy, source.get(), 0, 0, SRCCOPY);
    return;
  }
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ::GdiAlphaBlend(dc, r.left, r.top, size.cx, size.cy, source.get(), 0, 0, size.cx, size.cy, blend);
}

void TfrmSetupStart::Paint(HDC target) {
  RECT client;
  ::GetClientRect(window_, &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  UniqueMemoryDc dc(::CreateCompatibleDC(target));
  UniqueBitmap buffer(::CreateCompatibleBitmap(target, client.right, client.bottom));
  SelectGuard bufferGuard(dc.get(), buffer.get());
  ::FillRect(dc.get(), &client, ::GetSysColorBrush(COLOR_BTNFACE));
  AdoptPrerendered();
  for (WindowlessControl& control : controls_) {  // bottom first
    if (!control.visible) continue;
    if (control.isLabel)
      PaintLabel(dc.get(), control);
    else
      PaintImage(dc.get(), control);
  }
  ::BitBlt(target, 0, 0, client.right, client.bottom, dc.get(), 0, 0, SRCCOPY);
}

const WindowlessControl* TfrmSetupStart::HitTest(POINT p) {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {  // topmost first
    if (!it->visible) continue;
    const RECT r = it->isLabel ? LabelRect(*it) : PixelRect(it->bounds, it->fillsClient);
    if (::PtInRect(&r, p)) return &*it;
  }
  return nullptr;
}

// ---------------------------------------------------------------- messages

LRESULT CALLBACK TfrmSetupStart::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<TfrmSetupStart*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TfrmSetupStart*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    ::PostQuitMessage(0);
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  return GuardedMessage(
      window, message, wParam, lParam, [self](UINT m, WPARAM w, LPARAM l) { return self->OnMessage(m, w, l); },
      [self](const std::wstring& error) { self->ShowDefaultErrorBox(error); });
}

LRESULT TfrmSetupStart::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT object = 0; accessible_.OnMessage(window_, message, wParam, lParam, object)) return object;
  switch (message) {
    case WM_PAINT: {
      const PaintDc dc(window_);
      Paint(dc.get());
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the whole client area is painted from the buffer
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        ::SetFocus(btnDownload.Handle());
        ::PostMessageW(window_, kActivateMessage, 0, 0);
      }
      return 0;
    case kActivateMessage:
      if (!closeRequested_) RunStep([this] { session_.FormActivate(); });
      return 0;
    case kHeldEventMessage:
      OnUserEvent(static_cast<UserEvent>(wParam));
      return 0;
    case WM_TIMER:
      if (wParam == kTimer1Id && !closeRequested_) RunStep([this] { session_.Timer1Timer(); });
      return 0;
    case WM_LBUTTONUP: {
      const WindowlessControl* hit = HitTest({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (hit && hit->id == Control::lblLink) OnUserEvent(UserEvent::LinkClick);
      return 0;
    }
    case WM_SETCURSOR:
      if (busyCursor_) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == window_) {
        POINT p;
        ::GetCursorPos(&p);
        ::ScreenToClient(window_, &p);
        const WindowlessControl* hit = HitTest(p);
        ::SetCursor(::LoadCursorW(nullptr, hit && hit->id == Control::lblLink ? IDC_HAND : IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_DPICHANGED: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      ::SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      ApplyDpi(HIWORD(wParam));
      return 0;
    }
    case WM_CLOSE:
      OnCloseRequest();
      return 0;
    case kCloseNowMessage:
      if (!session_.Running()) ::DestroyWindow(window_);
      return 0;
  }
  return ::DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace qf
