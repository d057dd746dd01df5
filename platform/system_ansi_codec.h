#pragma once
#include "landing/ansi_codec.h"

namespace qf {
// The machine's active ANSI code page and the user's locale.
class SystemAnsiCodec final : public AnsiCodec {
 public:
  std::wstring ToWide(std::string_view ansi) const override;
  std::string ToAnsi(std::wstring_view wide) const override;
  // CompareStringW with LOCALE_USER_DEFAULT and NORM_IGNORECASE.
  bool SameKey(std::wstring_view a, std::wstring_view b) const override;
};
}  // namespace qf
