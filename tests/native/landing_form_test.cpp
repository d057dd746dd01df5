#include <gtest/gtest.h>

#include "landing/form_encoding.h"
#include "profile/machine_profile.h"

namespace qf {
namespace {

// Profile-like lines and what goes on the wire for each.
TEST(FormBody, EachLineBecomesOneEncodedPair) {
  struct Case { std::wstring line; std::string sent; } cases[] = {
      {L"a=AB12 x/y", "a=AB12+x%2Fy"},
      {L"b=C:\\Program Files\\x.exe", "b=C%3A%5CProgram+Files%5Cx.exe"},
      {L"c=\xE8", "c=%C3%A8"},
      {L"k=a=b", "k=a%3Db"},  // only the first "=" separates name and value
      {L"d=1+1 50%~", "d=1%2B1+50%25%7E"},
      {L"HTTP_CALL_METHOD=NETHTTP", "HTTP_CALL_METHOD=NETHTTP"},
      {L"e=", "e="},
      {L"my name=x", "my+name=x"},  // the name is encoded like the value
      {L"f==", "f=%3D"},
      {L"CPU=Intel(R) Core(TM) i5", "CPU=Intel%28R%29+Core%28TM%29+i5"},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeFormBody({c.line}), c.sent) << c.sent;
}

TEST(FormBody, SkipsLinesWithoutNameAndJoinsTheRestInOrder) {
  struct Case { std::vector<std::wstring> lines; std::string body; } cases[] = {
      {{}, ""},
      {{L"novalue", L"=orphan", L"="}, ""},  // nothing usable: no stray "&"
      {{L"a=1", L"b=2", L"c=3"}, "a=1&b=2&c=3"},
      {{L"=x", L"a=1", L"junk", L"b=2", L"=y"}, "a=1&b=2"},
      {{L"", L"a=1", L""}, "a=1"},
      {{L"z=1", L"a=2"}, "z=1&a=2"},  // list order, not sorted
      {{L"a=1", L"a=2"}, "a=1&a=2"},  // repeated names are all sent
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeFormBody(c.lines), c.body) << c.body;
}

// Independent vectors following the WHATWG URL standard's
// application/x-www-form-urlencoded serializer with UTF-8 output.
TEST(FormUrlEncode, MatchesTheWhatwgSerializer) {
  struct Case { std::wstring text; std::string encoded; } cases[] = {
      {L"", ""},
      {L"abcXYZ019", "abcXYZ019"},
      {L"*-._", "*-._"},
      {L" ", "+"},
      {L"~", "%7E"},
      {L"!", "%21"},
      {L"'", "%27"},
      {L"(", "%28"},
      {L")", "%29"},
      {L"+", "%2B"},
      {L"&", "%26"},
      {L"=", "%3D"},
      {L"%", "%25"},
      {L"/?#[]@", "%2F%3F%23%5B%5D%40"},
      {L"\n", "%0A"},
      {L"\r\n", "%0D%0A"},
      {L"\t", "%09"},
      {L"\x7F", "%7F"},
      {std::wstring(1, L'\0'), "%00"},
      {L"\xA0", "%C2%A0"},
      {L"\xFE", "%C3%BE"},  // hex letters are upper case
      {L"\x1B", "%1B"},
      {L"\x20AC", "%E2%82%AC"},
      {L"\xFFFD", "%EF%BF%BD"},
      {std::wstring{wchar_t(0xD800)}, "%EF%BF%BD"},                 // lone high surrogate
      {std::wstring{wchar_t(0xDC00), L'a'}, "%EF%BF%BDa"},          // lone low surrogate
      {std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}, "%F0%9F%98%80"},  // U+1F600
      {std::wstring{wchar_t(0xD83D), wchar_t(0xDCA9)}, "%F0%9F%92%A9"},  // U+1F4A9
      {L"a b+c", "a+b%2Bc"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormUrlEncode(c.text), c.encoded) << c.encoded;
}

TEST(LandingLines, AppendsMethodThenTotalCountIncludingItself) {
  struct Case { std::size_t before; std::wstring countLine; } cases[] = {
      {0, L"param_tot_count=2"},
      {1, L"param_tot_count=3"},
      {kProfileLineCount, L"param_tot_count=23"},
      {7, L"param_tot_count=9"},
      {8, L"param_tot_count=10"},  // two digits
      {98, L"param_tot_count=100"},
  };
  for (const auto& c : cases) {
    std::vector<std::wstring> fields;
    for (std::size_t i = 0; i < c.before; ++i) fields.push_back(L"K" + std::to_wstring(i) + L"=v");
    const auto original = fields;
    AppendLandingLines(fields);
    ASSERT_EQ(fields.size(), c.before + 2);
    EXPECT_TRUE(std::equal(original.begin(), original.end(), fields.begin())) << "earlier lines changed";
    EXPECT_EQ(fields[c.before], L"HTTP_CALL_METHOD=NETHTTP");
    EXPECT_EQ(fields[c.before + 1], c.countLine);
  }
}

TEST(LandingLines, BodyOfAProfileEndsWithTheTwoAddedPairs) {
  std::vector<std::wstring> fields = {L"TR=1", L"PC=PC-ROSSI", L"OS=Windows 10", L"junk"};
  AppendLandingLines(fields);
  EXPECT_EQ(EncodeFormBody(fields), "TR=1&PC=PC-ROSSI&OS=Windows+10&HTTP_CALL_METHOD=NETHTTP&param_tot_count=6");
}

}  // namespace
}  // namespace qf
