#pragma once
// Resolving the address a redirect points to against the address that
// answered with it.
#include <string>
#include <string_view>

namespace qf {

// The absolute address of a Location value: absolute addresses are taken as
// they are, "//host/..." keeps the scheme, "/path" keeps scheme and host,
// "?query" keeps the path, and relative paths are resolved against the base's
// folder with "." and ".." segments removed. A fragment is dropped.
std::wstring ResolveLocation(std::wstring_view base, std::wstring_view location);

// Whether a redirect from one absolute address to another gives up
// encryption: from https to anything that is not https.
bool IsSecurityDowngrade(std::wstring_view from, std::wstring_view to);

}  // namespace qf
