// The benchmark's reference under Wine: the program's own HTTP client
// fetching a URL into nothing, without the window, the file or the bar.
// Prints the bytes and the milliseconds.
#include <windows.h>

#include <cstdio>

#include "platform/http_client.h"

namespace {
struct Discard final : qf::BodySink {
  std::size_t bytes = 0;
  bool Write(const std::uint8_t*, std::size_t count) override {
    bytes += count;
    return true;
  }
};
}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  qf::HttpClient client(qf::HttpClientSettings{});
  Discard sink;
  const ULONGLONG start = ::GetTickCount64();
  const qf::HttpReply reply = client.Get(argv[1], sink);
  std::printf("ok=%d status=%d error=%lu bytes=%zu ms=%llu\n", reply.Ok() ? 1 : 0, reply.status,
              static_cast<unsigned long>(reply.systemError), sink.bytes, ::GetTickCount64() - start);
  return reply.Ok() ? 0 : 1;
}
