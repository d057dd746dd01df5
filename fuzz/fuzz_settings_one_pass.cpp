// The one-pass settings reader against the one-key reader over arbitrary
// text.
//
// The input is split at its last NUL byte: the bytes before it are the
// settings text (earlier NULs stay in it, so the text's own NUL rule is
// fuzzed too) and the bytes after it are one more key to look up. An input
// without a NUL is all text, and that key is then empty. Besides the twelve
// settings keys and that key, the key of the text's first line holding "="
// is looked up, so that a key the text has is always among those asked.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/window_rules.h"
#include "common/text.h"
#include "fuzz/fuzz_check.h"
#include "landing/ansi_codec.h"
#include "landing/settings_reader.h"
#include "profile/machine_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const qf::Cp1252Codec codec;

  const std::size_t lastNul = input.rfind('\0');
  const bool hasNul = lastNul != std::string_view::npos;
  const std::string_view text = hasNul ? input.substr(0, lastNul) : input;
  const std::string_view keyPart = hasNul ? input.substr(lastNul + 1) : std::string_view();

  std::vector<std::wstring> keys(qf::kSettingsKeys.begin(), qf::kSettingsKeys.end());
  keys.push_back(codec.ToWide(keyPart));
  for (const auto& line : qf::SplitIniLines(text)) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    keys.push_back(qf::Trim(codec.ToWide(std::string_view(line).substr(0, eq))));
    break;
  }

  const std::vector<std::wstring> values = qf::ReadIniValues(text, qf::kSettingsSection, keys, codec);
  FUZZ_CHECK(values.size() == keys.size());
  qf::MemoryStream stream;
  qf::WriteAnsiToStream(stream, text);
  for (std::size_t k = 0; k < keys.size(); ++k) {
    FUZZ_CHECK(values[k] == qf::ReadIniValueFromStream(stream, qf::kSettingsSection, keys[k], codec));
  }
  // A NUL ends the text, so the whole input, key part included, reads the same.
  FUZZ_CHECK(qf::ReadIniValues(input, qf::kSettingsSection, keys, codec) == values);
  return 0;
}
