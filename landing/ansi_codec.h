#pragma once
// The system's ANSI code page as the settings reader and the reply decoder
// need it. Windows answers with the real code page (platform/); the native
// build and the fuzzers use the Windows-1252 stand-in below.
#include <string>
#include <string_view>

namespace qf {

class AnsiCodec {
 public:
  virtual ~AnsiCodec() = default;
  // 8-bit text in the code page to UTF-16 code units. Empty input gives empty
  // output; an empty result for non-empty input means the text could not be
  // decoded.
  virtual std::wstring ToWide(std::string_view ansi) const = 0;
  // UTF-16 to the code page; characters it lacks become a best-fit or "?".
  virtual std::string ToAnsi(std::wstring_view wide) const = 0;
  // Whether two settings keys are the same key: a case-insensitive,
  // linguistic comparison in the user's locale.
  virtual bool SameKey(std::wstring_view a, std::wstring_view b) const = 0;
};

// Windows-1252 with case folding of ASCII and Latin-1 letters: what a Western
// European Windows machine answers, close enough for tests and fuzzing.
class Cp1252Codec final : public AnsiCodec {
 public:
  std::wstring ToWide(std::string_view ansi) const override;
  std::string ToAnsi(std::wstring_view wide) const override;
  bool SameKey(std::wstring_view a, std::wstring_view b) const override;
};

}  // namespace qf
