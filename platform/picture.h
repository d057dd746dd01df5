#pragma once
// Pictures decoded by GDI+ from bytes (PNG, JPEG, GIF, BMP, TIFF, EMF, WMF,
// recognised from the content) into premultiplied 32-bit pixels, and scaled
// into bitmaps at the size they are shown, so that painting is a plain blend.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/gdi_objects.h"

namespace qf {

// A picture body larger than this is refused before decoding: the pictures
// are screen artwork, a few hundred kilobytes at most.
inline constexpr std::size_t kMaxPictureBytes = 16u * 1024u * 1024u;
// Pictures with more pixels than this are refused: decoding one holds four
// bytes per pixel, so the cap bounds a hostile picture to 64 MiB.
inline constexpr unsigned kMaxPicturePixels = 16u * 1024u * 1024u;
inline constexpr unsigned kMaxPictureSide = 16384;

// Starts GDI+ for the life of the object.
class GdiplusSession {
 public:
  GdiplusSession();
  ~GdiplusSession();
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;
  bool Ok() const { return token_ != 0; }

 private:
  ULONG_PTR token_ = 0;
};

class Picture {
 public:
  // Decodes and checks the whole picture now; nothing when the bytes are not
  // a picture GDI+ can read, or it is too large. For pictures from the
  // network: a broken one is refused here and never fails at paint.
  static std::shared_ptr<const Picture> Decode(std::string_view bytes);
  // Keeps the bytes and decodes them when the picture is first rendered: for
  // the program's own artwork, whose bytes live as long as the program and
  // whose hidden pictures then cost nothing.
  static std::shared_ptr<const Picture> DecodeWhenDrawn(std::string_view bytes);
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  // Decodes the picture now if that has not happened yet, on any thread: a
  // background job can do it before the picture is first drawn. Decoding
  // happens once; a thread that needs the picture meanwhile waits for it.
  void Predecode() const { DecodeNow(); }

  // Whether every pixel is fully opaque, so that drawing it is a plain copy
  // (decodes the picture if that has not happened yet).
  bool Opaque() const { return DecodeNow() && opaque_; }

  // The picture stretched to width x height (its aspect ratio is not kept),
  // scaled by area averaging, as a top-down premultiplied 32-bit DIB
  // section; nothing when it cannot be decoded.
  UniqueBitmap Render(int width, int height) const;

 private:
  Picture() = default;
  bool DecodeNow() const;

  mutable std::string_view bytes_;  // until decoded
  mutable INIT_ONCE decoded_ = INIT_ONCE_STATIC_INIT;
  mutable unsigned width_ = 0, height_ = 0;
  mutable std::vector<std::uint32_t> pixels_;  // premultiplied BGRA, rows packed
  mutable bool opaque_ = false;
};

}  // namespace qf
