#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/window_rules.h"
#include "landing/ansi_codec.h"
#include "landing/reply_decoding.h"
#include "landing/settings_reader.h"

namespace qf {
namespace {

const Cp1252Codec kCodec;

// A literal's bytes, NULs included.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

std::wstring Read(std::string_view ansi, std::wstring_view key, std::wstring_view section = L"SETUP_DEPLOY_A") {
  MemoryStream stream;
  WriteAnsiToStream(stream, ansi);
  return ReadIniValueFromStream(stream, section, key, kCodec);
}

// --- the code page stand-in ---

TEST(Cp1252, HighBytesMapAsWindowsDoes) {
  struct Case { unsigned char byte; wchar_t unit; } cases[] = {
      {0x80, 0x20AC}, {0x81, 0x0081}, {0x82, 0x201A}, {0x83, 0x0192}, {0x85, 0x2026}, {0x8A, 0x0160},
      {0x8C, 0x0152}, {0x8D, 0x008D}, {0x8E, 0x017D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x91, 0x2018},
      {0x92, 0x2019}, {0x96, 0x2013}, {0x97, 0x2014}, {0x99, 0x2122}, {0x9C, 0x0153}, {0x9D, 0x009D},
      {0x9E, 0x017E}, {0x9F, 0x0178}, {0x7F, 0x007F}, {0xA0, 0x00A0}, {0xE8, 0x00E8}, {0xFF, 0x00FF},
      {0x00, 0x0000},
  };
  for (const auto& c : cases) {
    const std::string byte(1, static_cast<char>(c.byte));
    EXPECT_EQ(kCodec.ToWide(byte), std::wstring(1, c.unit)) << "byte " << int(c.byte);
    EXPECT_EQ(kCodec.ToAnsi(std::wstring(1, c.unit)), byte) << "byte " << int(c.byte);
  }
}

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::wstring wide = kCodec.ToWide(all);
  EXPECT_EQ(wide.size(), all.size());
  EXPECT_EQ(kCodec.ToAnsi(wide), all);
  EXPECT_EQ(kCodec.ToWide(""), L"");
}

TEST(Cp1252, MissingCharactersBecomeQuestionMarks) {
  struct Case { std::wstring wide; std::string ansi; } cases[] = {
      {L"\x0100", "?"},             // Latin Extended-A letter the code page lacks
      {L"\x0080", "?"},             // C1 control whose byte holds the euro sign
      {L"\x009F", "?"},
      {L"a\x4E2D" L"b", "a?b"},
      {std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}, "?"},    // one character, one mark
      {std::wstring{wchar_t(0xD83D), L'x'}, "?x"},              // lone surrogate
      {std::wstring{wchar_t(0xDE00), wchar_t(0xD83D)}, "??"},   // reversed pair: two lone halves
      {L"\x20AC" L"5 \xE8", "\x80" "5 \xE8"},
  };
  for (const auto& c : cases) EXPECT_EQ(kCodec.ToAnsi(c.wide), c.ansi) << c.ansi;
}

TEST(Cp1252, SameKeyFoldsAsciiAndLatin1LettersOnly) {
  struct Case { std::wstring a, b; bool same; } cases[] = {
      {L"Titolo", L"titolo", true},
      {L"TITOLO", L"titolo", true},
      {L"DownloadLink", L"downloadlink", true},
      {L"", L"", true},
      {L"\xC8", L"\xE8", true},              // È and è
      {L"\xC0\xDE", L"\xE0\xFE", true},      // the ends of the Latin-1 range
      {L"\xD7", L"\xF7", false},             // multiplication and division signs are no letters
      {L"\xDF", L"\xFF", false},             // sharp s is not the capital of ÿ
      {L"\x0178", L"\xFF", false},           // Ÿ lies outside Latin-1
      {L"\x0160", L"\x0161", false},
      {L"Titolo", L"Titolo ", false},
      {L"Titolo", L"Titol", false},
      {L"@", L"`", false},                   // neighbours of the letters
      {L"[", L"{", false},
      {L"Link1", L"link2", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(kCodec.SameKey(c.a, c.b), c.same) << c.a.size();
    EXPECT_EQ(kCodec.SameKey(c.b, c.a), c.same) << c.a.size();
  }
}

// --- the memory stream ---

TEST(MemoryStreamTest, WritesAtThePositionAndGrows) {
  MemoryStream stream;
  EXPECT_EQ(stream.Size(), 0u);
  EXPECT_EQ(stream.ReadToEnd(), "");
  stream.Write("hello", 5);
  EXPECT_EQ(stream.Position(), 5u);
  stream.Write(" world", 6);
  EXPECT_EQ(stream.Size(), 11u);
  stream.Seek(6);
  stream.Write("W", 1);  // overwrites in place
  EXPECT_EQ(stream.Size(), 11u);
  EXPECT_EQ(stream.Position(), 7u);
  EXPECT_EQ(stream.ReadToEnd(), "orld");
  EXPECT_EQ(stream.Position(), 11u);
  stream.Seek(9);
  stream.Write("LD!!", 4);  // overwrites the tail and grows past it
  EXPECT_EQ(stream.Size(), 13u);
  stream.Seek(0);
  EXPECT_EQ(stream.ReadToEnd(), "hello WorLD!!");
  stream.Seek(100);  // past the end stops at the end
  EXPECT_EQ(stream.Position(), 13u);
  EXPECT_EQ(stream.ReadToEnd(), "");
  stream.Write(nullptr, 0);
  EXPECT_EQ(stream.Size(), 13u);
}

TEST(MemoryStreamTest, AnsiTextIsWrittenByteForByte) {
  MemoryStream stream;
  const std::string text = Bytes("a\0b\xE8\r\n");
  WriteAnsiToStream(stream, text);
  WriteAnsiToStream(stream, "");
  EXPECT_EQ(stream.Size(), 6u);
  stream.Seek(0);
  EXPECT_EQ(stream.ReadToEnd(), text);
}

// --- line splitting ---

TEST(IniLines, EveryBreakKindAndTheEnds) {
  using Lines = std::vector<std::string>;
  struct Case { const char* what; std::string text; Lines lines; } cases[] = {
      {"empty", "", {}},
      {"one line, no break", "a", {"a"}},
      {"break at the end adds no line", "a\n", {"a"}},
      {"CR LF is one break", "a\r\nb", {"a", "b"}},
      {"CR alone", "a\rb", {"a", "b"}},
      {"LF alone", "a\nb", {"a", "b"}},
      {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}},
      {"empty lines in between count", "a\n\n\nb", {"a", "", "", "b"}},
      {"two breaks at the end", "a\n\n", {"a", ""}},
      {"CR CR LF", "a\r\r\nb", {"a", "", "b"}},
      {"CR CR is two breaks", "a\r\rb", {"a", "", "b"}},
      {"LF LF CR LF", "a\n\n\r\nb", {"a", "", "", "b"}},
      {"only a break", "\r\n", {""}},
      {"leading break", "\nx", {"", "x"}},
      {"NUL ends the text", Bytes("a\nb\0c\nd"), {"a", "b"}},
      {"NUL right after a break", Bytes("a\n\0b"), {"a"}},
      {"NUL first", Bytes("\0a"), {}},
      {"blanks kept", " a \t\r\n", {" a \t"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitIniLines(c.text), c.lines) << c.what;
}

// --- reading one value ---

const std::string kSettings =
    "[SETUP_DEPLOY_A]\r\n"
    "Titolo=Benvenuto in Quarlo\r\n"
    "Sottotitolo = Il programma \xE8 pronto \r\n"
    "Testo1=\r\n"
    "Link=https://example.com/a?b=c\r\n"
    "DataSetup=2024-03-01\r\n"
    "[ALTRO]\r\n"
    "Titolo=altro\r\n";

TEST(IniValue, KeysOfTheSection) {
  struct Case { std::wstring key, value; } cases[] = {
      {L"Titolo", L"Benvenuto in Quarlo"},
      {L"titolo", L"Benvenuto in Quarlo"},
      {L"SOTTOTITOLO", L"Il programma \xE8 pronto"},
      {L"Testo1", L""},
      {L"Link", L"https://example.com/a?b=c"},
      {L"DataSetup", L"2024-03-01"},
      {L"Mancante", L""},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(kSettings, c.key), c.value) << c.value.size();
}

TEST(IniValue, SectionHeaderMatching) {
  struct Case { const char* what; std::string text; std::wstring section; std::wstring value; } cases[] = {
      {"lower-case header", "[setup_deploy_a]\nTitolo=x", L"SETUP_DEPLOY_A", L"x"},
      {"mixed-case header", "[Setup_Deploy_A]\nTitolo=x", L"SETUP_DEPLOY_A", L"x"},
      {"lower-case section asked", "[SETUP_DEPLOY_A]\nTitolo=x", L"setup_deploy_a", L"x"},
      {"blank after the header", "[SETUP_DEPLOY_A] \nTitolo=x", L"SETUP_DEPLOY_A", L""},
      {"blank before the header", " [SETUP_DEPLOY_A]\nTitolo=x", L"SETUP_DEPLOY_A", L""},
      {"blank inside the brackets", "[ SETUP_DEPLOY_A]\nTitolo=x", L"SETUP_DEPLOY_A", L""},
      {"no section", "Titolo=x", L"SETUP_DEPLOY_A", L""},
      {"key before the header only", "Titolo=x\n[SETUP_DEPLOY_A]\nAltro=y", L"SETUP_DEPLOY_A", L""},
      {"other section only", "[ALTRO]\nTitolo=x", L"SETUP_DEPLOY_A", L""},
      {"prefix of the name", "[SETUP_DEPLOY]\nTitolo=x", L"SETUP_DEPLOY_A", L""},
      // Only a..z fold in the header: È and è are different sections.
      {"Latin-1 letters not folded", "[SEZIONE\xC8]\nTitolo=x", L"sezione\xE8", L""},
      {"Latin-1 exact", "[SEZIONE\xC8]\nTitolo=x", L"SEZIONE\xC8", L"x"},
      {"section name without the code page", "[?]\nTitolo=x", L"\x4E2D", L"x"},
      {"empty section name", "[]\nTitolo=x", L"", L"x"},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.text, L"Titolo", c.section), c.value) << c.what;
}

TEST(IniValue, WalkingTheSection) {
  struct Case { const char* what; std::string text; std::wstring value; } cases[] = {
      {"value trimmed, key trimmed", "[SETUP_DEPLOY_A]\n  titolo\t=  Benvenuto \t", L"Benvenuto"},
      {"value keeps its '='", "[SETUP_DEPLOY_A]\nTitolo=a?b=c", L"a?b=c"},
      {"first match wins", "[SETUP_DEPLOY_A]\nTitolo=1\nTitolo=2", L"1"},
      {"the next section ends it", "[SETUP_DEPLOY_A]\nX=1\n[ALTRO]\nTitolo=2", L""},
      {"a repeated header ends it", "[SETUP_DEPLOY_A]\nX=1\n[SETUP_DEPLOY_A]\nTitolo=2", L""},
      {"any '[' first ends it", "[SETUP_DEPLOY_A]\n[\nTitolo=2", L""},
      {"an indented header does not", "[SETUP_DEPLOY_A]\n [X]\nTitolo=3", L"3"},
      {"an empty line does not", "[SETUP_DEPLOY_A]\n\n\nTitolo=4", L"4"},
      {"comment lines are plain lines", "[SETUP_DEPLOY_A]\n;Titolo=x\n#Titolo=y", L""},
      {"a key with a comment mark is its own key", "[SETUP_DEPLOY_A]\n;Titolo=x\nTitolo=z", L"z"},
      {"line without '='", "[SETUP_DEPLOY_A]\nTitolo\nTitolo=5", L"5"},
      {"empty value stops the walk", "[SETUP_DEPLOY_A]\nTitolo=\nTitolo=6", L""},
      {"key with a blank inside", "[SETUP_DEPLOY_A]\nTi tolo=x", L""},
      {"header found after earlier text", "junk\n[ALTRO]\nTitolo=n\n[SETUP_DEPLOY_A]\nTitolo=7", L"7"},
      {"upper-case key", "[SETUP_DEPLOY_A]\nTITOLO=8", L"8"},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.text, L"Titolo", L"SETUP_DEPLOY_A"), c.value) << c.what;
}

TEST(IniValue, AnEmptyKeyMatchesTheFirstLineWithoutAName) {
  struct Case { const char* what; std::string text; std::wstring value; } cases[] = {
      {"line without '=' first: empty value", "[SETUP_DEPLOY_A]\nnovalue\n=x", L""},
      {"line with empty name first", "[SETUP_DEPLOY_A]\n = x \nnovalue", L"x"},
      {"empty line counts as one without '='", "[SETUP_DEPLOY_A]\n\n=x", L""},
      {"named lines are passed over", "[SETUP_DEPLOY_A]\nA=1\n=x", L"x"},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.text, L""), c.value) << c.what;
}

TEST(IniValue, KeysWithLatin1Letters) {
  const std::string text = "[SETUP_DEPLOY_A]\nCITT\xC0=Citt\xE0\nPerch\xC8=perch\xE8";
  EXPECT_EQ(Read(text, L"citt\xE0"), L"Citt\xE0");
  EXPECT_EQ(Read(text, L"PERCH\xC8"), L"perch\xE8");
  EXPECT_EQ(Read(text, L"perche"), L"");
}

TEST(IniValue, TheSectionEndsAtTheNextHeaderWhetherOrNotItIsPresent) {
  const std::string withOther = "[SETUP_DEPLOY_A]\nDataSetup=1\n[ALTRO]\nDataSetup=2\n";
  const std::string withoutOther = "[SETUP_DEPLOY_A]\nDataSetup=1\nDataSetup=2\n";
  EXPECT_EQ(Read(withOther, L"DataSetup"), L"1");
  EXPECT_EQ(Read(withoutOther, L"DataSetup"), L"1");
  EXPECT_EQ(Read(withOther, L"DataSetup", L"ALTRO"), L"2");
}

TEST(IniValue, LineBreakKindsGiveTheSameValues) {
  const std::vector<std::string> lines = {"[SETUP_DEPLOY_A]", "Titolo=T", "", "Link=L", "[ALTRO]", "Testo1=X"};
  const char* breaks[] = {"\r\n", "\n", "\r"};
  std::vector<std::string> texts;
  for (const char* br : breaks) {
    std::string text;
    for (const auto& line : lines) text += line + br;
    texts.push_back(text);
  }
  // Mixed: each line ends with a different kind.
  texts.push_back("[SETUP_DEPLOY_A]\rTitolo=T\n\r\nLink=L\r[ALTRO]\nTesto1=X");
  for (const auto& text : texts) {
    EXPECT_EQ(Read(text, L"Titolo"), L"T");
    EXPECT_EQ(Read(text, L"Link"), L"L");
    EXPECT_EQ(Read(text, L"Testo1"), L"");
  }
}

TEST(IniValue, NothingAfterANulByteIsRead) {
  const std::string text = Bytes("[SETUP_DEPLOY_A]\nTitolo=prima\0dopo\nLink=x\n");
  EXPECT_EQ(Read(text, L"Titolo"), L"prima");
  EXPECT_EQ(Read(text, L"Link"), L"");
  EXPECT_EQ(Read(Bytes("\0[SETUP_DEPLOY_A]\nTitolo=x"), L"Titolo"), L"");
}

TEST(IniValue, EachCallReadsTheWholeStreamAgain) {
  MemoryStream stream;
  WriteAnsiToStream(stream, "[SETUP_DEPLOY_A]\nTitolo=uno\n");
  EXPECT_EQ(ReadIniValueFromStream(stream, L"SETUP_DEPLOY_A", L"Titolo", kCodec), L"uno");
  EXPECT_EQ(stream.Position(), stream.Size());
  EXPECT_EQ(ReadIniValueFromStream(stream, L"SETUP_DEPLOY_A", L"Titolo", kCodec), L"uno");
  WriteAnsiToStream(stream, "Link=due\n");  // appended at the end
  EXPECT_EQ(ReadIniValueFromStream(stream, L"SETUP_DEPLOY_A", L"Link", kCodec), L"due");
}

// --- from the reply to the values ---

TEST(LandingSettings, ReplyToValuesThroughTheCodePage) {
  const std::string reply =
      "<html><head><meta charset=\"utf-8\"></head><body>\n"
      "[SETUP_DEPLOY_A]\n"
      "Titolo=Perch\xC3\xA8 aspettare?\n"
      "Sottotitolo=Citt\xC3\xA0 e virt\xC3\xB9\n"
      "DownloadLink=https://example.com/get?id=7&x=1\n"
      "DimensioneSetup_MB=42\n"
      "Nome=\xE4\xB8\xAD\n"
      "</body></html>";
  const std::wstring text = LandingReplyText(200, reply, "", kCodec);
  MemoryStream stream;
  WriteAnsiToStream(stream, kCodec.ToAnsi(text));
  auto value = [&](const wchar_t* key) { return ReadIniValueFromStream(stream, L"SETUP_DEPLOY_A", key, kCodec); };
  EXPECT_EQ(value(L"Titolo"), L"Perch\xE8 aspettare?");
  EXPECT_EQ(value(L"Sottotitolo"), L"Citt\xE0 e virt\xF9");
  EXPECT_EQ(value(L"DownloadLink"), L"https://example.com/get?id=7&x=1");
  EXPECT_EQ(value(L"DimensioneSetup_MB"), L"42");
  EXPECT_EQ(value(L"Nome"), L"?");  // not in the code page
  EXPECT_EQ(value(L"BuildSetup"), L"");
}

// --- reading many values in one pass ---

// The one-pass reader must give, key for key, what the one-key reader gives
// for the same text and section.
void ExpectSameAsOneKeyReads(const std::string& text, std::wstring_view section,
                             const std::vector<std::wstring>& keys, const std::string& what) {
  const std::vector<std::wstring> values = ReadIniValues(text, section, keys, kCodec);
  ASSERT_EQ(values.size(), keys.size()) << what;
  for (std::size_t k = 0; k < keys.size(); ++k) {
    EXPECT_EQ(values[k], Read(text, keys[k], section)) << what << ", key #" << k;
  }
}

// Keys that the texts below have, lack, or nearly have; some more than once.
const std::vector<std::wstring> kProbeKeys = {
    L"Titolo",      L"titolo",       L"TITOLO",       L"Sottotitolo",  L"Testo1",    L"Link",
    L"DataSetup",   L"ImgMain_link", L"DownloadLink", L"Mancante",     L"",          L"X",
    L"A",           L"Ti tolo",      L";Titolo",      L"#Titolo",      L" Titolo",   L"citt\xE0",
    L"PERCH\xC8",   L"perche",       L"Nome",         L"Altro",        L"Titolo",    L"",
    L"link",        L"DATASETUP",
};

struct OnePassCase {
  std::string what;
  std::string text;
  std::wstring section;
};

// The texts of the one-key reader's cases above, and a few more around the
// ends of the text and the kinds of line break.
std::vector<OnePassCase> OnePassCases() {
  std::vector<OnePassCase> cases = {
      {"settings", kSettings, L"SETUP_DEPLOY_A"},
      {"settings, other section", kSettings, L"ALTRO"},
      {"lower-case header", "[setup_deploy_a]\nTitolo=x", L"SETUP_DEPLOY_A"},
      {"mixed-case header", "[Setup_Deploy_A]\nTitolo=x", L"SETUP_DEPLOY_A"},
      {"lower-case section asked", "[SETUP_DEPLOY_A]\nTitolo=x", L"setup_deploy_a"},
      {"blank after the header", "[SETUP_DEPLOY_A] \nTitolo=x", L"SETUP_DEPLOY_A"},
      {"blank before the header", " [SETUP_DEPLOY_A]\nTitolo=x", L"SETUP_DEPLOY_A"},
      {"blank inside the brackets", "[ SETUP_DEPLOY_A]\nTitolo=x", L"SETUP_DEPLOY_A"},
      {"no section", "Titolo=x", L"SETUP_DEPLOY_A"},
      {"key before the header only", "Titolo=x\n[SETUP_DEPLOY_A]\nAltro=y", L"SETUP_DEPLOY_A"},
      {"other section only", "[ALTRO]\nTitolo=x", L"SETUP_DEPLOY_A"},
      {"prefix of the name", "[SETUP_DEPLOY]\nTitolo=x", L"SETUP_DEPLOY_A"},
      {"Latin-1 letters not folded", "[SEZIONE\xC8]\nTitolo=x", L"sezione\xE8"},
      {"Latin-1 exact", "[SEZIONE\xC8]\nTitolo=x", L"SEZIONE\xC8"},
      {"section name without the code page", "[?]\nTitolo=x", L"\x4E2D"},
      {"empty section name", "[]\nTitolo=x", L""},
      {"value trimmed, key trimmed", "[SETUP_DEPLOY_A]\n  titolo\t=  Benvenuto \t", L"SETUP_DEPLOY_A"},
      {"value keeps its '='", "[SETUP_DEPLOY_A]\nTitolo=a?b=c", L"SETUP_DEPLOY_A"},
      {"first match wins", "[SETUP_DEPLOY_A]\nTitolo=1\nTitolo=2\nTITOLO=3", L"SETUP_DEPLOY_A"},
      {"the next section ends it", "[SETUP_DEPLOY_A]\nX=1\n[ALTRO]\nTitolo=2", L"SETUP_DEPLOY_A"},
      {"a repeated header ends it", "[SETUP_DEPLOY_A]\nX=1\n[SETUP_DEPLOY_A]\nTitolo=2", L"SETUP_DEPLOY_A"},
      {"any '[' first ends it", "[SETUP_DEPLOY_A]\n[\nTitolo=2", L"SETUP_DEPLOY_A"},
      {"an indented header does not", "[SETUP_DEPLOY_A]\n [X]\nTitolo=3", L"SETUP_DEPLOY_A"},
      {"an empty line does not", "[SETUP_DEPLOY_A]\n\n\nTitolo=4", L"SETUP_DEPLOY_A"},
      {"comment lines are plain lines", "[SETUP_DEPLOY_A]\n;Titolo=x\n#Titolo=y\nTitolo=z", L"SETUP_DEPLOY_A"},
      {"line without '='", "[SETUP_DEPLOY_A]\nTitolo\nTitolo=5\nLink\nLink=6", L"SETUP_DEPLOY_A"},
      {"empty value stops the walk", "[SETUP_DEPLOY_A]\nTitolo=\nTitolo=6", L"SETUP_DEPLOY_A"},
      {"key with a blank inside", "[SETUP_DEPLOY_A]\nTi tolo=x\nTitolo=y", L"SETUP_DEPLOY_A"},
      {"header found after earlier text", "junk\n[ALTRO]\nTitolo=n\n[SETUP_DEPLOY_A]\nTitolo=7", L"SETUP_DEPLOY_A"},
      {"empty key: line without '=' first", "[SETUP_DEPLOY_A]\nnovalue\n=x\nA=1", L"SETUP_DEPLOY_A"},
      {"empty key: empty name first", "[SETUP_DEPLOY_A]\n = x \nnovalue\nA=1", L"SETUP_DEPLOY_A"},
      {"empty key: empty line first", "[SETUP_DEPLOY_A]\n\n=x", L"SETUP_DEPLOY_A"},
      {"empty key: after named lines", "[SETUP_DEPLOY_A]\nA=1\n=x", L"SETUP_DEPLOY_A"},
      {"keys with Latin-1 letters", "[SETUP_DEPLOY_A]\nCITT\xC0=Citt\xE0\nPerch\xC8=perch\xE8", L"SETUP_DEPLOY_A"},
      {"other section after", "[SETUP_DEPLOY_A]\nDataSetup=1\n[ALTRO]\nDataSetup=2\n", L"SETUP_DEPLOY_A"},
      {"other section asked", "[SETUP_DEPLOY_A]\nDataSetup=1\n[ALTRO]\nDataSetup=2\n", L"ALTRO"},
      {"same key twice", "[SETUP_DEPLOY_A]\nDataSetup=1\nDataSetup=2\n", L"SETUP_DEPLOY_A"},
      {"NUL inside a line", Bytes("[SETUP_DEPLOY_A]\nTitolo=prima\0dopo\nLink=x\n"), L"SETUP_DEPLOY_A"},
      {"NUL first", Bytes("\0[SETUP_DEPLOY_A]\nTitolo=x"), L"SETUP_DEPLOY_A"},
      {"NUL right after the header", Bytes("[SETUP_DEPLOY_A]\0\nTitolo=x"), L"SETUP_DEPLOY_A"},
      {"NUL inside the header", Bytes("[SETUP_DEPLOY_A\0]\nTitolo=x"), L"SETUP_DEPLOY_A"},
      {"empty text", "", L"SETUP_DEPLOY_A"},
      {"header only", "[SETUP_DEPLOY_A]", L"SETUP_DEPLOY_A"},
      {"header and a break only", "[SETUP_DEPLOY_A]\r\n", L"SETUP_DEPLOY_A"},
      {"header split by CR LF from its key", "[SETUP_DEPLOY_A]\r\nTitolo=x\r\n", L"SETUP_DEPLOY_A"},
      {"LF CR leaves an empty line", "[SETUP_DEPLOY_A]\n\rTitolo=x\n\r=y", L"SETUP_DEPLOY_A"},
      {"CR CR LF", "[SETUP_DEPLOY_A]\r\r\nTitolo=x\r\r\n", L"SETUP_DEPLOY_A"},
      {"CR alone ends the header", "[SETUP_DEPLOY_A]\rTitolo=x\rLink=y", L"SETUP_DEPLOY_A"},
      {"values with blanks and breaks", "[SETUP_DEPLOY_A]\nTitolo=\t a b \t\r\nLink= \r\n", L"SETUP_DEPLOY_A"},
      {"break inside the header", "[SETUP_\nDEPLOY_A]\nTitolo=x", L"SETUP_DEPLOY_A"},
  };
  const std::vector<std::string> lines = {"[SETUP_DEPLOY_A]", "Titolo=T", "", "Link=L", "[ALTRO]", "Testo1=X"};
  for (const char* br : {"\r\n", "\n", "\r"}) {
    std::string text;
    for (const auto& line : lines) text += line + br;
    cases.push_back({std::string("lines ended by ") + (br[0] == '\n' ? "LF" : br[1] == '\n' ? "CR LF" : "CR"), text,
                     L"SETUP_DEPLOY_A"});
  }
  cases.push_back({"mixed breaks", "[SETUP_DEPLOY_A]\rTitolo=T\n\r\nLink=L\r[ALTRO]\nTesto1=X", L"SETUP_DEPLOY_A"});
  return cases;
}

TEST(IniValues, EveryKeyAsTheOneKeyReaderGivesIt) {
  for (const auto& c : OnePassCases()) {
    ExpectSameAsOneKeyReads(c.text, c.section, kProbeKeys, c.what);
    // The twelve keys of start-up, too, on their own.
    ExpectSameAsOneKeyReads(c.text, c.section, std::vector<std::wstring>(kSettingsKeys.begin(), kSettingsKeys.end()),
                            c.what + " (settings keys)");
  }
}

TEST(IniValues, ValuesComeInTheOrderOfTheKeys) {
  const std::string text = "[SETUP_DEPLOY_A]\nTitolo=1\nLink=2\nTitolo=3\nLINK=4\nSenza\n";
  struct Case { std::vector<std::wstring> keys, values; } cases[] = {
      {{L"Titolo", L"Link"}, {L"1", L"2"}},
      {{L"Link", L"Titolo"}, {L"2", L"1"}},
      {{L"link", L"Titolo", L"LINK", L"titolo"}, {L"2", L"1", L"2", L"1"}},
      {{L"Mancante", L"Link", L"Senza"}, {L"", L"2", L""}},
      {{L"Titolo"}, {L"1"}},
      {{}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadIniValues(text, L"SETUP_DEPLOY_A", c.keys, kCodec), c.values) << c.keys.size() << " keys";
  }
  EXPECT_EQ(ReadIniValues(text, L"ALTRO", {L"Titolo", L"Link"}, kCodec), (std::vector<std::wstring>{L"", L""}));
}

TEST(IniValues, SettingsOfAWholeSection) {
  const std::vector<std::wstring> keys = {L"Titolo", L"Sottotitolo", L"Testo1", L"Link", L"DataSetup", L"Mancante"};
  const std::vector<std::wstring> values = {L"Benvenuto in Quarlo", L"Il programma \xE8 pronto", L"",
                                            L"https://example.com/a?b=c", L"2024-03-01", L""};
  EXPECT_EQ(ReadIniValues(kSettings, L"SETUP_DEPLOY_A", keys, kCodec), values);
}

// The code page stand-in, recording what the reader asks of it.
class RecordingCodec final : public AnsiCodec {
 public:
  std::wstring ToWide(std::string_view ansi) const override {
    converted.emplace_back(ansi);
    return kCodec.ToWide(ansi);
  }
  std::string ToAnsi(std::wstring_view wide) const override {
    ++toAnsiCalls;
    return kCodec.ToAnsi(wide);
  }
  bool SameKey(std::wstring_view a, std::wstring_view b) const override {
    ++sameKeyCalls;
    return kCodec.SameKey(a, b);
  }

  mutable std::vector<std::string> converted;  // every text given to ToWide, in order
  mutable int toAnsiCalls = 0;
  mutable int sameKeyCalls = 0;
};

TEST(IniValues, ConvertsEachKeyOnceAndOnlyTakenValuesAndStopsWhenAllAreFound) {
  const std::string text =
      "Titolo=prima\n"          // before the header: never converted
      "[SETUP_DEPLOY_A]\n"
      " Titolo = T \n"          // taken by Titolo and titolo: one value conversion
      "senza\n"                 // no "=": nothing to convert
      "\n"
      "B=2\n"                   // taken by no key: its value is not converted
      "link=L\n"
      "Titolo=ancora\n"         // every key is found before this line
      "Link=ancora\n";
  RecordingCodec codec;
  EXPECT_EQ(ReadIniValues(text, L"SETUP_DEPLOY_A", {L"Titolo", L"Link", L"titolo"}, codec),
            (std::vector<std::wstring>{L"T", L"L", L"T"}));
  EXPECT_EQ(codec.converted, (std::vector<std::string>{" Titolo ", " T ", "B", "link", "L"}));
  EXPECT_EQ(codec.toAnsiCalls, 1);
}

TEST(IniValues, EmptyLinesDoNotCostAKeyComparisonEach) {
  std::string text = "[SETUP_DEPLOY_A]\n";
  for (int i = 0; i < 1000; ++i) text += "\n";
  text += "Titolo=x\n";
  for (int i = 0; i < 1000; ++i) text += "senza\r\n";
  RecordingCodec codec;
  // Link is never found, so the walk goes on to the end of the text.
  EXPECT_EQ(ReadIniValues(text, L"SETUP_DEPLOY_A", {L"Titolo", L"Link"}, codec),
            (std::vector<std::wstring>{L"x", L""}));
  EXPECT_LT(codec.sameKeyCalls, 100);
}

// A hostile landing reply: megabytes of empty lines around a valid section.
// The twelve settings come out right, whether the walk stops at the last key
// found or, for a key that is missing, runs on to the end of the text.
TEST(IniValues, HostileReplyOfEmptyLinesAroundTheSection) {
  constexpr std::size_t kPaddingBytes = std::size_t{8} << 20;  // on each side
  // "\r\n\n" over and over: a CR LF and a lone LF, two empty lines.
  std::string padding(kPaddingBytes, '\n');
  for (std::size_t i = 0; i < padding.size(); i += 3) padding[i] = '\r';
  padding.back() = '\n';  // the section's header starts a line of its own

  std::vector<std::wstring> keys(kSettingsKeys.begin(), kSettingsKeys.end());
  std::vector<std::wstring> expected;
  std::string text;
  text.reserve(2 * kPaddingBytes + 4096);
  text += padding;
  text += "[SETUP_DEPLOY_A]\r\n";
  for (std::size_t k = 0; k < keys.size(); ++k) {
    std::string key;
    for (wchar_t c : keys[k]) key.push_back(static_cast<char>(c));  // the keys are ASCII
    text += key + " = valore " + std::to_string(k) + (k % 2 == 0 ? "\r\n" : "\n");
    expected.push_back(L"valore " + std::to_wstring(k));
  }
  text += padding;

  EXPECT_EQ(ReadIniValues(text, L"SETUP_DEPLOY_A", keys, kCodec), expected);
  keys.push_back(L"Mancante");
  expected.push_back(L"");
  EXPECT_EQ(ReadIniValues(text, L"SETUP_DEPLOY_A", keys, kCodec), expected);
}

}  // namespace
}  // namespace qf
