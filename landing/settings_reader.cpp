#include "landing/settings_reader.h"

#include <cstring>

#include "common/text.h"

namespace qf {

void MemoryStream::Write(const void* bytes, std::size_t count) {
  if (count == 0) return;
  if (count > data_.size() - position_) data_.resize(position_ + count);
  std::memcpy(data_.data() + position_, bytes, count);
  position_ += count;
}

std::string MemoryStream::ReadToEnd() {
  std::string out(data_.begin() + static_cast<std::ptrdiff_t>(position_), data_.end());
  position_ = data_.size();
  return out;
}

void WriteAnsiToStream(MemoryStream& stream, std::string_view ansi) { stream.Write(ansi.data(), ansi.size()); }

std::vector<std::string> SplitIniLines(std::string_view text) {
  // Whatever follows a NUL byte is not part of the text.
  text = text.substr(0, text.find('\0'));

  std::vector<std::string> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    lines.emplace_back(text.substr(start, i - start));
    // CR LF is one break; a lone CR, a lone LF and LF CR's two halves each
    // count on their own.
    i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    start = i;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

namespace {

bool SameHeader(std::string_view line, std::string_view header) {
  if (line.size() != header.size()) return false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (AsciiUpper(line[i]) != AsciiUpper(header[i])) return false;
  }
  return true;
}

}  // namespace

std::wstring ReadIniValueFromStream(MemoryStream& stream, std::wstring_view section, std::wstring_view key,
                                    const AnsiCodec& codec) {
  stream.Seek(0);
  const std::string text = stream.ReadToEnd();
  const std::vector<std::string> lines = SplitIniLines(text);
  std::string header;
  header.reserve(section.size() + 2);
  header.append(1, '[').append(codec.ToAnsi(section)).append(1, ']');

  std::size_t i = 0;
  while (i < lines.size() && !SameHeader(lines[i], header)) ++i;
  if (i == lines.size()) return L"";

  for (++i; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (!line.empty() && line.front() == '[') break;  // the next section starts
    const std::size_t eq = line.find('=');
    // A line without "=" has an empty key; its value is empty too.
    const std::wstring lineKey = eq == std::string_view::npos ? std::wstring() : Trim(codec.ToWide(line.substr(0, eq)));
    if (!codec.SameKey(lineKey, key)) continue;
    if (eq == std::string_view::npos) return L"";
    return Trim(codec.ToWide(line.substr(eq + 1)));
  }
  return L"";
}

}  // namespace qf
