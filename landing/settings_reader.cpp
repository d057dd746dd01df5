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

// The lines of 8-bit text one at a time, as views into the text: the same
// lines in the same order as SplitIniLines gives, without copying any.
class IniLineCursor {
 public:
  // Whatever follows a NUL byte is not part of the text.
  explicit IniLineCursor(std::string_view text) : text_(text.substr(0, text.find('\0'))) {}

  // Sets line to the next line; false once the text is used up. A break at
  // the very end of the text leaves nothing behind it, so it adds no line.
  bool Next(std::string_view& line) {
    if (next_ >= text_.size()) return false;
    std::size_t end = next_;
    while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n') ++end;
    line = text_.substr(next_, end - next_);
    if (end == text_.size()) {
      next_ = end;
    } else {
      // CR LF is one break; a lone CR, a lone LF and LF CR's two halves each
      // count on their own.
      next_ = end + ((text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n') ? 2 : 1);
    }
    return true;
  }

 private:
  std::string_view text_;
  std::size_t next_ = 0;
};

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

std::vector<std::wstring> ReadIniValues(std::string_view ansi, std::wstring_view section,
                                        const std::vector<std::wstring>& keys, const AnsiCodec& codec) {
  std::vector<std::wstring> values(keys.size());
  if (keys.empty()) return values;

  std::string header;
  header.reserve(section.size() + 2);
  header.append(1, '[').append(codec.ToAnsi(section)).append(1, ']');

  IniLineCursor lines(ansi);
  std::string_view line;
  bool inSection = false;
  while (!inSection && lines.Next(line)) inSection = SameHeader(line, header);
  if (!inSection) return values;

  // A line without "=", and one whose key trims to nothing, has the empty
  // key. Whether that matches a wanted key is asked once per key rather than
  // once per line, so that long runs of empty lines cost next to nothing. The
  // empty key is a real string, as in the one-key reader, so that SameKey
  // never sees a null pointer.
  const std::wstring emptyKey;
  std::vector<bool> takesEmptyKey(keys.size());
  for (std::size_t k = 0; k < keys.size(); ++k) takesEmptyKey[k] = codec.SameKey(emptyKey, keys[k]);

  std::vector<bool> found(keys.size(), false);
  std::size_t missing = keys.size();
  while (missing > 0 && lines.Next(line)) {
    if (!line.empty() && line.front() == '[') break;  // the next section starts
    const std::size_t eq = line.find('=');
    const std::wstring lineKey = eq == std::string_view::npos ? std::wstring() : Trim(codec.ToWide(line.substr(0, eq)));
    std::wstring value;
    bool valueConverted = false;
    for (std::size_t k = 0; k < keys.size(); ++k) {
      if (found[k]) continue;
      const bool matches = lineKey.empty() ? static_cast<bool>(takesEmptyKey[k]) : codec.SameKey(lineKey, keys[k]);
      if (!matches) continue;
      found[k] = true;
      --missing;
      // A line without "=" gives the empty value, which the key already has.
      if (eq == std::string_view::npos) continue;
      if (!valueConverted) {
        value = Trim(codec.ToWide(line.substr(eq + 1)));
        valueConverted = true;
      }
      values[k] = value;
    }
  }
  return values;
}

}  // namespace qf
