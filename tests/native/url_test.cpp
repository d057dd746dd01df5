#include <gtest/gtest.h>

#include "common/url.h"

namespace qf {
namespace {

TEST(ResolveLocation, RedirectTargetsAgainstTheirBase) {
  const std::wstring base = L"http://a.example:81/php/landing.php?x=1";
  const struct { const wchar_t* location; const wchar_t* expected; } cases[] = {
      {L"http://b.example/other", L"http://b.example/other"},
      {L"HTTPS://b.example/", L"HTTPS://b.example/"},
      {L"//c.example/p", L"http://c.example/p"},
      {L"/root/x.php", L"http://a.example:81/root/x.php"},
      {L"next.php", L"http://a.example:81/php/next.php"},
      {L"next.php?y=2", L"http://a.example:81/php/next.php?y=2"},
      {L"../up.php", L"http://a.example:81/up.php"},
      {L"../../../up.php", L"http://a.example:81/up.php"},
      {L"./same/", L"http://a.example:81/php/same/"},
      {L"sub/..", L"http://a.example:81/php/"},
      {L"?only=query", L"http://a.example:81/php/landing.php?only=query"},
      {L"x.php#frag", L"http://a.example:81/php/x.php"},
      {L"  /trimmed  ", L"http://a.example:81/trimmed"},
      {L"", L"http://a.example:81/php/landing.php"},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveLocation(base, c.location), c.expected) << c.location;
  EXPECT_EQ(ResolveLocation(L"http://h", L"p"), L"http://h/p");
  EXPECT_EQ(ResolveLocation(L"http://h:8080", L"/p"), L"http://h:8080/p");
}

TEST(IsSecurityDowngrade, OnlyHttpsToAnythingElse) {
  const struct {
    const wchar_t* from;
    const wchar_t* to;
    bool downgrade;
  } cases[] = {
      {L"https://h/a", L"http://h/b", true},   {L"HTTPS://h/a", L"http://h/b", true},
      {L"https://h/a", L"ftp://h/b", true},    {L"https://h/a", L"https://other/b", false},
      {L"https://h/a", L"HTTPS://h/b", false}, {L"http://h/a", L"http://h/b", false},
      {L"http://h/a", L"https://h/b", false},  {L"https://h/a", L"httpsx", true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsSecurityDowngrade(c.from, c.to), c.downgrade) << c.from << L" " << c.to;
}

}  // namespace
}  // namespace qf
