#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/sha256.h"

namespace qf {
namespace {

std::string Hex(const Sha256Digest& d) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (auto b : d) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::string Of(const std::string& text) {
  return Hex(Sha256(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

// FIPS 180-4 examples and the padding boundaries around one block.
TEST(Sha256, KnownDigests) {
  EXPECT_EQ(Of(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Of("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Of("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Of(std::string(55, 'a')), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
  EXPECT_EQ(Of(std::string(56, 'a')), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");
  EXPECT_EQ(Of(std::string(64, 'a')), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb");
  EXPECT_EQ(Of(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Thumbprint, HexWithOptionalSeparators) {
  const std::wstring plain = L"816395cfe94fae733b7afd78196d492efbc96352111af8fa8d6da0affabf5f29";
  const auto digest = ParseThumbprint(plain);
  ASSERT_TRUE(digest.has_value());
  EXPECT_EQ(Hex(*digest), "816395cfe94fae733b7afd78196d492efbc96352111af8fa8d6da0affabf5f29");
  std::wstring spaced;
  for (std::size_t i = 0; i < plain.size(); i += 2) spaced += (i ? L":" : L"") + plain.substr(i, 2);
  EXPECT_EQ(ParseThumbprint(spaced), digest);
  std::wstring upper = plain;
  for (auto& c : upper) c = static_cast<wchar_t>(towupper(c));
  EXPECT_EQ(ParseThumbprint(upper), digest);
  for (const std::wstring& bad : {std::wstring(L""), plain.substr(0, 63), plain + L"0", plain.substr(0, 63) + L"g",
                                 L"0x" + plain.substr(2)})
    EXPECT_FALSE(ParseThumbprint(bad).has_value()) << bad;
}

TEST(Thumbprint, ListsSeparatedByCommas) {
  const std::wstring a = L"816395cfe94fae733b7afd78196d492efbc96352111af8fa8d6da0affabf5f29";
  const std::wstring b = L"00" + a.substr(2);
  const struct {
    std::wstring text;
    std::size_t pins;  // 0: refused as a whole
  } cases[] = {
      {a, 1}, {a + L"," + b, 2}, {a + L", " + b, 2}, {a + L"," + b + L"," + a, 3},
      {L"", 0}, {a + L",", 0}, {L"," + a, 0}, {a + L",,"  + b, 0}, {a + L"," + b.substr(1), 0},
  };
  for (const auto& c : cases) {
    const auto pins = ParseThumbprintList(c.text);
    ASSERT_EQ(pins.size(), c.pins) << std::string(c.text.begin(), c.text.end());
    if (c.pins >= 2) {
      EXPECT_EQ(pins[0], ParseThumbprint(a));
      EXPECT_EQ(pins[1], ParseThumbprint(b));
    }
  }
}

}  // namespace
}  // namespace qf
