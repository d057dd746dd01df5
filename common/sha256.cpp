#include "common/sha256.h"

namespace qf {

namespace {

constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t Rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void Compress(std::uint32_t state[8], const std::uint8_t block[64]) {
  std::uint32_t w[64];
  for (int i = 0; i < 16; ++i)
    w[i] = (std::uint32_t{block[4 * i]} << 24) | (std::uint32_t{block[4 * i + 1]} << 16) |
           (std::uint32_t{block[4 * i + 2]} << 8) | std::uint32_t{block[4 * i + 3]};
  for (int i = 16; i < 64; ++i) {
    const std::uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
    const std::uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
  for (int i = 0; i < 64; ++i) {
    const std::uint32_t t1 = h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
    const std::uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
    h = g; g = f; f = e; e = d + t1;
    d = c; c = b; b = a; a = t1 + t2;
  }
  state[0] += a; state[1] += b; state[2] += c; state[3] += d;
  state[4] += e; state[5] += f; state[6] += g; state[7] += h;
}

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

}  // namespace

Sha256Digest Sha256(const std::uint8_t* data, std::size_t size) {
  std::uint32_t state[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                            0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  std::size_t i = 0;
  for (; size - i >= 64; i += 64) Compress(state, data + i);
  // The last partial block, the 0x80 marker and the bit length, in one or two blocks.
  std::uint8_t tail[128] = {};
  const std::size_t rest = size - i;
  for (std::size_t j = 0; j < rest; ++j) tail[j] = data[i + j];
  tail[rest] = 0x80;
  const std::size_t tailSize = rest < 56 ? 64 : 128;
  const std::uint64_t bits = static_cast<std::uint64_t>(size) * 8;
  for (int j = 0; j < 8; ++j) tail[tailSize - 1 - j] = static_cast<std::uint8_t>(bits >> (8 * j));
  Compress(state, tail);
  if (tailSize == 128) Compress(state, tail + 64);
  Sha256Digest digest{};
  for (int j = 0; j < 8; ++j)
    for (int k = 0; k < 4; ++k) digest[4 * j + k] = static_cast<std::uint8_t>(state[j] >> (24 - 8 * k));
  return digest;
}

std::optional<Sha256Digest> ParseThumbprint(std::wstring_view text) {
  Sha256Digest digest{};
  std::size_t digits = 0;
  for (wchar_t c : text) {
    if (c == L' ' || c == L':') continue;
    const int v = HexValue(c);
    if (v < 0 || digits >= 64) return std::nullopt;
    digest[digits / 2] = static_cast<std::uint8_t>(digest[digits / 2] | (digits % 2 == 0 ? v << 4 : v));
    ++digits;
  }
  if (digits != 64) return std::nullopt;
  return digest;
}

std::vector<Sha256Digest> ParseThumbprintList(std::wstring_view text) {
  std::vector<Sha256Digest> pins;
  for (;;) {
    const std::size_t comma = text.find(L',');
    const auto pin = ParseThumbprint(text.substr(0, comma));
    if (!pin) return {};
    pins.push_back(*pin);
    if (comma == std::wstring_view::npos) return pins;
    text.remove_prefix(comma + 1);
  }
}

}  // namespace qf
