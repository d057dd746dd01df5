#pragma once
// The program's HTTP client over WinHTTP: synchronous GET and form POST,
// bounded waits, redirects followed by the program's own rules, a cookie
// store per client object, a receive-progress callback, and a body sink so
// that a download can stream to a file.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/winhttp_handle.h"

namespace qf {

// Receives the body of a successful reply, block by block.
class BodySink {
 public:
  virtual ~BodySink() = default;
  // False stops the transfer (the sink is full or cannot store the bytes).
  virtual bool Write(const std::uint8_t* bytes, std::size_t count) = 0;
  // Asked before the body is read, with its announced length (-1 if none):
  // false refuses the body without reading any of it.
  virtual bool Accepts(std::int64_t /*announcedLength*/) { return true; }
};

// Keeps the body in memory, up to a cap.
class MemorySink final : public BodySink {
 public:
  explicit MemorySink(std::size_t maxBytes) : maxBytes_(maxBytes) {}
  bool Write(const std::uint8_t* bytes, std::size_t count) override;
  const std::string& Data() const { return data_; }

 private:
  std::size_t maxBytes_;
  std::string data_;
};

enum class HttpError {
  None,
  BadAddress,        // not an http or https address
  CannotConnect,     // name not resolved, refused, unreachable
  TimedOut,          // connecting, or a wait for reply data
  TooManyRedirects,  // more redirects in a row than allowed
  InsecureRedirect,  // a redirect from https to http
  Transfer,          // the connection failed mid-way or the reply was malformed
  Truncated,         // fewer body bytes than the Content-Length announced
  SinkRefused,       // the sink stopped the transfer
};

struct HttpClientSettings {
  std::wstring userAgent;
  DWORD connectTimeoutMs = 10000;   // name resolution and connecting
  DWORD responseTimeoutMs = 10000;  // sending, and each wait for reply data
  int maxRedirects = 5;
  // Sent with every request of the client, redirects included.
  std::vector<std::pair<std::wstring, std::wstring>> headers;
};

struct HttpReply {
  HttpError error = HttpError::None;
  DWORD systemError = 0;  // the WinHTTP or Winsock code behind an error
  int status = 0;         // final status code; 0 when no reply came
  std::int64_t contentLength = -1;  // -1 when none was announced
  std::string contentEncoding;
  std::wstring finalAddress;
  bool Ok() const { return error == HttpError::None; }
};

// Called once before the first block of a reply below 300 with 0 bytes read,
// then after each block with the running total. total is the announced
// Content-Length, or -1.
using ProgressHandler = std::function<void(std::int64_t total, std::int64_t read)>;

class HttpClient {
 public:
  explicit HttpClient(HttpClientSettings settings);
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  void SetProgressHandler(ProgressHandler handler) { progress_ = std::move(handler); }

  // The body of a reply from 200 to 299 goes to the sink; bodies of other
  // replies are not read, since nothing uses them.
  HttpReply Get(const std::wstring& address, BodySink& sink);
  HttpReply Post(const std::wstring& address, const std::string& body, const std::wstring& contentType,
                 BodySink& sink);

 private:
  struct Request {
    std::wstring method;
    std::wstring address;
    const std::string* body = nullptr;
    std::wstring contentType;
  };
  HttpReply Send(Request request, BodySink& sink);
  bool ApplyProxy(HINTERNET request, const std::wstring& address);
  void ReadBody(HINTERNET request, HttpReply& reply, BodySink& sink);

  HttpClientSettings settings_;
  ProgressHandler progress_;
  // One session per client: WinHTTP keeps cookies per session handle, so
  // they carry across this client's requests and no further.
  WinHttpHandle session_;
  bool automaticProxy_ = false;
  std::wstring namedProxy_, proxyBypass_;
};

}  // namespace qf
