#pragma once
// SHA-256 (FIPS 180-4), for certificate thumbprints: small, portable, and
// the same on every Windows version the program runs on.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qf {

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest Sha256(const std::uint8_t* data, std::size_t size);

// A thumbprint as makers write it: 64 hex digits, either case, optionally
// separated by spaces or colons. Anything else gives nothing.
std::optional<Sha256Digest> ParseThumbprint(std::wstring_view text);

}  // namespace qf
