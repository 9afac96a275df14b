// Fetching a QQ Zone playlist into the window: fetchPlaylist does one fetch,
// FetchController runs it on a worker thread, one at a time.
#pragma once

#include <atomic>
#include <thread>

#include "common/text.h"
#include "playlist/http_get.h"
#include "playlist/playlist_pattern.h"
#include "playlist/playlist_view.h"
#include "regex/regex_object.h"

struct FetchSettings {
  // The account number, percent-encoded, is appended to this. Tests point it
  // at a loopback server.
  Text urlPrefix{kPlaylistUrlPrefix};
  HttpLimits http;
};

// One fetch, on the calling thread:
//  - status part 0 "获取中..", then the number box is read and trimmed, and
//    every byte of it that is not A-Z a-z 0-9 - . _ ~ or "#" is
//    percent-encoded ("#" ends the address: the rest is never sent);
//  - a failed transfer or an HTTP status of 400 or more ends with
//    "QQ:" + box text + "获取失败!!" + reason; an empty page with
//    "QQ:" + box text + "获取完成!!空间音乐总数:0". In both the list keeps
//    its rows;
//  - a page so hostile that the pattern trips the engine's limits ends with
//    "QQ:" + box text + "获取失败!!解析超限", the list kept;
//  - otherwise the list is emptied and every match of kPlaylistPattern in the
//    page (up to its first zero byte) becomes a row "title-singer" | address,
//    announced in the status, and the fetch ends with
//    "QQ:" + box text + "获取完成!!空间音乐总数:" + count.
// The box text of the closing status is read at that moment (a lead byte
// dangling at its end is left out). All texts GBK.
//
// Once `cancel` is true the transfer is abandoned and the view is not
// touched again; the function returns soon after.
void fetchPlaylist(PlaylistView& view, RegexObject& regex, const FetchSettings& settings,
                   const std::atomic<bool>& cancel);

// Owns the fetch worker. start(), stop() and the destructor must be called
// from one thread (the window's); running() from any.
//
// stop() joins the worker. If the view's operations wait for the thread that
// calls stop(), the view must already be answering at once (the window is
// closing) or the two would wait for each other.
class FetchController {
 public:
  // `view` and `regex` must outlive the controller; the worker uses `regex`
  // alone while it runs.
  FetchController(PlaylistView& view, RegexObject& regex, FetchSettings settings = {});
  ~FetchController();  // stop()

  // Owns a thread that refers to this object: neither copied nor moved.
  FetchController(const FetchController&) = delete;
  FetchController& operator=(const FetchController&) = delete;

  // Starts a fetch on a new worker thread and returns true. While a fetch
  // still runs it does nothing and returns false.
  bool start();

  // True from start() until the worker has finished its fetch.
  bool running() const;

  // Cancels a running fetch and waits for the worker to end: well under a
  // second, even when the server never answers. A later start() works again.
  void stop();

 private:
  PlaylistView& view_;
  RegexObject& regex_;
  const FetchSettings settings_;
  std::atomic<bool> cancel_{false};
  std::atomic<bool> running_{false};
  std::thread worker_;
};
