#pragma once
// The deployment settings: an INI-style section in the landing reply, read
// one key at a time from a memory buffer holding the reply in the ANSI code
// page.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "landing/ansi_codec.h"

namespace qf {

// A growable in-memory byte stream with a read/write position.
class MemoryStream {
 public:
  void Write(const void* bytes, std::size_t count);
  void Seek(std::size_t position) { position_ = position < data_.size() ? position : data_.size(); }
  std::size_t Position() const { return position_; }
  std::size_t Size() const { return data_.size(); }
  // Reads from the position to the end and leaves the position there.
  std::string ReadToEnd();

 private:
  std::vector<std::uint8_t> data_;
  std::size_t position_ = 0;
};

// Writes exactly the text's bytes at the position: no NUL, no length, no BOM.
void WriteAnsiToStream(MemoryStream& stream, std::string_view ansi);

// Splits 8-bit text into lines: CR, LF and CR LF each end a line (LF CR is
// two breaks); a NUL byte ends the text; a break at the very end adds no
// empty line. Lines keep their bytes.
std::vector<std::string> SplitIniLines(std::string_view text);

// The trimmed value of the first line of the section whose key matches, or
// "". The stream is read from 0 to its end each call. The header line must be
// exactly "[" section "]" with ASCII case folding; the section ends at the next
// line whose first byte is "[". Keys are compared with codec.SameKey.
std::wstring ReadIniValueFromStream(MemoryStream& stream, std::wstring_view section, std::wstring_view key,
                                    const AnsiCodec& codec);

}  // namespace qf
