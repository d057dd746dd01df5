#include "platform/http_client.h"

#include <algorithm>
#include <optional>

#include "common/text.h"
#include "common/url.h"

namespace qf {

namespace {

// Reading in blocks of this size keeps memory flat for any body length.
constexpr DWORD kReadBlockBytes = 64 * 1024;
// The reply headers the program accepts, all of them together: real servers
// send a few KiB; Windows' WinHTTP enforces the option itself, and the
// program checks the size again because Wine's does not.
constexpr DWORD kMaxResponseHeaderBytes = 64 * 1024;
// A Location longer than this is no address a real server sends.
constexpr DWORD kMaxLocationChars = 8 * 1024;
// Content-Length and Content-Encoding are short tokens.
constexpr DWORD kMaxTokenChars = 256;
constexpr DWORD kWinsockTimedOut = 10060;  // what Wine reports for a stalled body

bool IsFollowedRedirect(int status) {
  return status == 300 || status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}
bool RedirectBecomesGet(int status) { return status == 301 || status == 302 || status == 303; }

HttpError ErrorFromCode(DWORD code) {
  switch (code) {
    case ERROR_WINHTTP_TIMEOUT:
    case kWinsockTimedOut:
      return HttpError::TimedOut;
    case ERROR_WINHTTP_CANNOT_CONNECT:
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      return HttpError::CannotConnect;
    case ERROR_WINHTTP_INVALID_URL:
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
      return HttpError::BadAddress;
    case ERROR_WINHTTP_REDIRECT_FAILED:
      return HttpError::TooManyRedirects;
    default:
      return HttpError::Transfer;
  }
}

void Fail(HttpReply& reply, HttpError error, DWORD code = 0) {
  reply.error = error;
  reply.systemError = code;
}

// One reply header, or nothing when it is absent or longer than maxChars.
std::optional<std::wstring> QueryHeader(HINTERNET request, DWORD info, DWORD maxChars) {
  DWORD bytes = 0;
  if (::WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &bytes,
                            WINHTTP_NO_HEADER_INDEX) ||
      ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return std::nullopt;
  if (bytes / sizeof(wchar_t) > maxChars) return std::nullopt;
  std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
  DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (!::WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, value.data(), &size,
                             WINHTTP_NO_HEADER_INDEX))
    return std::nullopt;
  value.resize(size / sizeof(wchar_t));
  return value;
}

bool HasHeader(HINTERNET request, DWORD info) {
  DWORD bytes = 0;
  return !::WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &bytes,
                                WINHTTP_NO_HEADER_INDEX) &&
         ::GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

std::int64_t ParseContentLength(const std::optional<std::wstring>& text) {
  if (!text) return -1;
  const std::wstring digits = Trim(*text);
  if (digits.empty() || digits.size() > 18) return -1;
  std::int64_t value = 0;
  for (wchar_t c : digits) {
    if (c < L'0' || c > L'9') return -1;
    value = value * 10 + (c - L'0');
  }
  return value;
}

std::string NarrowToken(const std::optional<std::wstring>& text) {
  std::string out;
  if (!text) return out;
  for (wchar_t c : *text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

}  // namespace

bool MemorySink::Write(const std::uint8_t* bytes, std::size_t count) {
  if (count > maxBytes_ - data_.size()) return false;
  data_.append(reinterpret_cast<const char*>(bytes), count);
  return true;
}

HttpClient::HttpClient(HttpClientSettings settings) : settings_(std::move(settings)) {
  // Windows 8.1 and later find the proxy the way the user's system does
  // (static settings, WPAD, PAC). Older systems take the user's static proxy.
  session_.reset(::WinHttpOpen(settings_.userAgent.c_str(), WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                               WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (session_) {
    automaticProxy_ = true;
  } else {
    session_.reset(::WinHttpOpen(settings_.userAgent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                 WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
    if (::WinHttpGetIEProxyConfigForCurrentUser(&config)) {
      if (config.lpszProxy) namedProxy_ = config.lpszProxy;
      if (config.lpszProxyBypass) proxyBypass_ = config.lpszProxyBypass;
      for (LPWSTR text : {config.lpszProxy, config.lpszProxyBypass, config.lpszAutoConfigUrl})
        if (text) ::GlobalFree(text);
    }
  }
  if (session_) {
    ::WinHttpSetTimeouts(session_.get(), static_cast<int>(settings_.connectTimeoutMs),
                         static_cast<int>(settings_.connectTimeoutMs), static_cast<int>(settings_.responseTimeoutMs),
                         static_cast<int>(settings_.responseTimeoutMs));
  }
}

HttpReply HttpClient::Get(const std::wstring& address, BodySink& sink) {
  return Send({L"GET", address, nullptr, L""}, sink);
}

HttpReply HttpClient::Post(const std::wstring& address, const std::string& body, const std::wstring& contentType,
                           BodySink& sink) {
  return Send({L"POST", address, &body, contentType}, sink);
}

bool HttpClient::ApplyProxy(HINTERNET request, const std::wstring&) {
  if (automaticProxy_ || namedProxy_.empty()) return true;
  WINHTTP_PROXY_INFO info{};
  info.dwAccessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
  info.lpszProxy = namedProxy_.data();
  info.lpszProxyBypass = proxyBypass_.empty() ? nullptr : proxyBypass_.data();
  return ::WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &info, sizeof info) != FALSE;
}

HttpReply HttpClient::Send(Request r, BodySink& sink) {
  HttpReply reply;
  if (!session_) {
    Fail(reply, HttpError::Transfer, ::GetLastError());
    return reply;
  }
  for (int redirects = 0;;) {
    reply.finalAddress = r.address;
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength =
        static_cast<DWORD>(-1);
    if (r.address.empty() || r.address.size() > 0xFFFF ||
        !::WinHttpCrackUrl(r.address.c_str(), static_cast<DWORD>(r.address.size()), 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) ||
        parts.dwHostNameLength == 0) {
      Fail(reply, HttpError::BadAddress, ::GetLastError());
      return reply;
    }
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath ? parts.lpszUrlPath : L"", parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo ? parts.lpszExtraInfo : L"", parts.dwExtraInfoLength);
    if (const std::size_t hash = path.find(L'#'); hash != std::wstring::npos) path.resize(hash);
    if (path.empty() || path[0] != L'/') path.insert(path.begin(), L'/');

    const WinHttpHandle connection(::WinHttpConnect(session_.get(), host.c_str(), parts.nPort, 0));
    if (!connection) {
      const DWORD code = ::GetLastError();
      Fail(reply, ErrorFromCode(code), code);
      return reply;
    }
    // HTTP/1.0: the server then never sends a chunked body, whose broken or
    // cut framing WinHTTP under Wine passes off as a complete body.
    const WinHttpHandle request(::WinHttpOpenRequest(connection.get(), r.method.c_str(), path.c_str(), L"HTTP/1.0",
                                                     WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                     parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
    if (!request) {
      const DWORD code = ::GetLastError();
      Fail(reply, ErrorFromCode(code), code);
      return reply;
    }
    // Redirects are followed here, by the program's own method rules.
    DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    ::WinHttpSetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof never);
    // Without it a server that accepts and never answers holds the call forever.
    DWORD responseTimeout = settings_.responseTimeoutMs;
    ::WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout,
                       sizeof responseTimeout);
    DWORD maxHeaders = kMaxResponseHeaderBytes;
    ::WinHttpSetOption(request.get(), WINHTTP_OPTION_MAX_RESPONSE_HEADER_SIZE, &maxHeaders, sizeof maxHeaders);
    ApplyProxy(request.get(), r.address);

    std::wstring headers;
    for (const auto& [name, value] : settings_.headers) headers += name + L": " + value + L"\r\n";
    if (r.body && !r.contentType.empty()) headers += L"Content-Type: " + r.contentType + L"\r\n";
    if (!headers.empty())
      ::WinHttpAddRequestHeaders(request.get(), headers.c_str(), static_cast<DWORD>(headers.size()),
                                 WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);

    const DWORD bodyLength = r.body ? static_cast<DWORD>(r.body->size()) : 0;
    void* bodyData = r.body && !r.body->empty() ? const_cast<char*>(r.body->data()) : WINHTTP_NO_REQUEST_DATA;
    if (!::WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, bodyData, bodyLength, bodyLength, 0) ||
        !::WinHttpReceiveResponse(request.get(), nullptr)) {
      const DWORD code = ::GetLastError();
      Fail(reply, ErrorFromCode(code), code);
      return reply;
    }

    DWORD status = 0;
    DWORD statusSize = sizeof status;
    if (!::WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize, WINHTTP_NO_HEADER_INDEX)) {
      Fail(reply, HttpError::Transfer, ::GetLastError());
      return reply;
    }
    reply.status = static_cast<int>(status);

    if (IsFollowedRedirect(reply.status)) {
      const auto location = QueryHeader(request.get(), WINHTTP_QUERY_LOCATION, kMaxLocationChars);
      if (location && !Trim(*location).empty()) {
        if (++redirects > settings_.maxRedirects) {
          Fail(reply, HttpError::TooManyRedirects);
          return reply;
        }
        const std::wstring next = ResolveLocation(r.address, *location);
        // What was asked for over https never continues in the clear.
        if (IsSecurityDowngrade(r.address, next)) {
          Fail(reply, HttpError::InsecureRedirect);
          return reply;
        }
        r.address = next;
        if (RedirectBecomesGet(reply.status)) {
          r.method = L"GET";
          r.body = nullptr;
          r.contentType.clear();
        }
        continue;
      }
    }

    // However many headers WinHTTP took, the program reads no reply whose
    // headers pass the cap: 64 KiB on the wire, one UTF-16 unit per byte in
    // WinHTTP's copy.
    DWORD rawHeaderBytes = 0;
    if (!::WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                               WINHTTP_NO_OUTPUT_BUFFER, &rawHeaderBytes, WINHTTP_NO_HEADER_INDEX) &&
        ::GetLastError() == ERROR_INSUFFICIENT_BUFFER && rawHeaderBytes / sizeof(wchar_t) > kMaxResponseHeaderBytes) {
      Fail(reply, HttpError::Transfer);
      return reply;
    }

    reply.contentLength = ParseContentLength(QueryHeader(request.get(), WINHTTP_QUERY_CONTENT_LENGTH, kMaxTokenChars));
    // A chunked reply to an HTTP/1.0 request breaks the protocol, and its end
    // cannot be checked: it is a transfer error, never a complete body.
    if (IsHttpSuccess(reply.status) && HasHeader(request.get(), WINHTTP_QUERY_TRANSFER_ENCODING)) {
      Fail(reply, HttpError::Transfer);
      return reply;
    }
    reply.contentEncoding = NarrowToken(QueryHeader(request.get(), WINHTTP_QUERY_CONTENT_ENCODING, kMaxTokenChars));
    if (IsHttpSuccess(reply.status)) ReadBody(request.get(), reply, sink);
    return reply;
  }
}

void HttpClient::ReadBody(HINTERNET request, HttpReply& reply, BodySink& sink) {
  if (!sink.Accepts(reply.contentLength)) {
    Fail(reply, HttpError::SinkRefused);
    return;
  }
  std::int64_t received = 0;
  if (progress_) progress_(reply.contentLength, 0);
  std::vector<std::uint8_t> block(kReadBlockBytes);
  for (;;) {
    DWORD wanted = kReadBlockBytes;
    if (reply.contentLength >= 0) {
      // Never read past what was announced: extra bytes are not the body.
      const std::int64_t remaining = reply.contentLength - received;
      if (remaining <= 0) break;
      wanted = static_cast<DWORD>(std::min<std::int64_t>(remaining, kReadBlockBytes));
    }
    DWORD got = 0;
    if (!::WinHttpReadData(request, block.data(), wanted, &got)) {
      const DWORD code = ::GetLastError();
      Fail(reply, ErrorFromCode(code), code);
      return;
    }
    if (got == 0) {
      if (reply.contentLength >= 0 && received < reply.contentLength) Fail(reply, HttpError::Truncated);
      return;
    }
    if (!sink.Write(block.data(), got)) {
      Fail(reply, HttpError::SinkRefused);
      return;
    }
    received += got;
    if (progress_) progress_(reply.contentLength, received);
  }
}

}  // namespace qf
