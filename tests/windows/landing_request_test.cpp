// The landing request end to end against the loopback test server, and the
// settings reader with the machine's real code page and locale.
#include <gtest/gtest.h>

#include <chrono>

#include "landing/landing_request_win.h"
#include "landing/settings_reader.h"
#include "platform/system_ansi_codec.h"
#include "profile/system_profile_sources_win.h"
#include "tests/windows/http_test_support.h"

namespace qf {
namespace {

using test::RecordedRequests;
using test::Server;
using test::Token;

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out.push_back(digits[b >> 4]);
    out.push_back(digits[b & 15]);
  }
  return out;
}

std::wstring Post(const std::wstring& path) {
  std::vector<std::wstring> fields = {L"TR=1"};
  return PostLandingRequest(Server() + path, fields);
}

class LandingRequestTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(Server().empty()) << "run through tests/servers/run_with_server.py"; }
};

TEST_F(LandingRequestTest, TheRequestOnTheWire) {
  const std::wstring token = Token(L"wire");
  std::vector<std::wstring> fields = {L"a=AB12 x/y", L"b=C:\\Program Files\\x.exe", L"c=\xE8", L"k=a=b",
                                      L"d=1+1 50%~", L"no equals sign", L"=leading"};
  const std::wstring text = PostLandingRequest(Server() + L"/record/" + token, fields);
  EXPECT_EQ(text, L"[SETUP_DEPLOY_A]\r\nTitolo=Benvenuto");
  ASSERT_EQ(fields.size(), 9u);
  EXPECT_EQ(fields[7], L"HTTP_CALL_METHOD=NETHTTP");
  EXPECT_EQ(fields[8], L"param_tot_count=9");

  const auto requests = RecordedRequests(token);
  ASSERT_EQ(requests.size(), 1u);
  const auto& r = requests[0];
  // HTTP/1.0, so that no reply comes chunked (see the HTTP client).
  EXPECT_EQ(r.requestLine, "POST /record/" + std::string(token.begin(), token.end()) + " HTTP/1.0");
  const std::string body =
      "a=AB12+x%2Fy&b=C%3A%5CProgram+Files%5Cx.exe&c=%C3%A8&k=a%3Db&d=1%2B1+50%25%7E"
      "&HTTP_CALL_METHOD=NETHTTP&param_tot_count=9";
  EXPECT_EQ(r.body, body);
  EXPECT_EQ(r.Header("Content-Type"), "application/x-www-form-urlencoded; charset=utf-8");
  EXPECT_EQ(r.Header("ContentType"), "application/x-www-form-urlencoded");
  EXPECT_EQ(r.Header("User-Agent"), "Quarlo Fetchwell/1.0");
  EXPECT_EQ(r.Header("Content-Length"), std::to_string(body.size()));
  const std::wstring address = Server();
  EXPECT_EQ(r.Header("Host"), WideToAnsi(address.substr(7)));
  EXPECT_EQ(r.Header("Cookie"), "(absent)");
  EXPECT_EQ(r.Header("Accept-Encoding"), "(absent)") << "gzip comes only when the server chooses it";
  for (const auto& [name, value] : r.headers) std::printf("    %s: %s\n", name.c_str(), value.c_str());
}

TEST_F(LandingRequestTest, TheWholeProfileGoesOutAsTwentyThreeFields) {
  const std::wstring token = Token(L"profile");
  std::vector<std::wstring> fields;
  BuildMachineProfile(fields);
  ASSERT_EQ(fields.size(), 21u);
  EXPECT_FALSE(PostLandingRequest(Server() + L"/record/" + token, fields).empty());
  const auto requests = RecordedRequests(token);
  ASSERT_EQ(requests.size(), 1u);
  const std::string& body = requests[0].body;
  std::size_t pairs = 1;
  for (char c : body) pairs += c == '&';
  EXPECT_EQ(pairs, 23u);
  EXPECT_EQ(body.rfind("TR=1&pc=", 0), 0u);
  EXPECT_NE(body.find("&_destination_alias=SETUP_DEPLOY_A&HTTP_CALL_METHOD=NETHTTP&param_tot_count=23"),
            std::string::npos);
  EXPECT_EQ(body.back(), '3');
}

TEST_F(LandingRequestTest, ReplyBodiesAndTheTextTheyGive) {
  const struct { std::string bytes; const char* encoding; std::wstring text; } cases[] = {
      {"<html><BODY>\r\n[SETUP_DEPLOY_A]\r\nTitolo=Benvenuto\r\n</BODY></html>", nullptr,
       L"[SETUP_DEPLOY_A]\r\nTitolo=Benvenuto"},
      {"<bOdY>mixed</BoDy>", nullptr, L"mixed"},
      {"<BODY>Caff\xE8</BODY>", nullptr, L"Caff\xE8"},        // not UTF-8: the ANSI code page
      {"<BODY>Caff\xC3\xA8</BODY>", nullptr, L"Caff\xE8"},    // the same text in UTF-8
      {"\xEF\xBB\xBF<BODY>bom</BODY>", nullptr, L"bom"},
      {"<body class=\"x\">\r\n[SETUP_DEPLOY_A]\r\nTitolo=A\r\n</body>", nullptr, L"[SETUP_DEPLOY_A]\r\nTitolo=A"},
      {"<BODY>plain</BODY>", "deflate", L"plain"},            // other encodings pass as they are
      {"<BODY>no end", nullptr, L""},
      {"</BODY>reversed<BODY>", nullptr, L""},
      {"<BODY></BODY>", nullptr, L""},
      {"<BODY> \r\n\t </BODY>", nullptr, L""},
      {"no tags at all", nullptr, L""},
      {"", nullptr, L""},
  };
  for (const auto& c : cases) {
    std::wstring path = L"/bytes/" + Token(L"reply") + L"?hex=" + AnsiToWide(Hex(c.bytes));
    if (c.encoding) path += L"&enc=" + AnsiToWide(c.encoding);
    EXPECT_EQ(Post(path), c.text) << c.bytes;
  }
}

TEST_F(LandingRequestTest, GzipRepliesGoodBadAndOversized) {
  EXPECT_EQ(Post(L"/gzip/good/" + Token(L"gz")), L"[SETUP_DEPLOY_A]\r\nTitolo=Benvenuto");
  EXPECT_EQ(Post(L"/gzip/truncated/" + Token(L"gz")), L"");
  EXPECT_EQ(Post(L"/gzip/corrupt/" + Token(L"gz")), L"");
  EXPECT_EQ(Post(L"/gzip/bomb/" + Token(L"gz")), L"") << "inflates past the 1 MiB cap";
  EXPECT_EQ(Post(L"/gzip/upper/" + Token(L"gz")), L"") << "only the exact \"gzip\" is inflated";
}

TEST_F(LandingRequestTest, StatusesOutsideTwoHundredsAndOversizedBodiesGiveNothing) {
  EXPECT_EQ(Post(L"/status/404/" + Token(L"st")), L"");
  EXPECT_EQ(Post(L"/status/500/" + Token(L"st")), L"");
  EXPECT_EQ(Post(L"/status/204/" + Token(L"st")), L"");
  EXPECT_EQ(Post(L"/status/299/" + Token(L"st")), L"[SETUP_DEPLOY_A]\r\nTitolo=Benvenuto");
  EXPECT_EQ(Post(L"/big/" + std::to_wstring(1024 * 1024 + 1) + L"/" + Token(L"big")), L"") << "one byte past 1 MiB";
  EXPECT_EQ(Post(L"/redirect/303/3/" + Token(L"moved")), L"GET 0");
  EXPECT_EQ(Post(L"/redirect/307/6/" + Token(L"loop")), L"") << "a sixth redirect";
  std::vector<std::wstring> fields;
  EXPECT_EQ(PostLandingRequest(L"http://127.0.0.1:9/php/landing.php", fields), L"");
  EXPECT_EQ(fields.size(), 2u) << "the two lines are appended even when the post fails";
}

TEST_F(LandingRequestTest, CookiesLiveOnlyWithinOneCall) {
  EXPECT_EQ(Post(L"/cookie-set/" + Token(L"c")), L"cookie=qf=abc");
  EXPECT_EQ(Post(L"/cookie-check/" + Token(L"c")), L"cookie=none");
}

TEST_F(LandingRequestTest, AServerThatStaysSilentEndsAfterAboutTenSeconds) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Post(L"/silent/" + Token(L"silent")), L"");
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GT(seconds, 8.0);
  EXPECT_LT(seconds, 14.0);
}

TEST(SettingsReaderOnWindows, TheMachinesCodePageAndLocale) {
  const SystemAnsiCodec codec;
  ASSERT_EQ(::GetACP(), 1252u) << "the Wine prefix runs with the Western European code page";
  const std::wstring reply =
      L"[SETUP_DEPLOY_A]\r\ntitolo = Caff\xE8 e citt\xE0\r\nLINK=a?b=c\r\nTesto1=\x03A9mega \x20AC\r\n";
  MemoryStream stream;
  WriteAnsiToStream(stream, codec.ToAnsi(reply));
  EXPECT_EQ(ReadIniValueFromStream(stream, L"SETUP_DEPLOY_A", L"Titolo", codec), L"Caff\xE8 e citt\xE0");
  EXPECT_EQ(ReadIniValueFromStream(stream, L"SETUP_DEPLOY_A", L"Link", codec), L"a?b=c");
  const std::wstring testo = ReadIniValueFromStream(stream, L"SETUP_DEPLOY_A", L"Testo1", codec);
  EXPECT_EQ(testo.substr(1), L"mega \x20AC") << "the euro sign is in code page 1252";
  EXPECT_NE(testo[0], L'\x03A9') << "omega is not, and arrives as the code page's substitute";
  EXPECT_EQ(ReadIniValueFromStream(stream, L"SETUP_DEPLOY_A", L"Sottotitolo", codec), L"");
  EXPECT_EQ(stream.Position(), stream.Size());
}

}  // namespace
}  // namespace qf
