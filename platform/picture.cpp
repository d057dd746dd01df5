#include "platform/picture.h"

#include <objidl.h>
// gdiplus.h needs min and max, which NOMINMAX takes away.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "platform/com_ptr.h"
#include "platform/unique_handle.h"

namespace qf {

namespace gp = Gdiplus::DllExports;

namespace {

// A stream over a private copy of the bytes; GDI+ may read it again later.
ComPtr<IStream> StreamOver(std::string_view bytes) {
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!memory) return nullptr;
  if (void* target = ::GlobalLock(memory)) {
    std::copy(bytes.begin(), bytes.end(), static_cast<char*>(target));
    ::GlobalUnlock(memory);
  }
  IStream* stream = nullptr;
  if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    ::GlobalFree(memory);
    return nullptr;
  }
  return ComPtr<IStream>(stream);
}

struct GraphicsDeleter {
  void operator()(Gdiplus::GpGraphics* g) const { if (g) gp::GdipDeleteGraphics(g); }
};
struct ImageDeleter {
  void operator()(Gdiplus::GpImage* i) const { if (i) gp::GdipDisposeImage(i); }
};
using GraphicsPtr = std::unique_ptr<Gdiplus::GpGraphics, GraphicsDeleter>;
using ImagePtr = std::unique_ptr<Gdiplus::GpImage, ImageDeleter>;

// Draws image stretched over a 32-bit premultiplied buffer of width x height.
bool DrawInto(Gdiplus::GpImage* image, void* bits, int width, int height) {
  Gdiplus::GpBitmap* target = nullptr;
  if (gp::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppPARGB, static_cast<BYTE*>(bits),
                                    &target) != Gdiplus::Ok)
    return false;
  ImagePtr targetOwner(target);
  Gdiplus::GpGraphics* raw = nullptr;
  if (gp::GdipGetImageGraphicsContext(target, &raw) != Gdiplus::Ok) return false;
  GraphicsPtr graphics(raw);
  gp::GdipSetInterpolationMode(raw, Gdiplus::InterpolationModeHighQualityBicubic);
  gp::GdipSetPixelOffsetMode(raw, Gdiplus::PixelOffsetModeHalf);
  gp::GdipSetCompositingMode(raw, Gdiplus::CompositingModeSourceCopy);
  // Tiled edges keep the borders from fading when the picture is scaled.
  Gdiplus::GpImageAttributes* attributes = nullptr;
  gp::GdipCreateImageAttributes(&attributes);
  if (attributes) gp::GdipSetImageAttributesWrapMode(attributes, Gdiplus::WrapModeTileFlipXY, 0, FALSE);
  UINT w = 0, h = 0;
  gp::GdipGetImageWidth(image, &w);
  gp::GdipGetImageHeight(image, &h);
  const Gdiplus::GpStatus status = gp::GdipDrawImageRectRectI(raw, image, 0, 0, width, height, 0, 0,
                                                              static_cast<INT>(w), static_cast<INT>(h),
                                                              Gdiplus::UnitPixel, attributes, nullptr, nullptr);
  if (attributes) gp::GdipDisposeImageAttributes(attributes);
  return status == Gdiplus::Ok;
}

UniqueBitmap CreateTopDownDib(int width, int height, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return UniqueBitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0));
}

}  // namespace

GdiplusSession::GdiplusSession() {
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
}

GdiplusSession::~GdiplusSession() {
  if (token_) Gdiplus::GdiplusShutdown(token_);
}

std::shared_ptr<const Picture> Picture::Decode(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > kMaxPictureBytes) return nullptr;
  auto stream = StreamOver(bytes);
  if (!stream) return nullptr;
  Gdiplus::GpImage* raw = nullptr;
  if (gp::GdipLoadImageFromStream(stream.get(), &raw) != Gdiplus::Ok || !raw) return nullptr;
  ImagePtr image(raw);
  UINT width = 0, height = 0;
  if (gp::GdipGetImageWidth(raw, &width) != Gdiplus::Ok || gp::GdipGetImageHeight(raw, &height) != Gdiplus::Ok ||
      width == 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
      static_cast<unsigned long long>(width) * height > kMaxPicturePixels)
    return nullptr;
  // GDI+ decodes lazily: render once now, so that a picture whose header is
  // fine but whose data is broken is refused here and never fails at paint.
  void* bits = nullptr;
  UniqueBitmap probe = CreateTopDownDib(1, 1, &bits);
  if (!probe || !DrawInto(raw, bits, 1, 1)) return nullptr;
  std::shared_ptr<Picture> picture(new Picture());
  picture->image_ = image.release();
  picture->width_ = width;
  picture->height_ = height;
  return picture;
}

Picture::~Picture() {
  if (image_) gp::GdipDisposeImage(static_cast<Gdiplus::GpImage*>(image_));
}

UniqueBitmap Picture::Render(int width, int height) const {
  if (width <= 0 || height <= 0) return {};
  void* bits = nullptr;
  UniqueBitmap bitmap = CreateTopDownDib(width, height, &bits);
  if (!bitmap || !DrawInto(static_cast<Gdiplus::GpImage*>(image_), bits, width, height)) return {};
  ::GdiFlush();
  return bitmap;
}

}  // namespace qf
