#pragma once
// From the landing reply's bytes to the text the settings are read from.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "landing/ansi_codec.h"

namespace qf {

// The largest landing reply the program takes in, as received and again
// after gzip. The settings are a dozen short lines in a page of a few
// kilobytes; a larger reply is hostile or broken, and refusing it keeps the
// window's start quick and memory bounded.
inline constexpr std::size_t kMaxLandingReplyBytes = 1024u * 1024u;

// Inflates one gzip member. Fails (nullopt) when the data is not gzip, is
// corrupt or truncated (the end of the stream must be reached), or would
// inflate to more than maxOutput bytes.
std::optional<std::string> GunzipBounded(std::string_view compressed, std::size_t maxOutput);

// The reply body as text: inflated first when contentEncoding is exactly
// "gzip"; then strict UTF-8, or the ANSI code page when that fails. nullopt
// when inflating fails or neither decoding works. An empty body is "".
std::optional<std::wstring> DecodeReplyBody(std::string_view body, std::string_view contentEncoding,
                                            const AnsiCodec& codec);

// The whole reading of a landing reply: a status outside 200..299 or a body
// that cannot be decoded gives "", otherwise ExtractHtmlBody of the text.
std::wstring LandingReplyText(int status, std::string_view body, std::string_view contentEncoding,
                              const AnsiCodec& codec);

}  // namespace qf
