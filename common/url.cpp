#include "common/url.h"

#include <vector>

#include "common/text.h"

namespace qf {

namespace {

bool HasScheme(std::wstring_view text) {
  // scheme = ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ) ":"
  if (text.empty() || !((text[0] >= L'a' && text[0] <= L'z') || (text[0] >= L'A' && text[0] <= L'Z'))) return false;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L':') return true;
    const bool ok = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'+' ||
                    c == L'-' || c == L'.';
    if (!ok) return false;
  }
  return false;
}

std::wstring RemoveDotSegments(std::wstring_view path) {
  std::vector<std::wstring> segments;
  std::size_t start = 1;  // path starts with "/"
  bool trailingSlash = false;
  while (start <= path.size()) {
    std::size_t end = path.find(L'/', start);
    if (end == std::wstring_view::npos) end = path.size();
    const std::wstring_view segment = path.substr(start, end - start);
    const bool last = end == path.size();
    if (segment == L".") {
      trailingSlash = last;
    } else if (segment == L"..") {
      if (!segments.empty()) segments.pop_back();
      trailingSlash = last;
    } else {
      segments.emplace_back(segment);
      trailingSlash = false;
    }
    start = end + 1;
  }
  std::wstring out;
  for (const auto& segment : segments) out += L"/" + segment;
  if (trailingSlash || out.empty()) out += L"/";
  return out;
}

}  // namespace

std::wstring ResolveLocation(std::wstring_view base, std::wstring_view location) {
  std::wstring loc = Trim(location);
  if (const std::size_t hash = loc.find(L'#'); hash != std::wstring::npos) loc.resize(hash);
  if (HasScheme(loc)) return loc;

  const std::size_t schemeEnd = base.find(L"://");
  if (schemeEnd == std::wstring_view::npos) return loc;
  const std::wstring_view scheme = base.substr(0, schemeEnd);  // without ":"
  if (loc.rfind(L"//", 0) == 0) return std::wstring(scheme) + L":" + loc;

  const std::size_t authorityStart = schemeEnd + 3;
  std::size_t pathStart = base.find_first_of(L"/?#", authorityStart);
  if (pathStart == std::wstring_view::npos) pathStart = base.size();
  const std::wstring origin(base.substr(0, pathStart));
  std::wstring_view basePath = base.substr(pathStart);
  if (const std::size_t cut = basePath.find_first_of(L"?#"); cut != std::wstring_view::npos) {
    basePath = basePath.substr(0, cut);
  }
  if (basePath.empty()) basePath = L"/";

  if (loc.empty()) return origin + std::wstring(basePath);
  if (loc[0] == L'?') return origin + std::wstring(basePath) + loc;

  std::wstring query;
  if (const std::size_t q = loc.find(L'?'); q != std::wstring::npos) {
    query = loc.substr(q);
    loc.resize(q);
  }
  std::wstring merged;
  if (loc[0] == L'/') {
    merged = loc;
  } else {
    const std::size_t lastSlash = basePath.rfind(L'/');
    merged = std::wstring(basePath.substr(0, lastSlash + 1)) + loc;
  }
  return origin + RemoveDotSegments(merged) + query;
}

bool IsSecurityDowngrade(std::wstring_view from, std::wstring_view to) {
  const auto isHttps = [](std::wstring_view address) {
    constexpr std::wstring_view kScheme = L"https:";
    if (address.size() < kScheme.size()) return false;
    for (std::size_t i = 0; i < kScheme.size(); ++i) {
      wchar_t c = address[i];
      if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
      if (c != kScheme[i]) return false;
    }
    return true;
  };
  return isHttps(from) && !isHttps(to);
}

}  // namespace qf
