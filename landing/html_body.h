#pragma once
#include <string>
#include <string_view>

namespace qf {

// The trimmed text between the first "<BODY>" and the first "</BODY>"
// (letters a-z folded to A-Z, nothing else). Empty when "</BODY>" is missing
// or comes before "<BODY>", or neither is present.
//
// A reply whose opening body tag carries attributes ("<body class=x>") has
// no exact "<BODY>". Such a reply is still used: when no exact "<BODY>" is
// present, an opening tag "<BODY" followed by a blank (space, tab, CR, LF)
// that comes before the first "</BODY>" counts as the opening tag, and the
// text from just after its first ">" up to "</BODY>" is taken and trimmed
// (empty when no ">" lies in between).
std::wstring ExtractHtmlBody(std::wstring_view text);

}  // namespace qf
