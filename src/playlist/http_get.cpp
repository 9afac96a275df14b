#include "playlist/http_get.h"

#include <curl/curl.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "playlist/playlist_pattern.h"

namespace {

// Longest parts an address may have; anything longer is refused unsent.
constexpr std::size_t kMaxHostChars = 256;
constexpr std::size_t kMaxTargetChars = 2048;  // path and query together
constexpr std::size_t kMaxUserChars = 128;     // user name, and password

// How often the transfer loop wakes up to look at the cancel flag and the
// stall clock when no data arrives.
constexpr long kPollStepMs = 20;

using Clock = std::chrono::steady_clock;

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct UrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using MultiHandle = std::unique_ptr<CURLM, MultiDeleter>;
using UrlHandle = std::unique_ptr<CURLU, UrlDeleter>;
using HeaderList = std::unique_ptr<curl_slist, SlistDeleter>;

// What the callbacks share with the transfer loop; all on the calling thread.
struct Transfer {
  Transfer(const HttpLimits& transferLimits, const std::atomic<bool>* cancelFlag)
      : limits(transferLimits), cancel(cancelFlag) {}

  const HttpLimits& limits;
  const std::atomic<bool>* cancel;
  CURL* easy = nullptr;
  Bytes body;
  Clock::time_point lastByteAt = Clock::now();
  std::optional<HttpOutcome> stoppedBy;  // set when we end the transfer ourselves

  // Decides whether to end the transfer now, remembering why.
  bool shouldStop() {
    if (stoppedBy) return true;
    if (cancel != nullptr && cancel->load()) {
      stoppedBy = HttpOutcome::kCancelled;
    } else if (Clock::now() - lastByteAt >= limits.stallTimeout) {
      stoppedBy = HttpOutcome::kTimedOut;
    }
    return stoppedBy.has_value();
  }
};

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const std::size_t n = size * count;
  transfer.lastByteAt = Clock::now();
  if (n > transfer.limits.maxBodyBytes - transfer.body.size()) {
    transfer.stoppedBy = HttpOutcome::kTooLarge;
    return 0;  // anything but n makes libcurl end the transfer
  }
  if (transfer.body.empty()) {
    // One allocation for the whole body when its length is announced, rather
    // than a run of doublings that would briefly need twice the memory.
    curl_off_t announced = -1;
    if (curl_easy_getinfo(transfer.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) ==
            CURLE_OK &&
        announced > 0 && static_cast<std::uint64_t>(announced) <= transfer.limits.maxBodyBytes) {
      transfer.body.reserve(static_cast<std::size_t>(announced));
    }
  }
  transfer.body.insert(transfer.body.end(), data, data + n);
  return n;
}

std::size_t onHeader(char*, std::size_t size, std::size_t count, void* user) {
  static_cast<Transfer*>(user)->lastByteAt = Clock::now();
  return size * count;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<Transfer*>(user)->shouldStop() ? 1 : 0;
}

std::string urlPart(CURLU* url, CURLUPart part) {
  char* text = nullptr;
  if (curl_url_get(url, part, &text, 0) != CURLUE_OK || text == nullptr) return {};
  std::string result(text);
  curl_free(text);
  return result;
}

// The address as libcurl should see it, or nothing when it must not be sent.
std::optional<std::string> checkedAddress(const Text& url) {
  const std::string cut = url.substr(0, url.find('#'));
  if (cut.empty()) return std::nullopt;
  UrlHandle parsed(curl_url());
  if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, cut.c_str(), 0) != CURLUE_OK) {
    return std::nullopt;
  }
  const std::string path = urlPart(parsed.get(), CURLUPART_PATH);
  const std::string query = urlPart(parsed.get(), CURLUPART_QUERY);
  const std::size_t targetChars = path.size() + (query.empty() ? 0 : 1 + query.size());
  if (urlPart(parsed.get(), CURLUPART_HOST).size() > kMaxHostChars ||
      targetChars > kMaxTargetChars ||
      urlPart(parsed.get(), CURLUPART_USER).size() > kMaxUserChars ||
      urlPart(parsed.get(), CURLUPART_PASSWORD).size() > kMaxUserChars) {
    return std::nullopt;
  }
  return cut;
}

HttpOutcome outcomeOf(CURLcode code) {
  switch (code) {
    case CURLE_OK:
      return HttpOutcome::kComplete;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
      return HttpOutcome::kInvalidAddress;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_TOO_MANY_REDIRECTS:
      return HttpOutcome::kCannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
      return HttpOutcome::kTimedOut;
    case CURLE_FILESIZE_EXCEEDED:
      return HttpOutcome::kTooLarge;
    default:
      return HttpOutcome::kBroken;
  }
}

bool configure(CURL* easy, const std::string& url, curl_slist* headers, Transfer& transfer) {
  const HttpLimits& limits = transfer.limits;
  const std::string userAgent(kUserAgent);
  const bool ok =
      curl_easy_setopt(easy, CURLOPT_URL, url.c_str()) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0)) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_USERAGENT, userAgent.c_str()) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers) == CURLE_OK &&
      // An empty proxy name turns off the proxy variables of the environment.
      curl_easy_setopt(easy, CURLOPT_PROXY, "") == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                       static_cast<long>(limits.connectTimeout.count())) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE,
                       static_cast<curl_off_t>(limits.maxBodyBytes)) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, onProgress) == CURLE_OK &&
      curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &transfer) == CURLE_OK;
  return ok;
}

}  // namespace

void initHttpClient() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

HttpResponse getUrlBytes(const Text& url, const HttpLimits& limits,
                         const std::atomic<bool>* cancel) {
  initHttpClient();
  HttpResponse response;
  const std::optional<std::string> address = checkedAddress(url);
  if (!address) {
    response.outcome = HttpOutcome::kInvalidAddress;
    return response;
  }

  Transfer transfer(limits, cancel);
  EasyHandle easy(curl_easy_init());
  MultiHandle multi(curl_multi_init());
  HeaderList headers(curl_slist_append(nullptr, "Accept: */*"));
  for (const char* line : {"Cache-Control: no-cache", "Pragma: no-cache"}) {
    if (headers) {
      curl_slist* longer = curl_slist_append(headers.get(), line);
      if (longer == nullptr) headers.reset();
    }
  }
  transfer.easy = easy.get();
  if (!easy || !multi || !headers || !configure(easy.get(), *address, headers.get(), transfer) ||
      curl_multi_add_handle(multi.get(), easy.get()) != CURLM_OK) {
    response.outcome = HttpOutcome::kBroken;
    return response;
  }

  // The multi interface lets us wake up every kPollStepMs, so a cancel or a
  // stall is seen promptly even while the server sends nothing at all.
  CURLcode result = CURLE_OK;
  bool failed = false;
  for (;;) {
    int stillRunning = 0;
    if (curl_multi_perform(multi.get(), &stillRunning) != CURLM_OK) {
      failed = true;
      break;
    }
    if (stillRunning == 0) {
      int queued = 0;
      while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
        if (message->msg == CURLMSG_DONE) result = message->data.result;
      }
      break;
    }
    if (transfer.shouldStop()) break;
    if (curl_multi_poll(multi.get(), nullptr, 0, kPollStepMs, nullptr) != CURLM_OK) {
      failed = true;
      break;
    }
  }

  curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &response.status);
  curl_multi_remove_handle(multi.get(), easy.get());

  if (transfer.stoppedBy) {
    response.outcome = *transfer.stoppedBy;
  } else if (failed) {
    response.outcome = HttpOutcome::kBroken;
  } else {
    response.outcome = outcomeOf(result);
  }
  response.body = std::move(transfer.body);
  return response;
}
