#pragma once
// SHA-256 (FIPS 180-4), for certificate thumbprints: small, portable, and
// the same on every Windows version the program runs on.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace qf {

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest Sha256(const std::uint8_t* data, std::size_t size);

// A thumbprint as makers write it: 64 hex digits, either case, optionally
// separated by spaces or colons. Anything else gives nothing.
std::optional<Sha256Digest> ParseThumbprint(std::wstring_view text);

// One or more thumbprints separated by commas, so that a maker can pin the
// current certificate and the next. Nothing when any of them is malformed:
// a pin with a typo must refuse everything, never fall back to fewer pins.
std::vector<Sha256Digest> ParseThumbprintList(std::wstring_view text);

}  // namespace qf
