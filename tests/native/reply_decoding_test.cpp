#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>

#include "landing/ansi_codec.h"
#include "landing/reply_decoding.h"

namespace qf {
namespace {

// One gzip member of data, made with zlib's own deflater.
std::string Gzip(std::string_view data, int level = Z_BEST_COMPRESSION) {
  z_stream zs{};
  if (deflateInit2(&zs, level, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    ADD_FAILURE() << "deflateInit2 failed";
    return {};
  }
  std::string out(deflateBound(&zs, static_cast<uLong>(data.size())), '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  const int ret = deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  if (ret != Z_STREAM_END) ADD_FAILURE() << "deflate did not finish: " << ret;
  return out;
}

// Text that compresses poorly, so inflating it takes many output chunks.
std::string NoisyText(std::size_t size) {
  std::string out(size, '\0');
  std::uint32_t state = 12345;
  for (char& c : out) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>('!' + (state >> 16) % 90);
  }
  return out;
}

// A code page that can decode nothing, to see when the fallback is asked.
class NothingCodec final : public AnsiCodec {
 public:
  std::wstring ToWide(std::string_view) const override { return L""; }
  std::string ToAnsi(std::wstring_view) const override { return ""; }
  bool SameKey(std::wstring_view, std::wstring_view) const override { return false; }
};

const std::string kPage =
    "<html><head><title>Quarlo</title></head><body>\r\n[SETUP_DEPLOY_A]\r\nTitolo=Benvenuto\r\n</body></html>";
const std::wstring kPageBody = L"[SETUP_DEPLOY_A]\r\nTitolo=Benvenuto";

TEST(Gunzip, RoundTripsWhatDeflateMade) {
  const std::string inputs[] = {"", "a", kPage, std::string(200000, 'z'), NoisyText(300000)};
  for (const auto& input : inputs) {
    const auto inflated = GunzipBounded(Gzip(input), input.size());
    ASSERT_TRUE(inflated.has_value()) << "input of " << input.size() << " bytes";
    EXPECT_EQ(*inflated, input);
  }
}

TEST(Gunzip, OutputCapIsInclusive) {
  const std::string input = NoisyText(64 * 1024 * 2 + 1);  // ends just past a chunk boundary
  const std::string gz = Gzip(input);
  EXPECT_TRUE(GunzipBounded(gz, input.size()).has_value());
  EXPECT_FALSE(GunzipBounded(gz, input.size() - 1).has_value());
  EXPECT_FALSE(GunzipBounded(Gzip("x"), 0).has_value());
  EXPECT_TRUE(GunzipBounded(Gzip(""), 0).has_value());
}

TEST(Gunzip, BombPastTheCapFails) {
  const std::string gz = Gzip(std::string(8 * 1024 * 1024, '\0'));
  ASSERT_LT(gz.size(), 64u * 1024u);  // small on the wire
  EXPECT_FALSE(GunzipBounded(gz, 64 * 1024).has_value());
  EXPECT_FALSE(GunzipBounded(gz, 8 * 1024 * 1024 - 1).has_value());
}

TEST(Gunzip, TruncatedStreamsFail) {
  for (const std::string& input : {kPage, NoisyText(100000)}) {
    const std::string gz = Gzip(input);
    for (std::size_t cut : {1u, 2u, 4u, 7u, 8u, 9u, 20u}) {
      EXPECT_FALSE(GunzipBounded(std::string_view(gz).substr(0, gz.size() - cut), input.size() + 16).has_value())
          << "cut " << cut << " of " << gz.size();
    }
    EXPECT_FALSE(GunzipBounded(std::string_view(gz).substr(0, 10), input.size()).has_value()) << "header only";
  }
}

TEST(Gunzip, CorruptOrForeignDataFails) {
  const std::string gz = Gzip(kPage);
  // Magic, method, a byte of the deflate data, the CRC and the length.
  for (std::size_t at : {std::size_t{0}, std::size_t{1}, std::size_t{2}, gz.size() / 2, gz.size() - 8,
                         gz.size() - 1}) {
    std::string bad = gz;
    bad[at] = static_cast<char>(bad[at] ^ 0x5A);
    EXPECT_FALSE(GunzipBounded(bad, 1 << 20).has_value()) << "byte " << at << " of " << gz.size();
  }
  std::string zlibWrapped(compressBound(kPage.size()), '\0');
  uLongf zlibSize = zlibWrapped.size();
  ASSERT_EQ(compress(reinterpret_cast<Bytef*>(zlibWrapped.data()), &zlibSize,
                     reinterpret_cast<const Bytef*>(kPage.data()), kPage.size()),
            Z_OK);
  zlibWrapped.resize(zlibSize);
  for (const std::string& foreign : {std::string(), kPage, zlibWrapped, std::string("\x1F\x8B")}) {
    EXPECT_FALSE(GunzipBounded(foreign, 1 << 20).has_value()) << "input of " << foreign.size() << " bytes";
  }
}

TEST(Gunzip, BytesAfterTheFirstMemberAreIgnored) {
  const auto inflated = GunzipBounded(Gzip("first") + Gzip("second") + "junk", 100);
  ASSERT_TRUE(inflated.has_value());
  EXPECT_EQ(*inflated, "first");
}

TEST(ReplyBody, Utf8FirstThenTheAnsiCodePage) {
  const Cp1252Codec codec;
  struct Case { const char* what; std::string body; std::wstring text; } cases[] = {
      {"empty", "", L""},
      {"ASCII", "Titolo=Benvenuto", L"Titolo=Benvenuto"},
      {"UTF-8 e grave", "perch\xC3\xA8 s\xC3\xAC", L"perch\xE8 s\xEC"},
      {"lone E8 byte among ASCII", "perch\xE8 no", L"perch\xE8 no"},
      {"cp1252 euro and quotes", "\x80 \x93x\x94", L"\x20AC \x201Cx\x201D"},
      {"UTF-8 BOM kept", "\xEF\xBB\xBF<body>x</body>", L"\xFEFF<body>x</body>"},
      {"BOM bytes broken: ANSI", "\xEF\xBB<b>", L"\xEF\xBB<b>"},
      {"overlong UTF-8 falls back", "\xC0\xAF", L"\xC0\xAF"},
  };
  for (const auto& c : cases) {
    const auto text = DecodeReplyBody(c.body, "", codec);
    ASSERT_TRUE(text.has_value()) << c.what;
    EXPECT_EQ(*text, c.text) << c.what;
  }
}

TEST(ReplyBody, FailsWhenNeitherDecodingWorks) {
  const NothingCodec nothing;
  EXPECT_EQ(DecodeReplyBody("perch\xC3\xA8", "", nothing), std::optional<std::wstring>(L"perch\xE8"));
  EXPECT_EQ(DecodeReplyBody("perch\xE8", "", nothing), std::nullopt);
  EXPECT_EQ(DecodeReplyBody("", "", nothing), std::optional<std::wstring>(L""));
  EXPECT_EQ(LandingReplyText(200, "<body>perch\xE8</body>", "", nothing), L"");
}

TEST(ReplyBody, InflatesOnlyForTheExactGzipToken) {
  const Cp1252Codec codec;
  const std::string gz = Gzip(kPage);
  const auto inflated = DecodeReplyBody(gz, "gzip", codec);
  ASSERT_TRUE(inflated.has_value());
  EXPECT_EQ(*inflated, std::wstring(kPage.begin(), kPage.end()));

  // Other tokens are taken as they arrived: the compressed bytes are not
  // UTF-8 (0x8B is a stray continuation byte), so the code page decodes them
  // one byte per character and no body tags come out.
  for (const char* other : {"GZIP", "Gzip", "x-gzip", " gzip", "deflate", "br", ""}) {
    const auto raw = DecodeReplyBody(gz, other, codec);
    ASSERT_TRUE(raw.has_value()) << other;
    EXPECT_EQ(*raw, codec.ToWide(gz)) << other;
    EXPECT_EQ(LandingReplyText(200, gz, other, codec), L"") << other;
  }
  // A plain page labelled with another encoding is read as it is.
  EXPECT_EQ(LandingReplyText(200, kPage, "deflate", codec), kPageBody);
  EXPECT_EQ(LandingReplyText(200, kPage, "GZIP", codec), kPageBody);
  // ...but a plain page labelled gzip cannot be inflated.
  EXPECT_EQ(DecodeReplyBody(kPage, "gzip", codec), std::nullopt);
}

TEST(ReplyBody, GzipOfEachEncoding) {
  const Cp1252Codec codec;
  EXPECT_EQ(DecodeReplyBody(Gzip("perch\xC3\xA8"), "gzip", codec), std::optional<std::wstring>(L"perch\xE8"));
  EXPECT_EQ(DecodeReplyBody(Gzip("perch\xE8"), "gzip", codec), std::optional<std::wstring>(L"perch\xE8"));
  EXPECT_EQ(DecodeReplyBody(Gzip(""), "gzip", codec), std::optional<std::wstring>(L""));
  EXPECT_EQ(DecodeReplyBody("", "gzip", codec), std::optional<std::wstring>(L""));
  const std::string gz = Gzip(kPage);
  EXPECT_EQ(DecodeReplyBody(std::string_view(gz).substr(0, gz.size() - 3), "gzip", codec), std::nullopt);
}

TEST(ReplyBody, OversizedRepliesAreRefused) {
  const Cp1252Codec codec;
  // 17 MiB of zeros is about 17 KB compressed but inflates past the limit.
  const std::string bomb = Gzip(std::string(17u * 1024u * 1024u, '\0'));
  ASSERT_LT(bomb.size(), 64u * 1024u);
  EXPECT_EQ(DecodeReplyBody(bomb, "gzip", codec), std::nullopt);
  EXPECT_EQ(LandingReplyText(200, bomb, "gzip", codec), L"");

  std::string big = "<body>x</body>";
  big.resize(kMaxLandingReplyBytes, ' ');
  const auto atLimit = DecodeReplyBody(big, "", codec);
  ASSERT_TRUE(atLimit.has_value());
  EXPECT_EQ(atLimit->size(), kMaxLandingReplyBytes);
  big.push_back(' ');
  EXPECT_EQ(DecodeReplyBody(big, "", codec), std::nullopt);
  EXPECT_EQ(LandingReplyText(200, big, "", codec), L"");
}

TEST(LandingReply, OnlySuccessfulStatusesAreRead) {
  const Cp1252Codec codec;
  struct Case { int status; bool read; } cases[] = {
      {200, true}, {201, true}, {204, true}, {299, true},  {0, false},   {-200, false},
      {199, false}, {300, false}, {302, false}, {404, false}, {500, false}, {503, false},
  };
  const std::string gz = Gzip(kPage);
  for (const auto& c : cases) {
    const std::wstring expected = c.read ? kPageBody : L"";
    EXPECT_EQ(LandingReplyText(c.status, kPage, "", codec), expected) << c.status;
    EXPECT_EQ(LandingReplyText(c.status, gz, "gzip", codec), expected) << c.status;
  }
}

TEST(LandingReply, BodyOfDecodedText) {
  const Cp1252Codec codec;
  struct Case { const char* what; std::string body; std::wstring text; } cases[] = {
      {"BOM before the page is outside the body", "\xEF\xBB\xBF<body> a </body>", L"a"},
      {"ANSI page", "<BODY>Titolo=Perch\xE8</BODY>", L"Titolo=Perch\xE8"},
      {"UTF-8 page", "<BODY>Titolo=Perch\xC3\xA8</BODY>", L"Titolo=Perch\xE8"},
      {"no body", "[SETUP_DEPLOY_A]\nTitolo=x", L""},
      {"empty", "", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(LandingReplyText(200, c.body, "", codec), c.text) << c.what;
  EXPECT_EQ(LandingReplyText(200, Gzip(cases[0].body), "gzip", codec), L"a");
  std::string corrupt = Gzip(kPage);
  corrupt[corrupt.size() - 6] = static_cast<char>(corrupt[corrupt.size() - 6] ^ 1);
  EXPECT_EQ(LandingReplyText(200, corrupt, "gzip", codec), L"");
}

}  // namespace
}  // namespace qf
