// The settings reader over arbitrary stream contents.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/window_rules.h"
#include "fuzz/fuzz_check.h"
#include "common/text.h"
#include "landing/ansi_codec.h"
#include "landing/settings_reader.h"
#include "profile/machine_profile.h"

namespace {

std::string Join(const std::vector<std::string>& lines, std::string_view lineBreak) {
  std::string out;
  for (const auto& line : lines) {
    out += line;
    out += lineBreak;
  }
  return out;
}

struct Streams {
  qf::MemoryStream original, crlf, lf;
};

std::wstring CheckedRead(Streams& s, const std::vector<std::string>& lines, std::wstring_view section,
                         std::wstring_view key, const qf::AnsiCodec& codec) {
  const std::wstring value = qf::ReadIniValueFromStream(s.original, section, key, codec);
  FUZZ_CHECK(qf::Trim(value) == value);
  // The kind of line break never matters.
  FUZZ_CHECK(qf::ReadIniValueFromStream(s.crlf, section, key, codec) == value);
  FUZZ_CHECK(qf::ReadIniValueFromStream(s.lf, section, key, codec) == value);
  if (!value.empty()) {
    bool fromSomeLine = false;
    for (const auto& line : lines) {
      const std::size_t eq = line.find('=');
      if (eq != std::string::npos && qf::Trim(codec.ToWide(std::string_view(line).substr(eq + 1))) == value) {
        fromSomeLine = true;
        break;
      }
    }
    FUZZ_CHECK(fromSomeLine);
  }
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string raw(reinterpret_cast<const char*>(data), size);
  const qf::Cp1252Codec codec;

  const std::vector<std::string> lines = qf::SplitIniLines(raw);
  std::size_t bytesInLines = 0;
  for (const auto& line : lines) {
    FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    bytesInLines += line.size();
  }
  FUZZ_CHECK(bytesInLines <= raw.size());
  FUZZ_CHECK(qf::SplitIniLines(Join(lines, "\r\n")) == lines);
  FUZZ_CHECK(qf::SplitIniLines(Join(lines, "\n")) == lines);

  Streams streams;
  qf::WriteAnsiToStream(streams.original, raw);
  qf::WriteAnsiToStream(streams.crlf, Join(lines, "\r\n"));
  qf::WriteAnsiToStream(streams.lf, Join(lines, "\n"));
  FUZZ_CHECK(streams.original.Size() == raw.size());

  for (const wchar_t* key : qf::kSettingsKeys) CheckedRead(streams, lines, qf::kSettingsSection, key, codec);

  // A section and key taken from the input itself: when it opens with a
  // header and a key line, that first key's value is what is read.
  if (lines.size() >= 2 && lines[0].size() >= 2 && lines[0].front() == '[' && lines[0].back() == ']') {
    const std::wstring section = codec.ToWide(std::string_view(lines[0]).substr(1, lines[0].size() - 2));
    const std::string_view keyLine = lines[1];
    const std::size_t eq = keyLine.find('=');
    if (eq != std::string_view::npos && !keyLine.empty() && keyLine.front() != '[') {
      const std::wstring key = qf::Trim(codec.ToWide(keyLine.substr(0, eq)));
      const std::wstring value = CheckedRead(streams, lines, section, key, codec);
      FUZZ_CHECK(value == qf::Trim(codec.ToWide(keyLine.substr(eq + 1))));
    }
  }
  return 0;
}
