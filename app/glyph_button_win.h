#pragma once
// The download button: a glossy face of two stacked vertical gradients per
// state, a glyph at the left with the caption beside it, and a latch: the
// first click leaves it checked for good. Keyboard: Space and Enter click it.
// Screen readers see a push button by its caption, unavailable while
// disabled and pressed once latched.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/accessible_object.h"
#include "platform/gdi_objects.h"
#include "platform/picture.h"

namespace qf {

class GlyphButton final : private AccessibleSource {
 public:
  static void RegisterClass(HINSTANCE instance);
  // Creates the child window; onClick runs at every click.
  void Create(HWND parent, int id, const std::wstring& caption, std::function<void()> onClick);
  HWND Handle() const { return window_; }
  void SetGlyph(std::shared_ptr<const Picture> glyph) { glyph_ = std::move(glyph); glyphCache_.reset(); }
  void SetFont(HFONT font) { font_ = font; ::InvalidateRect(window_, nullptr, FALSE); }
  void SetDpi(int dpi) { dpi_ = dpi; glyphCache_.reset(); }
  bool Checked() const { return checked_; }
  // What screen readers are told about the button now.
  AccessibleFacts Facts() { return AccessibleFactsOf(0); }
  // Clicks it once the queue gets there, as the user's own click would;
  // false while it is disabled or hidden.
  bool PressLater();

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM) noexcept;
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc);
  void Click();
  void NotifyStateChange();

  // AccessibleSource: the button alone, without children.
  long AccessibleChildCount() override { return 0; }
  AccessibleFacts AccessibleFactsOf(long child) override;
  long AccessibleChildAt(POINT screen) override;
  bool AccessibleDefaultAction(long child) override;

  HWND window_ = nullptr;
  std::wstring caption_;
  std::function<void()> onClick_;
  std::shared_ptr<const Picture> glyph_;
  UniqueBitmap glyphCache_;
  HFONT font_ = nullptr;
  int dpi_ = 96;
  bool hot_ = false, pressed_ = false, checked_ = false, tracking_ = false;
  AccessibleHost accessible_{*this};
};

}  // namespace qf
