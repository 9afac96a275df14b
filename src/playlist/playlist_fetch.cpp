#include "playlist/playlist_fetch.h"

#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "common/gbk.h"

namespace {

// The program's texts, converted to GBK once.
struct Words {
  Text fetching = utf8ToGbk("获取中..");
  Text done = utf8ToGbk("获取完成!!空间音乐总数:");
  Text failed = utf8ToGbk("获取失败!!");
  Text songDash = utf8ToGbk(" － ");  // U+FF0D, the full-width hyphen-minus
  Text address = utf8ToGbk("  地址:");
  Text cannotConnect = utf8ToGbk("无法连接");
  Text timedOut = utf8ToGbk("超时");
  Text broken = utf8ToGbk("传输中断");
  Text tooLarge = utf8ToGbk("响应过大");
  Text invalidAddress = utf8ToGbk("地址无效");
  Text parseLimit = utf8ToGbk("解析超限");
};

const Words& words() {
  static const Words instance;
  return instance;
}

bool isUnreserved(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
         (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~';
}

// Whatever was typed or pasted, the request line stays one line. "#" is left
// alone so that it still ends the address.
Text percentEncoded(const Text& account) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  Text encoded;
  for (const char c : account) {
    const auto byte = static_cast<unsigned char>(c);
    if (isUnreserved(byte) || byte == '#') {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0x0F];
    }
  }
  return encoded;
}

// The text without a lead byte left hanging at its end, which would
// otherwise pair with the first byte of whatever is written after it.
Text withoutDanglingLeadByte(const Text& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const bool twoBytes = static_cast<unsigned char>(text[i]) >= 0x80;
    if (twoBytes && i + 1 == text.size()) return text.substr(0, i);
    i += twoBytes ? 2 : 1;
  }
  return text;
}

// Why the fetch failed, or nothing when the answer is a page to read.
std::optional<Text> failureReason(const HttpResponse& response) {
  const Words& w = words();
  switch (response.outcome) {
    case HttpOutcome::kComplete:
      if (response.status >= 400) return "HTTP " + std::to_string(response.status);
      return std::nullopt;
    case HttpOutcome::kInvalidAddress:
      return w.invalidAddress;
    case HttpOutcome::kCannotConnect:
      return w.cannotConnect;
    case HttpOutcome::kTimedOut:
      return w.timedOut;
    case HttpOutcome::kTooLarge:
      return w.tooLarge;
    case HttpOutcome::kBroken:
    case HttpOutcome::kCancelled:
      break;
  }
  return w.broken;
}

}  // namespace

void fetchPlaylist(PlaylistView& view, RegexObject& regex, const FetchSettings& settings,
                   const std::atomic<bool>& cancel) {
  const Words& w = words();
  const auto closingStatus = [&](const Text& outcome) {
    view.setStatusPartText(0, "QQ:" + withoutDanglingLeadByte(view.numberBoxText()) + outcome);
  };

  if (cancel) return;
  view.setStatusPartText(0, w.fetching);
  const Text url = settings.urlPrefix + percentEncoded(trimBlanks(view.numberBoxText()));
  Text page;
  {
    const HttpResponse response = getUrlBytes(url, settings.http, &cancel);
    if (cancel) return;
    if (const std::optional<Text> reason = failureReason(response)) {
      closingStatus(w.failed + *reason);
      return;
    }
    page = bytesToText(response.body);
  }  // the body goes here: a large playlist is not held twice
  if (page.empty()) {
    closingStatus(w.done + "0");
    return;
  }

  // The pattern runs before the list is emptied, so that a document that
  // trips the engine's limits leaves the user's list as it was.
  if (!regex.create(Text(kPlaylistPattern), std::move(page)) &&
      regex.status() == RegexStatus::kLimitExceeded) {
    closingStatus(w.failed + w.parseLimit);
    return;
  }
  if (cancel) return;
  view.deleteAllRows();
  const std::int32_t songs = regex.matchCount();
  for (std::int32_t i = 1; i <= songs; ++i) {
    if (cancel) return;
    const int row = view.appendRow();
    const Text title = regex.subMatchText(i, 2);
    const Text singer = regex.subMatchText(i, 1);
    const Text address = regex.subMatchText(i, 3);
    view.setStatusPartText(0, title + w.songDash + singer + w.address + address);
    view.setCellText(row, 0, title + "-" + singer);
    view.setCellText(row, 1, address);
  }
  if (cancel) return;
  closingStatus(w.done + std::to_string(regex.matchCount()));
}

FetchController::FetchController(PlaylistView& view, RegexObject& regex, FetchSettings settings)
    : view_(view), regex_(regex), settings_(std::move(settings)) {}

FetchController::~FetchController() { stop(); }

bool FetchController::start() {
  if (running_) return false;
  if (worker_.joinable()) worker_.join();  // finished: its flag is down
  running_ = true;
  try {
    worker_ = std::thread([this] {
      fetchPlaylist(view_, regex_, settings_, cancel_);
      running_ = false;
    });
  } catch (const std::system_error&) {
    running_ = false;
    return false;
  }
  return true;
}

bool FetchController::running() const { return running_; }

void FetchController::stop() {
  cancel_ = true;
  if (worker_.joinable()) worker_.join();
  cancel_ = false;
}
