#pragma once
// UTF-8 <-> UTF-16 conversions that behave the same in both builds.
#include <optional>
#include <string>
#include <string_view>

namespace qf {

// UTF-16 code units to UTF-8 bytes. A lone surrogate becomes U+FFFD, as the
// WHATWG encoders do, so the output is always well-formed UTF-8.
std::string Utf16ToUtf8(std::wstring_view text);

// Strict UTF-8 decoding into UTF-16 code units: any ill-formed or truncated
// sequence (overlong forms, surrogates, code points above U+10FFFF, stray
// continuation bytes) makes the whole decoding fail. A byte-order mark is kept.
std::optional<std::wstring> DecodeUtf8Strict(std::string_view bytes);

}  // namespace qf
