// getUrlBytes: one HTTP GET, the body handed back as bytes.
//
// The request is HTTP/1.0 with the User-Agent kUserAgent, "Accept: */*" and
// no-cache directives. No proxy is used, whatever the environment says; no
// cookies are kept; redirects are followed (at most kMaxRedirects).
//
// Threads: any thread may call getUrlBytes, each call uses its own libcurl
// handles. libcurl's global set-up runs once, on the first call; a program
// that starts other libcurl users on several threads should call
// initHttpClient() before starting them.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>

#include "common/text.h"

inline constexpr long kMaxRedirects = 5;

// How long a transfer may take and how much it may bring. The defaults are
// what the program runs with; tests pass short values.
struct HttpLimits {
  // Giving up on a connection that cannot be made (0 leaves libcurl's 300 s).
  std::chrono::milliseconds connectTimeout{10'000};
  // Giving up when no byte has arrived for this long (counted from the start
  // of the call, then from the last byte received).
  std::chrono::milliseconds stallTimeout{30'000};
  // A body longer than this is not accepted.
  std::size_t maxBodyBytes = 64u * 1024 * 1024;
};

// How a transfer ended.
enum class HttpOutcome {
  kComplete,        // the body was read to its end; see status for the answer
  kInvalidAddress,  // nothing was sent: empty, malformed or over-long address
  kCannotConnect,   // host not found or connection refused
  kTimedOut,        // no connection within connectTimeout, or a stall
  kBroken,          // the connection or the answer failed part-way
  kTooLarge,        // the body went over maxBodyBytes
  kCancelled,       // the cancel flag was set
};

struct HttpResponse {
  // Every body byte received, in order, whatever the status and also when the
  // transfer failed part-way (at most maxBodyBytes).
  Bytes body;
  HttpOutcome outcome = HttpOutcome::kInvalidAddress;
  // Status code of the last answer received; 0 when there was none.
  long status = 0;
};

// Sets libcurl up for the whole program. Safe to call more than once and from
// several threads; getUrlBytes calls it itself.
void initHttpClient();

// GETs `url`, a complete absolute http:// or https:// address. Everything from
// the first "#" on is dropped before the address is looked at. An address
// whose host is over 256 characters, whose path with its query is over 2048,
// or whose user name or password is over 128, is not sent.
//
// Blocks until the body has been read or the transfer has failed. When
// `cancel` is given and becomes true, the transfer is abandoned within a few
// tens of milliseconds and the outcome is kCancelled.
HttpResponse getUrlBytes(const Text& url, const HttpLimits& limits = {},
                         const std::atomic<bool>* cancel = nullptr);
