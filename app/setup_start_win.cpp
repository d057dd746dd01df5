#include "app/setup_start_win.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include "app/artwork_win.h"
#include "app/message_pump_win.h"
#include "common/app_error.h"
#include "common/text.h"
#include "landing/landing_request_win.h"
#include "landing/settings_reader.h"
#include "platform/system_ansi_codec.h"
#include "platform/text_conversion.h"
#include "profile/system_profile_sources_win.h"

namespace qf {

namespace {

const wchar_t kFormClass[] = L"TfrmSetupStart";
constexpr UINT kActivateMessage = WM_APP + 1;  // first activation, after the pending paint

constexpr UINT kTimer1IntervalMs = 3000;
constexpr int kDownloadButtonId = 88;
constexpr int kProgressBarId = 89;
const wchar_t kBrowserUserAgent[] = L"Mozilla/5.0 (Windows NT 10.0; Win64; x64; rv:109.0) Gecko/20100101 Firefox/112.0";

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

TImage MakeImage(DesignBounds bounds, bool fillsClient, bool visible) {
  TImage image;
  image.bounds = bounds;
  image.fillsClient = fillsClient;
  image.visible = visible;
  return image;
}

}  // namespace

TfrmSetupStart::TfrmSetupStart() {
  // Design order. Bounds are client pixels at 96 DPI.
  Image_Main = MakeImage({0, 0, 800, 600}, true, false);
  ImageMod1 = MakeImage({0, 384, 800, 145}, false, true);
  lblTitolo.bounds = {536, 92, 146, 21};
  lblTitolo.state = texts_.titolo;
  lblTitolo.fontPx = 17;
  lblTitolo.bold = true;
  lblTitolo.autoSize = true;
  lblTitolo.colour = RGB(0xFA, 0xB3, 0x42);
  lblSottoTitolo.bounds = {536, 123, 115, 16};
  lblSottoTitolo.state = texts_.sottoTitolo;
  lblSottoTitolo.autoSize = true;
  lblSottoTitolo.colour = RGB(0x80, 0x80, 0x80);
  lblTesto1.bounds = {432, 291, 350, 46};
  lblTesto1.state = texts_.testo1;
  lblTesto1.centred = true;
  lblTesto1.colour = RGB(0x80, 0x80, 0x80);
  lblLink.bounds = {448, 354, 334, 16};
  lblLink.state = texts_.link;
  lblLink.centred = true;
  lblLink.underline = true;
  lblLink.handCursor = true;
  lblLink.colour = RGB(0x00, 0x00, 0xFF);
  ImageMod2 = MakeImage({0, 384, 800, 145}, false, false);
  ImageMod3 = MakeImage({0, 384, 800, 145}, false, false);
  lblInfoBar.bounds = {147, 539, 438, 16};
  lblInfoBar.state = {std::wstring(24, L' '), true};
  lblInfoBar.centred = true;
  lblInfoBar.colour = RGB(0x35, 0x35, 0x35);
  Image_Main_EP = MakeImage({0, 0, 800, 600}, true, false);
  Image_Main_PREM = MakeImage({0, 0, 800, 600}, true, true);
}

TfrmSetupStart::~TfrmSetupStart() {
  if (window_) ::DestroyWindow(window_);
}

bool TfrmSetupStart::Create(HINSTANCE instance, const std::wstring& landingAddress, const std::wstring& publisher) {
  landingAddress_ = landingAddress;
  publisherPinned_ = !publisher.empty();
  publisherPin_ = ParseThumbprint(publisher);
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

  Image_Main.picture = LoadArtwork(kArtBackgroundMain);
  Image_Main_EP.picture = LoadArtwork(kArtBackgroundEp);
  Image_Main_PREM.picture = LoadArtwork(kArtBackgroundPrem);
  ImageMod1.picture = LoadArtwork(kArtBanner1);
  ImageMod2.picture = LoadArtwork(kArtBanner2);
  ImageMod3.picture = LoadArtwork(kArtBanner3);
  ilBitmap_Toolbar_0 = LoadArtwork(kArtGlyphDownload);

  // Single fixed border: no sizing frame and no maximise button.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  window_ = ::CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_APPWINDOW, kFormClass, kCaptionReady, style, CW_USEDEFAULT,
                              CW_USEDEFAULT, 800, 600, nullptr, nullptr, instance, this);
  if (!window_) return false;

  btnDownload.Create(window_, kDownloadButtonId, L"Scarica il programma", [this] { Guarded([this] { btnDownloadClick(); }); });
  btnDownload.SetGlyph(ilBitmap_Toolbar_0);
  ProgressBar1 = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD, 0, 0, 0, 0, window_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kProgressBarId)), instance, nullptr);
  ::SendMessageW(ProgressBar1, PBM_SETRANGE32, 0, 100);
  ::SendMessageW(ProgressBar1, PBM_SETPOS, progress_, 0);
  ::SendMessageW(ProgressBar1, PBM_SETBARCOLOR, 0, RGB(0xFF, 0xFF, 0x00));
  ::SendMessageW(ProgressBar1, PBM_SETBKCOLOR, 0, RGB(0xFF, 0x00, 0x00));

  HttpClientSettings http;
  http.userAgent = kBrowserUserAgent;
  myHTTP = std::make_unique<HttpClient>(http);
  myHTTP->SetProgressHandler([this](std::int64_t total, std::int64_t read) {
    bool abort = false;
    myHTTPReceiveData(total, read, abort);
  });

  ApplyDpi(DpiForWindow(window_));
  // Centred on the primary screen, never left of or above its top-left corner.
  RECT frame;
  ::GetWindowRect(window_, &frame);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  const int x = std::max(0, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  const int y = std::max(0, (::GetSystemMetrics(SM_CYSCREEN) - height) / 2);
  ::SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (DpiForWindow(window_) != dpi_) ApplyDpi(DpiForWindow(window_));

  Guarded([this] { FormCreate(); });
  ::ShowWindow(window_, SW_SHOWDEFAULT);
  ::UpdateWindow(window_);
  return true;
}

template <typename Handler>
void TfrmSetupStart::Guarded(Handler handler) {
  std::wstring message;
  try {
    handler();
    return;
  } catch (const AppError& error) {
    message = error.Message();
  } catch (const std::exception& error) {
    message = AnsiToWide(error.what());
  }
  SetAppCursor(false);
  ::MessageBoxW(window_, DefaultErrorBoxText(message).c_str(), kApplicationTitle, MB_OK | MB_ICONSTOP);
}

void TfrmSetupStart::SetAppCursor(bool busy) {
  busyCursor_ = busy;
  ::SetCursor(::LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void TfrmSetupStart::FormCreate() {
  texts_.sImgMainLink.clear();
  texts_.sImg1Link.clear();
  texts_.sImg2Link.clear();
  texts_.sImg3Link.clear();
  texts_.sDownloadSetupLink.clear();
  SetAppCursor(true);
  ::SetWindowTextW(window_, kCaptionWaiting);

  std::wstring reply;
  {
    std::vector<std::wstring> profile;
    BuildMachineProfile(profile);
    reply = PostLandingRequest(landingAddress_, profile);
  }
  if (Trim(reply).empty()) {
    SetAppCursor(false);
    return;
  }
  const SystemAnsiCodec codec;
  {
    MemoryStream stream;
    WriteAnsiToStream(stream, codec.ToAnsi(reply));
    ApplyDeploymentSettings(texts_, [&](const wchar_t* key) {
      return ReadIniValueFromStream(stream, kSettingsSection, key, codec);
    });
  }
  ApplyTexts();
  if (!texts_.sImgMainLink.empty()) LoadRemotePicture(Image_Main, texts_.sImgMainLink);
  SetAppCursor(false);
}

void TfrmSetupStart::ApplyTexts() {
  lblTitolo.state = texts_.titolo;
  lblSottoTitolo.state = texts_.sottoTitolo;
  lblTesto1.state = texts_.testo1;
  lblLink.state = texts_.link;
  ::InvalidateRect(window_, nullptr, FALSE);
}

void TfrmSetupStart::FormActivate() {
  if (tag_ != 0) return;
  ::RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  tag_ = 1;
  TImage* banners[] = {&ImageMod1, &ImageMod2, &ImageMod3};
  const std::wstring* links[] = {&texts_.sImg1Link, &texts_.sImg2Link, &texts_.sImg3Link};
  for (int i = 0; i < 3; ++i)
    if (!links[i]->empty()) LoadRemotePicture(*banners[i], *links[i]);
  ::SetWindowTextW(window_, kCaptionReady);
  ::SetTimer(window_, kTimer1Id, kTimer1IntervalMs, nullptr);
}

void TfrmSetupStart::Timer1Timer() {
  const BannerStrip next = NextBannerTick({ImageMod1.visible, ImageMod2.visible, ImageMod3.visible});
  ImageMod1.visible = next.first;
  ImageMod2.visible = next.second;
  ImageMod3.visible = next.third;
  ::InvalidateRect(window_, nullptr, FALSE);
}

void TfrmSetupStart::LoadRemotePicture(TImage& control, const std::wstring& address) {
  HttpClientSettings settings;
  settings.userAgent = kBrowserUserAgent;
  HttpClient client(settings);
  MemorySink body(kMaxPictureBytes);
  const HttpReply reply = client.Get(address, body);
  if (!reply.Ok() || !IsHttpSuccess(reply.status)) return;
  if (body.Data().empty()) {
    control.picture.reset();  // an empty picture: the control shows nothing
  } else {
    auto picture = Picture::Decode(body.Data());
    if (!picture) return;  // not a picture we can show: the earlier one stays
    control.picture = std::move(picture);
  }
  control.rendered.reset();
  ::InvalidateRect(window_, nullptr, FALSE);
}

void TfrmSetupStart::lblLinkClick() {
  const std::wstring address = lblLink.state.caption;
  SetAppCursor(true);
  ProcessPendingMessages();
  if (!address.empty())
    ::ShellExecuteW(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
  ProcessPendingMessages();
  SetAppCursor(false);
}

void TfrmSetupStart::ApplyDpi(int dpi) {
  dpi_ = dpi;
  for (TLabel* label : {&lblTitolo, &lblSottoTitolo, &lblTesto1, &lblLink, &lblInfoBar})
    label->font = MakeFont(label->fontPx, dpi, label->bold, label->underline);
  formFont_ = MakeFont(11, dpi, false, false);
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
  const RECT button = PixelRect({606, 553, 163, 32}, false);
  ::MoveWindow(btnDownload.Handle(), button.left, button.top, button.right - button.left, button.bottom - button.top,
               TRUE);
  const RECT bar = PixelRect({147, 561, 438, 19}, false);
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

RECT TfrmSetupStart::LabelRect(TLabel& label) const {
  RECT r = PixelRect(label.bounds, false);
  if (label.autoSize) {
    // Keeps its left and top edges and takes the size of its caption.
    WindowDc screen(window_);
    SelectGuard guard(screen.get(), label.font.get());
    SIZE size{0, 0};
    ::GetTextExtentPoint32W(screen.get(), label.state.caption.c_str(), static_cast<int>(label.state.caption.size()),
                            &size);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(screen.get(), &metrics);
    r.right = r.left + size.cx;
    r.bottom = r.top + metrics.tmHeight;
  }
  return r;
}

void TfrmSetupStart::PaintLabel(HDC dc, TLabel& label) {
  if (!label.state.visible) return;
  RECT r = LabelRect(label);
  SelectGuard guard(dc, label.font.get());
  ::SetBkMode(dc, TRANSPARENT);  // with visual styles labels draw only their text
  ::SetTextColor(dc, label.colour);
  ::DrawTextW(dc, label.state.caption.c_str(), static_cast<int>(label.state.caption.size()), &r,
              DT_SINGLELINE | DT_NOPREFIX | DT_TOP | (label.centred ? DT_CENTER : DT_LEFT));
}

void TfrmSetupStart::PaintImage(HDC dc, TImage& image) {
  if (!image.visible || !image.picture) return;
  const RECT r = PixelRect(image.bounds, image.fillsClient);
  const SIZE size{r.right - r.left, r.bottom - r.top};
  if (size.cx <= 0 || size.cy <= 0) return;
  if (!image.rendered || image.renderedSize.cx != size.cx || image.renderedSize.cy != size.cy) {
    image.rendered = image.picture->Render(size.cx, size.cy);
    image.renderedSize = size;
  }
  if (!image.rendered) return;
  UniqueMemoryDc source(::CreateCompatibleDC(dc));
  SelectGuard guard(source.get(), image.rendered.get());
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
  // Bottom first, in design order.
  PaintLabel(dc.get(), lblTesto1);
  PaintLabel(dc.get(), lblLink);
  PaintLabel(dc.get(), lblSottoTitolo);
  PaintLabel(dc.get(), lblTitolo);
  PaintImage(dc.get(), Image_Main_EP);
  PaintImage(dc.get(), Image_Main_PREM);
  PaintImage(dc.get(), Image_Main);
  PaintImage(dc.get(), ImageMod1);
  PaintImage(dc.get(), ImageMod2);
  PaintImage(dc.get(), ImageMod3);
  PaintLabel(dc.get(), lblInfoBar);
  ::BitBlt(target, 0, 0, client.right, client.bottom, dc.get(), 0, 0, SRCCOPY);
}

const void* TfrmSetupStart::HitTest(POINT p) {
  auto inImage = [&](const TImage& i) {
    const RECT r = PixelRect(i.bounds, i.fillsClient);
    return i.visible && ::PtInRect(&r, p);
  };
  auto inLabel = [&](TLabel& l) {
    const RECT r = LabelRect(l);
    return l.state.visible && ::PtInRect(&r, p);
  };
  // Topmost first: the reverse of the painting order.
  if (inLabel(lblInfoBar)) return &lblInfoBar;
  for (const TImage* image : {&ImageMod3, &ImageMod2, &ImageMod1, &Image_Main, &Image_Main_PREM, &Image_Main_EP})
    if (inImage(*image)) return image;
  for (TLabel* label : {&lblTitolo, &lblSottoTitolo, &lblLink, &lblTesto1})
    if (inLabel(*label)) return label;
  return nullptr;
}

LRESULT CALLBACK TfrmSetupStart::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<TfrmSetupStart*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TfrmSetupStart*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY && self) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    ::PostQuitMessage(0);
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  return self ? self->Handle(message, wParam, lParam) : ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT TfrmSetupStart::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  // The info bar has no window of its own, so its text cannot be read the
  // usual way: on request it is sent to the asking window as WM_COPYDATA.
  static const UINT infoBarQuery = ::RegisterWindowMessageW(kInfoBarQueryMessage);
  if (message == infoBarQuery && infoBarQuery != 0) {
    HWND asker = reinterpret_cast<HWND>(wParam);
    if (!::IsWindow(asker)) return 0;
    const std::wstring& text = lblInfoBar.state.caption;
    COPYDATASTRUCT data{kInfoBarQueryMessageId, static_cast<DWORD>(text.size() * sizeof(wchar_t)),
                        const_cast<wchar_t*>(text.data())};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(asker, WM_COPYDATA, reinterpret_cast<WPARAM>(window_), reinterpret_cast<LPARAM>(&data),
                          SMTO_ABORTIFHUNG, 2000, &ignored);
    return lblInfoBar.state.visible ? 1 : 2;
  }
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
      Guarded([this] { FormActivate(); });
      return 0;
    case WM_TIMER:
      if (wParam == kTimer1Id) Guarded([this] { Timer1Timer(); });
      return 0;
    case WM_LBUTTONUP:
      if (HitTest({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) == &lblLink) Guarded([this] { lblLinkClick(); });
      return 0;
    case WM_SETCURSOR:
      if (busyCursor_) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == window_) {
        POINT p;
        ::GetCursorPos(&p);
        ::ScreenToClient(window_, &p);
        ::SetCursor(::LoadCursorW(nullptr, HitTest(p) == &lblLink ? IDC_HAND : IDC_ARROW));
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
      ::DestroyWindow(window_);
      return 0;
  }
  return ::DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace qf
