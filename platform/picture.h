#pragma once
// Pictures decoded by GDI+ from bytes (PNG, JPEG, GIF, BMP, TIFF, EMF, WMF,
// recognised from the content) and rendered into premultiplied 32-bit
// bitmaps at the size they are shown, so that painting is a plain blend.
#include <windows.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>

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
  // Decodes and checks the whole picture; nothing when the bytes are not a
  // picture GDI+ can read, or it is too large.
  static std::shared_ptr<const Picture> Decode(std::string_view bytes);
  ~Picture();
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  unsigned Width() const { return width_; }
  unsigned Height() const { return height_; }
  // The picture stretched to width x height (its aspect ratio is not kept),
  // smoothly resampled, as a top-down premultiplied 32-bit DIB section.
  UniqueBitmap Render(int width, int height) const;

 private:
  Picture() = default;
  void* image_ = nullptr;  // GpImage*
  unsigned width_ = 0, height_ = 0;
};

}  // namespace qf
