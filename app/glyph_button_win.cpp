#include "app/glyph_button_win.h"

#include <oleacc.h>
#include <windowsx.h>

#include <algorithm>

#include "app/window_proc_guard_win.h"
#include "app/window_rules.h"

namespace qf {

namespace {

const wchar_t kClassName[] = L"QuarloGlyphButton";

struct FaceColours {
  COLORREF upperFrom, upperTo, lowerFrom, lowerTo, border;
};
constexpr FaceColours kNormal{RGB(0xF1, 0xF3, 0xF3), RGB(0xF3, 0xF5, 0xF5), RGB(0xE7, 0xEA, 0xEE),
                              RGB(0xF6, 0xF7, 0xF8), RGB(0xC9, 0xCA, 0xCC)};
constexpr FaceColours kHot{RGB(0xFF, 0xFD, 0xEB), RGB(0xFF, 0xEC, 0xAC), RGB(0xFF, 0xDA, 0x59),
                           RGB(0xFF, 0xE9, 0xA4), RGB(0xDB, 0xCE, 0x99)};
constexpr FaceColours kDown{RGB(0xF1, 0xAF, 0x76), RGB(0xF3, 0x90, 0x41), RGB(0xF1, 0x72, 0x0E),
                            RGB(0xFD, 0x9F, 0x4C), RGB(0x7B, 0x66, 0x45)};
constexpr FaceColours kChecked{RGB(0xFB, 0xDB, 0xB5), RGB(0xFE, 0xC7, 0x78), RGB(0xFD, 0xEB, 0x9F),
                               RGB(0xFE, 0xB4, 0x56), RGB(0x7B, 0x66, 0x45)};
constexpr FaceColours kDisabled{RGB(0xF2, 0xF2, 0xF2), RGB(0xF2, 0xF2, 0xF2), RGB(0xB6, 0xB6, 0xB6),
                                RGB(0xF2, 0xF2, 0xF2), RGB(0xC9, 0xCA, 0xCC)};

void VerticalGradient(HDC dc, const RECT& r, COLORREF from, COLORREF to) {
  TRIVERTEX v[2] = {};
  v[0].x = r.left;
  v[0].y = r.top;
  v[0].Red = static_cast<COLOR16>(GetRValue(from) << 8);
  v[0].Green = static_cast<COLOR16>(GetGValue(from) << 8);
  v[0].Blue = static_cast<COLOR16>(GetBValue(from) << 8);
  v[1].x = r.right;
  v[1].y = r.bottom;
  v[1].Red = static_cast<COLOR16>(GetRValue(to) << 8);
  v[1].Green = static_cast<COLOR16>(GetGValue(to) << 8);
  v[1].Blue = static_cast<COLOR16>(GetBValue(to) << 8);
  GRADIENT_RECT rect{0, 1};
  ::GdiGradientFill(dc, v, 2, &rect, 1, GRADIENT_FILL_RECT_V);
}

}  // namespace

void GlyphButton::RegisterClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  ::RegisterClassExW(&wc);
}

void GlyphButton::Create(HWND parent, int id, const std::wstring& caption, std::function<void()> onClick) {
  caption_ = caption;
  onClick_ = std::move(onClick);
  window_ = ::CreateWindowExW(0, kClassName, caption.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE)), this);
}

LRESULT CALLBACK GlyphButton::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<GlyphButton*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<GlyphButton*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
  return GuardedMessage(
      window, message, wParam, lParam, [self](UINT m, WPARAM w, LPARAM l) { return self->Handle(m, w, l); },
      [window](const std::wstring& error) {
        ::MessageBoxW(::GetParent(window), DefaultErrorBoxText(error).c_str(), kApplicationTitle,
                      MB_OK | MB_ICONSTOP);
      });
}

void GlyphButton::Click() {
  // Input queued before the button was disabled presses nothing.
  if (!::IsWindowEnabled(window_)) return;
  const bool latching = !checked_;
  checked_ = true;  // its group allows no button up: the first click latches it
  ::InvalidateRect(window_, nullptr, FALSE);
  if (latching) NotifyStateChange();
  if (onClick_) onClick_();
}

void GlyphButton::NotifyStateChange() { NotifyAccessibleEvent(EVENT_OBJECT_STATECHANGE, window_, CHILDID_SELF); }

AccessibleFacts GlyphButton::AccessibleFactsOf(long) {
  AccessibleFacts facts;
  facts.role = ROLE_SYSTEM_PUSHBUTTON;
  facts.name = caption_;
  const bool enabled = ::IsWindowEnabled(window_) != FALSE;
  facts.state = enabled ? STATE_SYSTEM_FOCUSABLE : STATE_SYSTEM_UNAVAILABLE;
  if (::GetFocus() == window_) facts.state |= STATE_SYSTEM_FOCUSED;
  if (pressed_ || checked_) facts.state |= STATE_SYSTEM_PRESSED;
  if (hot_) facts.state |= STATE_SYSTEM_HOTTRACKED;
  if (!::IsWindowVisible(window_)) facts.state |= STATE_SYSTEM_INVISIBLE;
  if (enabled) facts.defaultAction = L"Premi";  // as Italian Windows names a button's action
  ::GetWindowRect(window_, &facts.screen);
  return facts;
}

long GlyphButton::AccessibleChildAt(POINT screen) {
  RECT r;
  ::GetWindowRect(window_, &r);
  return ::PtInRect(&r, screen) ? CHILDID_SELF : -1;
}

bool GlyphButton::PressLater() {
  if (!::IsWindowEnabled(window_) || !::IsWindowVisible(window_)) return false;
  return ::PostMessageW(window_, BM_CLICK, 0, 0) != FALSE;
}

bool GlyphButton::AccessibleDefaultAction(long) { return PressLater(); }

LRESULT GlyphButton::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT object = 0; accessible_.OnMessage(window_, message, wParam, lParam, object)) return object;
  switch (message) {
    case WM_PAINT: {
      const PaintDc dc(window_);
      Paint(dc.get());
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_ENABLE:
      if (!wParam) pressed_ = hot_ = false;
      ::InvalidateRect(window_, nullptr, FALSE);
      NotifyStateChange();
      return 0;
    case WM_MOUSEMOVE:
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
        tracking_ = ::TrackMouseEvent(&track) != FALSE;
      }
      if (!hot_) {
        hot_ = true;
        ::InvalidateRect(window_, nullptr, FALSE);
      }
      return 0;
    case WM_MOUSELEAVE:
      tracking_ = false;
      hot_ = false;
      ::InvalidateRect(window_, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
      pressed_ = true;
      ::SetCapture(window_);
      ::SetFocus(window_);
      ::InvalidateRect(window_, nullptr, FALSE);
      if (!checked_) NotifyStateChange();
      return 0;
    case WM_LBUTTONUP: {
      const bool wasPressed = pressed_;
      pressed_ = false;
      ::ReleaseCapture();
      RECT r;
      ::GetClientRect(window_, &r);
      const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ::InvalidateRect(window_, nullptr, FALSE);
      if (wasPressed && ::PtInRect(&r, p)) Click();
      return 0;
    }
    case WM_GETDLGCODE: {
      // Enter reaches the button itself rather than the dialog manager,
      // which would turn it into a command for the default button that
      // this window does not have.
      const MSG* key = reinterpret_cast<const MSG*>(lParam);
      const bool enter = key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN;
      return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON | (enter ? DLGC_WANTMESSAGE : 0);
    }
    case WM_KEYDOWN:
      if (wParam == VK_SPACE || wParam == VK_RETURN) {
        Click();
        return 0;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      ::InvalidateRect(window_, nullptr, FALSE);
      return 0;
    case BM_CLICK:
      Click();
      return 0;
    case BM_GETCHECK:
      return checked_ ? BST_CHECKED : BST_UNCHECKED;
    case BM_GETSTATE:
      return (checked_ ? BST_CHECKED : 0) | (pressed_ ? BST_PUSHED : 0) |
             (::GetFocus() == window_ ? BST_FOCUS : 0);
  }
  return ::DefWindowProcW(window_, message, wParam, lParam);
}

void GlyphButton::Paint(HDC target) {
  RECT r;
  ::GetClientRect(window_, &r);
  const int width = r.right, height = r.bottom;
  if (width <= 0 || height <= 0) return;
  // Painted off-screen first, so that the face never flickers.
  UniqueMemoryDc dc(::CreateCompatibleDC(target));
  UniqueBitmap buffer(::CreateCompatibleBitmap(target, width, height));
  SelectGuard bufferGuard(dc.get(), buffer.get());

  const bool enabled = ::IsWindowEnabled(window_) != FALSE;
  const FaceColours& c = !enabled ? kDisabled : pressed_ ? kDown : checked_ ? kChecked : hot_ ? kHot : kNormal;
  const RECT upper{0, 0, width, height / 2};
  const RECT lower{0, height / 2, width, height};
  VerticalGradient(dc.get(), upper, c.upperFrom, c.upperTo);
  VerticalGradient(dc.get(), lower, c.lowerFrom, c.lowerTo);
  UniquePen pen(::CreatePen(PS_SOLID, 1, c.border));
  {
    SelectGuard penGuard(dc.get(), pen.get());
    SelectGuard brushGuard(dc.get(), ::GetStockObject(NULL_BRUSH));
    ::Rectangle(dc.get(), 0, 0, width, height);
  }

  // Glyph at the left with the caption beside it, the pair centred on the
  // face as far as the caption allows; a caption too long is cut with "...".
  SelectGuard fontGuard(dc.get(), font_ ? static_cast<HGDIOBJ>(font_) : ::GetStockObject(DEFAULT_GUI_FONT));
  const int margin = ::MulDiv(4, dpi_, 96);
  const int spacing = ::MulDiv(4, dpi_, 96);
  const int glyphSide = glyph_ ? std::max(0, std::min(::MulDiv(32, dpi_, 96), height - ::MulDiv(8, dpi_, 96))) : 0;
  RECT measure{0, 0, 0, 0};
  ::DrawTextW(dc.get(), caption_.c_str(), static_cast<int>(caption_.size()), &measure,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  const int glyphPart = glyphSide > 0 ? glyphSide + spacing : 0;
  const int content = glyphPart + static_cast<int>(measure.right);
  const int left = std::max(margin, (width - content) / 2);
  if (glyphSide > 0) {
    if (!glyphCache_) glyphCache_ = glyph_->Render(glyphSide, glyphSide);
    if (glyphCache_) {
      UniqueMemoryDc glyphDc(::CreateCompatibleDC(target));
      SelectGuard glyphGuard(glyphDc.get(), glyphCache_.get());
      BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(enabled ? 255 : 110), AC_SRC_ALPHA};
      ::GdiAlphaBlend(dc.get(), left, (height - glyphSide) / 2, glyphSide, glyphSide, glyphDc.get(), 0, 0,
                      glyphSide, glyphSide, blend);
    }
  }
  ::SetBkMode(dc.get(), TRANSPARENT);
  ::SetTextColor(dc.get(), enabled ? ::GetSysColor(COLOR_WINDOWTEXT) : ::GetSysColor(COLOR_GRAYTEXT));
  RECT text{left + glyphPart, 0, width - margin, height};
  ::DrawTextW(dc.get(), caption_.c_str(), static_cast<int>(caption_.size()), &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (::GetFocus() == window_) {
    RECT focus{2, 2, width - 2, height - 2};
    ::DrawFocusRect(dc.get(), &focus);
  }
  ::BitBlt(target, 0, 0, width, height, dc.get(), 0, 0, SRCCOPY);
}

}  // namespace qf
