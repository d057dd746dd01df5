// Landing replies from the wire to the settings values.
//
// The first byte picks the status (bits 2-3) and how the rest is delivered
// (bits 0-1): as is, as is but labelled gzip, gzip-compressed here and
// labelled gzip, or as is labelled "GZIP" (which is not inflated).
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "common/text.h"
#include "landing/ansi_codec.h"
#include "landing/reply_decoding.h"
#include "landing/settings_reader.h"
#include "profile/machine_profile.h"

namespace {

std::string Gzip(std::string_view data) {
  z_stream zs{};
  FUZZ_CHECK(deflateInit2(&zs, Z_BEST_SPEED, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK);
  std::string out(deflateBound(&zs, static_cast<uLong>(data.size())), '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  const int ret = deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  FUZZ_CHECK(ret == Z_STREAM_END);
  return out;
}

bool IsTrimmed(std::wstring_view text) { return qf::Trim(text) == text; }

bool HasLineBreakOrNul(std::wstring_view text) {
  return text.find_first_of(std::wstring_view(L"\r\n\0", 3)) != std::wstring_view::npos;
}

constexpr const wchar_t* kKeys[] = {
    L"Titolo",         L"Sottotitolo",    L"Testo1",         L"Link",         L"ImgMain_link", L"ImgSmall1_link",
    L"ImgSmall2_link", L"ImgSmall3_link", L"DownloadLink",   L"BuildSetup",   L"DataSetup",    L"DimensioneSetup_MB",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t mode = data[0];
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  static constexpr int kStatuses[] = {200, 204, 299, 404};
  const int status = kStatuses[(mode >> 2) & 3];
  const qf::Cp1252Codec codec;

  std::string body(rest);
  std::string_view encoding;
  switch (mode & 3) {
    case 0: encoding = ""; break;
    case 1: encoding = "gzip"; break;
    case 2: body = Gzip(rest); encoding = "gzip"; break;
    default: encoding = "GZIP"; break;
  }

  const std::wstring text = qf::LandingReplyText(status, body, encoding, codec);
  if (!qf::IsHttpSuccess(status)) FUZZ_CHECK(text.empty());
  FUZZ_CHECK(IsTrimmed(text));
  // Compressing changes nothing, and neither does an encoding that is not
  // exactly "gzip".
  if ((mode & 3) >= 2) FUZZ_CHECK(text == qf::LandingReplyText(status, rest, "", codec));
  if (text.empty()) return 0;

  const std::string ansi = codec.ToAnsi(text);
  qf::MemoryStream stream;
  qf::WriteAnsiToStream(stream, ansi);
  FUZZ_CHECK(stream.Size() == ansi.size());
  for (const wchar_t* key : kKeys) {
    const std::wstring value = qf::ReadIniValueFromStream(stream, qf::kSettingsSection, key, codec);
    FUZZ_CHECK(IsTrimmed(value));
    FUZZ_CHECK(!HasLineBreakOrNul(value));
    // A value is a piece of one line of the stream.
    FUZZ_CHECK(ansi.find(codec.ToAnsi(value)) != std::string::npos);
  }
  return 0;
}
