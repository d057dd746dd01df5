#pragma once
// TfrmSetupStart: the download window. Labels and pictures have no window of
// their own: they are painted in design order into one off-screen buffer and
// take clicks by hit-testing, topmost first. The button and the progress bar
// are real child windows above them.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/glyph_button_win.h"
#include "app/window_rules.h"
#include "common/sha256.h"
#include "platform/gdi_objects.h"
#include "platform/http_client.h"
#include "platform/picture.h"

namespace qf {

// A registered message that asks the window for its info bar text: wParam is
// the window that receives the text as WM_COPYDATA (dwData
// kInfoBarQueryMessageId). The reply is 1 when the info bar is visible.
inline constexpr wchar_t kInfoBarQueryMessage[] = L"QuarloFetchwell.InfoBarText";
inline constexpr ULONG_PTR kInfoBarQueryMessageId = 0x51424946;

struct DesignBounds {
  int left, top, width, height;  // client pixels at 96 DPI
};

struct TImage {
  DesignBounds bounds;
  bool fillsClient = false;
  bool visible = true;
  std::shared_ptr<const Picture> picture;  // null: shows nothing
  UniqueBitmap rendered;                   // the picture at its current size
  SIZE renderedSize{0, 0};
};

struct TLabel {
  DesignBounds bounds;
  LabelState state;
  int fontPx = 13;
  bool bold = false, underline = false, centred = false, autoSize = false, handCursor = false;
  COLORREF colour = RGB(0, 0, 0);
  UniqueFont font;
};

class TfrmSetupStart {
 public:
  TfrmSetupStart();
  ~TfrmSetupStart();
  // Creates the window, runs FormCreate and shows it.
  // publisher: the build's installer publisher pin (a SHA-256 thumbprint),
  // or empty to start installers without that check.
  bool Create(HINSTANCE instance, const std::wstring& landingAddress, const std::wstring& publisher);
  HWND Handle() const { return window_; }

  // Fetches a picture and shows it in the control; never reports a failure.
  void LoadRemotePicture(TImage& control, const std::wstring& address);

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  void FormCreate();
  void FormActivate();
  void Timer1Timer();
  void lblLinkClick();
  void btnDownloadClick();
  bool DownloadSetupToFile(const std::wstring& path);
  void LaunchInstaller(const std::wstring& path);
  // Starts the installer at the path, when the publisher pin allows it;
  // false (and the file removed) when the pin refuses it.
  bool LaunchIfTrusted(const std::wstring& path);
  void myHTTPReceiveData(std::int64_t total, std::int64_t read, bool& abort);

  // Runs a handler; an error that escapes it is shown in the default error box.
  template <typename Handler>
  void Guarded(Handler handler);

  void ApplyDpi(int dpi);
  void LayoutChildren();
  RECT PixelRect(const DesignBounds& bounds, bool fillsClient) const;
  RECT LabelRect(TLabel& label) const;
  void Paint(HDC dc);
  void PaintLabel(HDC dc, TLabel& label);
  void PaintImage(HDC dc, TImage& image);
  // The topmost visible windowless control under a client point.
  const void* HitTest(POINT p);
  void SetAppCursor(bool busy);
  void ApplyTexts();
  void SetInfoBar(const std::wstring& caption);
  void SetProgress(int percent);

  // The download's paths, computed again at every click.
  std::wstring K_GLOBAL_DIR_LOCALE_TEMP, sDownloadFilePathTemp;

  static constexpr UINT_PTR kTimer1Id = 1;

  HWND window_ = nullptr;
  std::wstring landingAddress_;
  bool publisherPinned_ = false;
  std::optional<Sha256Digest> publisherPin_;  // empty when pinned: nothing matches
  int dpi_ = 96;
  int tag_ = 0;  // once-only flag of the first activation
  bool busyCursor_ = false;

  // The controls, in design order.
  TImage Image_Main, ImageMod1;
  GlyphButton btnDownload;
  std::shared_ptr<const Picture> ilBitmap_Toolbar_0;
  TLabel lblTitolo, lblSottoTitolo, lblTesto1, lblLink;
  TImage ImageMod2, ImageMod3;
  HWND ProgressBar1 = nullptr;
  int progress_ = 30;  // the bar's position, as the design sets it
  TLabel lblInfoBar;
  TImage Image_Main_EP, Image_Main_PREM;

  std::unique_ptr<HttpClient> myHTTP;  // the installer download's client, cookies kept for the window's life

  WindowTexts texts_;  // the window's text fields and the settings' label values
  UniqueFont formFont_, buttonFont_;
};

}  // namespace qf
