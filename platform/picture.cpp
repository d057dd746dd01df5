#include "platform/picture.h"

#include <objidl.h>
// gdiplus.h needs min and max, which NOMINMAX takes away.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "common/area_resample.h"
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

// Decodes the bytes into premultiplied 32-bit pixels: bitmaps through
// GDI+'s own conversion, metafiles by drawing them at their size.
bool DecodePixels(std::string_view bytes, unsigned& width, unsigned& height, std::vector<std::uint32_t>& pixels) {
  if (bytes.empty() || bytes.size() > kMaxPictureBytes) return false;
  auto stream = StreamOver(bytes);
  if (!stream) return false;
  Gdiplus::GpImage* raw = nullptr;
  if (gp::GdipLoadImageFromStream(stream.get(), &raw) != Gdiplus::Ok || !raw) return false;
  ImagePtr image(raw);
  UINT w = 0, h = 0;
  if (gp::GdipGetImageWidth(raw, &w) != Gdiplus::Ok || gp::GdipGetImageHeight(raw, &h) != Gdiplus::Ok || w == 0 ||
      h == 0 || w > kMaxPictureSide || h > kMaxPictureSide ||
      static_cast<unsigned long long>(w) * h > kMaxPicturePixels)
    return false;
  pixels.assign(static_cast<std::size_t>(w) * h, 0);
  Gdiplus::ImageType type = Gdiplus::ImageTypeUnknown;
  gp::GdipGetImageType(raw, &type);
  if (type == Gdiplus::ImageTypeBitmap) {
    // Lock bits decodes the whole picture: broken data fails here.
    Gdiplus::BitmapData data{};
    data.Width = w;
    data.Height = h;
    data.Stride = static_cast<INT>(w * 4);
    data.PixelFormat = PixelFormat32bppPARGB;
    data.Scan0 = pixels.data();
    const Gdiplus::GpRect all{0, 0, static_cast<INT>(w), static_cast<INT>(h)};
    auto* bitmap = static_cast<Gdiplus::GpBitmap*>(raw);
    if (gp::GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                               PixelFormat32bppPARGB, &data) != Gdiplus::Ok)
      return false;
    gp::GdipBitmapUnlockBits(bitmap, &data);
  } else {
    Gdiplus::GpBitmap* target = nullptr;
    if (gp::GdipCreateBitmapFromScan0(static_cast<INT>(w), static_cast<INT>(h), static_cast<INT>(w * 4),
                                      PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(pixels.data()),
                                      &target) != Gdiplus::Ok)
      return false;
    ImagePtr targetOwner(target);
    Gdiplus::GpGraphics* context = nullptr;
    if (gp::GdipGetImageGraphicsContext(target, &context) != Gdiplus::Ok) return false;
    GraphicsPtr graphics(context);
    if (gp::GdipDrawImageRectI(context, raw, 0, 0, static_cast<INT>(w), static_cast<INT>(h)) != Gdiplus::Ok)
      return false;
  }
  width = w;
  height = h;
  return true;
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
  std::shared_ptr<Picture> picture(new Picture());
  picture->bytes_ = bytes;
  if (!picture->DecodeNow()) return nullptr;
  return picture;
}

std::shared_ptr<const Picture> Picture::DecodeWhenDrawn(std::string_view bytes) {
  std::shared_ptr<Picture> picture(new Picture());
  picture->bytes_ = bytes;
  return picture;
}

bool Picture::DecodeNow() const {
  const auto decode = [](INIT_ONCE*, void* parameter, void**) -> BOOL {
    const auto* self = static_cast<const Picture*>(parameter);
    try {
      if (!DecodePixels(self->bytes_, self->width_, self->height_, self->pixels_)) self->width_ = self->height_ = 0;
    } catch (...) {
      self->width_ = self->height_ = 0;  // out of memory: nothing to draw
    }
    if (self->width_ == 0) self->pixels_ = {};
    self->opaque_ = self->width_ > 0;
    for (const std::uint32_t pixel : self->pixels_) {
      if ((pixel >> 24) != 0xFF) {
        self->opaque_ = false;
        break;
      }
    }
    self->bytes_ = {};  // not ours to keep: Decode's caller may free them
    return TRUE;
  };
  ::InitOnceExecuteOnce(&decoded_, decode, const_cast<Picture*>(this), nullptr);
  return width_ > 0;
}

UniqueBitmap Picture::Render(int width, int height) const {
  if (width <= 0 || height <= 0 || !DecodeNow()) return {};
  void* bits = nullptr;
  UniqueBitmap bitmap = CreateTopDownDib(width, height, &bits);
  if (!bitmap) return {};
  ResampleByArea(pixels_.data(), static_cast<int>(width_), static_cast<int>(height_), static_cast<std::uint32_t*>(bits),
                 width, height);
  return bitmap;
}

}  // namespace qf
