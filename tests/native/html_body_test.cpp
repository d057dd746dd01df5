#include <gtest/gtest.h>

#include "landing/html_body.h"

namespace qf {
namespace {

struct BodyCase {
  const char* what;
  std::wstring html;
  std::wstring body;
};

void ExpectBodies(const std::vector<BodyCase>& cases) {
  for (const auto& c : cases) EXPECT_EQ(ExtractHtmlBody(c.html), c.body) << c.what;
}

TEST(HtmlBody, ExactTagsInAnyAsciiCase) {
  ExpectBodies({
      {"upper case", L"<HTML><BODY>text</BODY></HTML>", L"text"},
      {"lower case", L"<html><body>text</body></html>", L"text"},
      {"mixed case, different on each tag", L"<Body>text</bODY>", L"text"},
      {"trimmed both ends", L"<body>\r\n  [S]\r\nA=1\r\n\t</body>", L"[S]\r\nA=1"},
      {"inner case untouched", L"<body>MiXeD \xE8 text</body>", L"MiXeD \xE8 text"},
      {"first pair only", L"<body>one</body><body>two</body>", L"one"},
      {"second opening inside is text", L"<body>a<body>b</body>", L"a<body>b"},
      {"text around ignored", L"head<body>mid</body>tail", L"mid"},
      {"control bytes trimmed, DEL kept", L"<body>\x01\x1F x \x7F</body>", L"x \x7F"},
  });
}

TEST(HtmlBody, MissingReversedOrEmptyGiveNothing) {
  ExpectBodies({
      {"empty text", L"", L""},
      {"no tags", L"[SETUP_DEPLOY_A]\nTitolo=x", L""},
      {"closing missing", L"<body>text", L""},
      {"opening missing", L"text</body>", L""},
      {"closing before opening", L"</body>text<body>", L""},
      {"first closing before opening, second after", L"</body><body>text</body>", L""},
      {"adjacent", L"<body></body>", L""},
      {"only blanks between", L"<body> \t\r\n </body>", L""},
      {"only control characters between", std::wstring(L"<body>\0\x10\x20</body>", 16), L""},
  });
}

TEST(HtmlBody, OnlyAsciiLettersAreFolded) {
  ExpectBodies({
      // U+0131 dotless i and U+212A Kelvin sign fold to I and K in full
      // Unicode case mapping; tags written with them are not tags.
      {"dotless i", L"<BOD\x0131>x</BODY>", L""},
      {"kelvin-like letter", L"<BODY>x</BOD\x212A>", L""},
      {"blank inside tag", L"< BODY>x</BODY>", L""},
      {"closing with blank is no closing", L"<BODY>x</BODY >", L""},
  });
}

TEST(HtmlBody, OpeningTagWithAttributes) {
  ExpectBodies({
      {"class attribute", L"<html><body class=x>\n text \n</body></html>", L"text"},
      {"tab and newline after the name", L"<BODY\tid=a>one</BODY>", L"one"},
      {"CR after the name", L"<body\r\nonload=\"f()\">two</body>", L"two"},
      {"first '>' ends the tag, even inside quotes", L"<body title=\"a>b\">x</body>", L"b\">x"},
      {"no '>' before the closing", L"<body class=x</body>", L""},
      {"no '>' before the closing, text after it", L"<body class=x</body> more > text", L""},
      {"tag after the closing", L"</body><body class=x>x", L""},
      {"name not followed by a blank", L"<bodyx>x</body>", L""},
      {"slash is not a blank", L"<body/>x</body>", L""},
      {"vertical tab is not a blank", L"<body\x0Bid=a>x</body>", L""},
      {"exact tag wins over an earlier one with attributes", L"<body a=1>one<body>two</body>", L"two"},
      {"exact tag after the closing still rules", L"<body a=1>one</body><body>", L""},
      {"later blank-followed tag used when the first is not", L"<bodyx><body id=1>v</body>", L"v"},
      {"adjacent with attributes", L"<body a=b></body>", L""},
  });
}

}  // namespace
}  // namespace qf
