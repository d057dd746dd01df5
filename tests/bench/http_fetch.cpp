// The download benchmark's references under Wine, fetching a URL into
// nothing, without the window, the file or the bar:
//   bench_http_fetch <url>        the program's own HTTP client
//   bench_http_fetch <url> bare   a bare synchronous WinHTTP read loop
// Prints the bytes and the milliseconds.
#include <windows.h>
#include <winhttp.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/http_client.h"

namespace {
struct Discard final : qf::BodySink {
  std::size_t bytes = 0;
  bool Write(const std::uint8_t*, std::size_t count) override {
    bytes += count;
    return true;
  }
};

// What any WinHTTP client does at the least: one request, 1 MiB reads.
std::size_t BareFetch(const wchar_t* url) {
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = parts.dwUrlPathLength = static_cast<DWORD>(-1);
  if (!::WinHttpCrackUrl(url, 0, 0, &parts)) return 0;
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  const std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
  HINTERNET session = ::WinHttpOpen(L"bench", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
  HINTERNET connection = session ? ::WinHttpConnect(session, host.c_str(), parts.nPort, 0) : nullptr;
  HINTERNET request = connection ? ::WinHttpOpenRequest(connection, L"GET", path.c_str(), nullptr, nullptr, nullptr, 0)
                                 : nullptr;
  std::size_t total = 0;
  if (request && ::WinHttpSendRequest(request, nullptr, 0, nullptr, 0, 0, 0) &&
      ::WinHttpReceiveResponse(request, nullptr)) {
    std::vector<char> block(1 << 20);
    DWORD got = 0;
    while (::WinHttpReadData(request, block.data(), static_cast<DWORD>(block.size()), &got) && got > 0) total += got;
  }
  for (HINTERNET handle : {request, connection, session})
    if (handle) ::WinHttpCloseHandle(handle);
  return total;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const ULONGLONG start = ::GetTickCount64();
  if (argc >= 3 && std::wstring(argv[2]) == L"bare") {
    const std::size_t bytes = BareFetch(argv[1]);
    std::printf("ok=%d bytes=%zu ms=%llu\n", bytes > 0 ? 1 : 0, bytes, ::GetTickCount64() - start);
    return bytes > 0 ? 0 : 1;
  }
  qf::HttpClient client(qf::HttpClientSettings{});
  Discard sink;
  const qf::HttpReply reply = client.Get(argv[1], sink);
  std::printf("ok=%d status=%d error=%lu bytes=%zu ms=%llu\n", reply.Ok() ? 1 : 0, reply.status,
              static_cast<unsigned long>(reply.systemError), sink.bytes, ::GetTickCount64() - start);
  return reply.Ok() ? 0 : 1;
}
