#include "landing/landing_request_win.h"

#include "landing/form_encoding.h"
#include "landing/reply_decoding.h"
#include "platform/http_client.h"
#include "platform/system_ansi_codec.h"

namespace qf {

std::wstring PostLandingRequest(const std::wstring& address, std::vector<std::wstring>& fields) {
  AppendLandingLines(fields);
  try {
    HttpClientSettings settings;
    settings.userAgent = kLandingUserAgent;
    // The landing page expects this header besides the real Content-Type.
    settings.headers = {{L"ContentType", L"application/x-www-form-urlencoded"}};
    HttpClient client(settings);  // a new client, and so a new cookie store, per call
    MemorySink body(kMaxLandingReplyBytes);
    const HttpReply reply =
        client.Post(address, EncodeFormBody(fields), L"application/x-www-form-urlencoded; charset=utf-8", body);
    if (!reply.Ok()) return {};
    return LandingReplyText(reply.status, body.Data(), reply.contentEncoding, SystemAnsiCodec());
  } catch (...) {
    // Out of memory or any other surprise: the caller sees a failed exchange.
    return {};
  }
}

}  // namespace qf
