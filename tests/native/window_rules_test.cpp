#include <gtest/gtest.h>

#include <vector>

#include "app/window_rules.h"

namespace qf {
namespace {

TEST(LabelRule, NoHidesEmptyKeepsAnythingElseShows) {
  const struct { std::wstring value; std::wstring caption; bool visible; } cases[] = {
      {L"NO", L"NO", false},
      {L"no", L"no", true},
      {L"No", L"No", true},
      {L"", L"Download Ostrel", true},
      {L"Benvenuto", L"Benvenuto", true},
      {L" NO", L" NO", true},
  };
  for (const auto& c : cases) {
    LabelState label{L"Download Ostrel", true};
    ApplyLabelRule(label, c.value);
    EXPECT_EQ(label.caption, c.caption) << c.value;
    EXPECT_EQ(label.visible, c.visible) << c.value;
  }
  LabelState hidden{L"x", false};
  ApplyLabelRule(hidden, L"shown?");
  EXPECT_FALSE(hidden.visible) << "the rule never makes a hidden label visible";
}

TEST(DeploymentSettings, TwelveKeysInOrderEachAppliedBeforeTheNextIsRead) {
  WindowTexts texts;
  std::vector<std::wstring> asked;
  ApplyDeploymentSettings(texts, [&](const wchar_t* key) {
    asked.emplace_back(key);
    if (asked.size() == 2) EXPECT_EQ(texts.titolo.caption, L"NO") << "the first value is applied already";
    const std::wstring k = key;
    if (k == L"Titolo") return std::wstring(L"NO");
    if (k == L"Sottotitolo") return std::wstring(L"");
    if (k == L"Testo1") return std::wstring(L"no");
    if (k == L"ImgSmall2_link") return std::wstring(L"");
    if (k == L"BuildSetup") return std::wstring(L"714");
    return L"v:" + k;
  });
  const std::vector<std::wstring> order = {L"Titolo",         L"Sottotitolo",    L"Testo1",       L"Link",
                                           L"ImgMain_link",   L"ImgSmall1_link", L"ImgSmall2_link",
                                           L"ImgSmall3_link", L"DownloadLink",   L"BuildSetup",   L"DataSetup",
                                           L"DimensioneSetup_MB"};
  EXPECT_EQ(asked, order);
  EXPECT_EQ(texts.titolo.caption, L"NO");
  EXPECT_FALSE(texts.titolo.visible);
  EXPECT_EQ(texts.sottoTitolo.caption, L"Software Gestionale");
  EXPECT_TRUE(texts.sottoTitolo.visible);
  EXPECT_EQ(texts.testo1.caption, L"no");
  EXPECT_TRUE(texts.testo1.visible);
  EXPECT_EQ(texts.link.caption, L"v:Link");
  EXPECT_EQ(texts.sImgMainLink, L"v:ImgMain_link");
  EXPECT_EQ(texts.sImg2Link, L"") << "fields take empty values as they are";
  EXPECT_EQ(texts.sDownloadFileBuild, L"714");
  EXPECT_EQ(texts.sDimensioneSetup_MB, L"v:DimensioneSetup_MB");
}

TEST(DeploymentSettings, ValuesPastTheCapCountAsMissing) {
  WindowTexts texts;
  const std::wstring atCap(kMaxSettingsValueChars, L'x'), overCap(kMaxSettingsValueChars + 1, L'x');
  ApplyDeploymentSettings(texts, [&](const wchar_t* key) {
    const std::wstring k = key;
    if (k == L"Titolo" || k == L"DownloadLink") return overCap;
    if (k == L"Sottotitolo" || k == L"ImgMain_link") return atCap;
    return std::wstring();
  });
  EXPECT_EQ(texts.titolo.caption, L"Download Ostrel") << "the design caption stays";
  EXPECT_EQ(texts.sDownloadSetupLink, L"") << "no address rather than a cut one";
  EXPECT_EQ(texts.sottoTitolo.caption, atCap);
  EXPECT_EQ(texts.sImgMainLink, atCap);
}

TEST(BannerStrip, FourTicksFromTheDesignState) {
  BannerStrip s;
  const BannerStrip expected[] = {{false, true, false}, {false, false, true}, {false, false, false}, {false, false, false}};
  for (const auto& e : expected) {
    s = NextBannerTick(s);
    EXPECT_EQ(s, e);
  }
  // The first visible banner decides; banner 1 is left as it is on the third row.
  EXPECT_EQ(NextBannerTick({true, true, true}), (BannerStrip{false, true, false}));
  EXPECT_EQ(NextBannerTick({false, true, true}), (BannerStrip{false, false, true}));
}

TEST(MessageTexts, PeriodRuleAndTitleLayout) {
  EXPECT_EQ(DefaultErrorBoxText(L"Impossibile creare il file"), L"Impossibile creare il file.");
  EXPECT_EQ(DefaultErrorBoxText(L"Errore."), L"Errore.");
  EXPECT_EQ(DefaultErrorBoxText(L"Errore!"), L"Errore!") << "! is below the period";
  EXPECT_EQ(DefaultErrorBoxText(L"percorso C:\\x\\"), L"percorso C:\\x\\.");
  EXPECT_EQ(DefaultErrorBoxText(L"(1)"), L"(1)") << ") is below the period";
  EXPECT_EQ(DefaultErrorBoxText(L"/"), L"/.");
  EXPECT_EQ(DefaultErrorBoxText(L""), L"");
  EXPECT_EQ(AppMessageText(L"Errore scaricamento programma", L"QUARLO"), L"QUARLO\r\n\r\nErrore scaricamento programma");
  EXPECT_EQ(AppMessageText(L"solo", L""), L"solo");
}

}  // namespace
}  // namespace qf
