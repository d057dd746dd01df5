#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qf
