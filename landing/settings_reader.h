#pragma once
// The deployment settings: an INI-style section in the landing reply in the
// ANSI code page. ReadIniValueFromStream reads one key from a memory buffer;
// ReadIniValues reads any number of keys in one pass over the text and is
// what start-up uses.
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

// For each key in order, what ReadIniValueFromStream gives for a stream
// holding exactly `ansi`, with the same section and codec; the result has one
// value per key, duplicates and empty keys included. The text is read once,
// in place: no copy of it and no string per line. Each key line of the
// section has its key converted and trimmed once and is matched against every
// key not yet found (the first match per key wins); a value is converted only
// for a line that some key takes. The walk stops at the section's end or as
// soon as every key is found, so text after that is never looked at.
std::vector<std::wstring> ReadIniValues(std::string_view ansi, std::wstring_view section,
                                        const std::vector<std::wstring>& keys, const AnsiCodec& codec);

}  // namespace qf
