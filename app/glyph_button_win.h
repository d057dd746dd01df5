#pragma once
// The download button: a glossy face of two stacked vertical gradients per
// state, a glyph at the left with the caption beside it, and a latch: the
// first click leaves it checked for good. Keyboard: Space and Enter click it.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/gdi_objects.h"
#include "platform/picture.h"

namespace qf {

class GlyphButton {
 public:
  static void RegisterClass(HINSTANCE instance);
  // Creates the child window; onClick runs at every click.
  void Create(HWND parent, int id, const std::wstring& caption, std::function<void()> onClick);
  HWND Handle() const { return window_; }
  void SetGlyph(std::shared_ptr<const Picture> glyph) { glyph_ = std::move(glyph); glyphCache_.reset(); }
  void SetFont(HFONT font) { font_ = font; ::InvalidateRect(window_, nullptr, FALSE); }
  void SetDpi(int dpi) { dpi_ = dpi; glyphCache_.reset(); }
  bool Checked() const { return checked_; }

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM) noexcept;
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc);
  void Click();

  HWND window_ = nullptr;
  std::wstring caption_;
  std::function<void()> onClick_;
  std::shared_ptr<const Picture> glyph_;
  UniqueBitmap glyphCache_;
  HFONT font_ = nullptr;
  int dpi_ = 96;
  bool hot_ = false, pressed_ = false, checked_ = false, tracking_ = false;
};

}  // namespace qf
