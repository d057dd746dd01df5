#include "landing/reply_decoding.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

#include "common/text.h"
#include "common/utf.h"
#include "landing/html_body.h"

namespace qf {

namespace {

// An inflate stream that is always ended, whatever way the caller leaves.
class GzipInflater {
 public:
  GzipInflater() { ok_ = inflateInit2(&stream_, 16 + MAX_WBITS) == Z_OK; }
  ~GzipInflater() {
    if (ok_) inflateEnd(&stream_);
  }
  GzipInflater(const GzipInflater&) = delete;
  GzipInflater& operator=(const GzipInflater&) = delete;

  bool ok() const { return ok_; }
  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
  bool ok_ = false;
};

}  // namespace

std::optional<std::string> GunzipBounded(std::string_view compressed, std::size_t maxOutput) {
  GzipInflater inflater;
  if (!inflater.ok()) return std::nullopt;
  z_stream& zs = inflater.stream();

  // zlib counts in uInt; larger input is handed over in slices.
  constexpr std::size_t kMaxSlice = UINT_MAX;
  constexpr std::size_t kChunk = 64 * 1024;
  std::size_t fed = 0;
  std::string out;
  std::string buffer(kChunk, '\0');

  for (;;) {
    if (zs.avail_in == 0 && fed < compressed.size()) {
      const std::size_t slice = std::min(compressed.size() - fed, kMaxSlice);
      // zlib never writes through next_in; the cast only satisfies its API.
      zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data() + fed));
      zs.avail_in = static_cast<uInt>(slice);
      fed += slice;
    }
    zs.next_out = reinterpret_cast<Bytef*>(buffer.data());
    zs.avail_out = static_cast<uInt>(kChunk);
    const int ret = inflate(&zs, Z_NO_FLUSH);
    const std::size_t produced = kChunk - zs.avail_out;
    if (produced > maxOutput - out.size()) return std::nullopt;
    out.append(buffer.data(), produced);

    if (ret == Z_STREAM_END) return out;  // bytes after the first member are ignored
    // Z_OK means progress was made. Anything else ends the attempt: input is
    // refilled above before it runs dry, so Z_BUF_ERROR means the data ended
    // before the stream did (truncated); the rest is corrupt data, a
    // dictionary request or no memory.
    if (ret != Z_OK) return std::nullopt;
  }
}

std::optional<std::wstring> DecodeReplyBody(std::string_view body, std::string_view contentEncoding,
                                            const AnsiCodec& codec) {
  if (body.size() > kMaxLandingReplyBytes) return std::nullopt;
  if (body.empty()) return std::wstring();

  std::string inflated;
  std::string_view bytes = body;
  // Only the exact token is inflated; anything else is taken as it arrived.
  if (contentEncoding == "gzip") {
    auto result = GunzipBounded(body, kMaxLandingReplyBytes);
    if (!result) return std::nullopt;
    inflated = std::move(*result);
    bytes = inflated;
    if (bytes.empty()) return std::wstring();
  }

  if (auto text = DecodeUtf8Strict(bytes)) return text;
  std::wstring text = codec.ToWide(bytes);
  if (text.empty()) return std::nullopt;
  return text;
}

std::wstring LandingReplyText(int status, std::string_view body, std::string_view contentEncoding,
                              const AnsiCodec& codec) {
  if (!IsHttpSuccess(status)) return L"";
  const auto text = DecodeReplyBody(body, contentEncoding, codec);
  if (!text) return L"";
  return ExtractHtmlBody(*text);
}

}  // namespace qf
