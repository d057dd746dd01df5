#pragma once
// Access to the loopback test server the Windows tests run beside.
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/http_client.h"
#include "platform/text_conversion.h"

namespace qf::test {

// The server's address, such as http://127.0.0.1:40123 (empty when the
// tests were started without it).
inline std::wstring Server() {
  const char* address = std::getenv("FETCHWELL_TEST_SERVER");
  return address ? AnsiToWide(address) : std::wstring();
}

// One request as the server received it.
struct RecordedRequest {
  std::string requestLine;
  std::vector<std::pair<std::string, std::string>> headers;  // in order
  std::string body;
  std::string Header(const std::string& name) const {
    for (const auto& [key, value] : headers)
      if (_stricmp(key.c_str(), name.c_str()) == 0) return value;
    return "(absent)";
  }
};

// Everything the server recorded under a token, oldest first.
inline std::vector<RecordedRequest> RecordedRequests(const std::wstring& token) {
  HttpClientSettings settings;
  settings.userAgent = L"log-reader";
  HttpClient client(settings);
  MemorySink sink(1 << 20);
  client.Get(Server() + L"/log/" + token, sink);
  std::vector<RecordedRequest> out;
  const std::string& all = sink.Data();
  std::size_t start = 0;
  while (start < all.size()) {
    std::size_t end = all.find("\n=====\n", start);
    if (end == std::string::npos) end = all.size();
    const std::string raw = all.substr(start, end - start);
    RecordedRequest r;
    const std::size_t headEnd = raw.find("\r\n\r\n");
    const std::string head = raw.substr(0, headEnd);
    r.body = headEnd == std::string::npos ? "" : raw.substr(headEnd + 4);
    std::size_t lineStart = 0;
    bool first = true;
    while (lineStart <= head.size()) {
      std::size_t lineEnd = head.find("\r\n", lineStart);
      if (lineEnd == std::string::npos) lineEnd = head.size();
      const std::string line = head.substr(lineStart, lineEnd - lineStart);
      if (first) r.requestLine = line;
      else if (const std::size_t colon = line.find(": "); colon != std::string::npos)
        r.headers.emplace_back(line.substr(0, colon), line.substr(colon + 2));
      first = false;
      lineStart = lineEnd + 2;
    }
    out.push_back(r);
    start = end + 7;
  }
  return out;
}

// A token unique to this run, so that records of different tests never mix.
inline std::wstring Token(const std::wstring& name) {
  static unsigned counter = 0;
  return name + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

}  // namespace qf::test
