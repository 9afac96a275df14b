// LoopbackServer: a scripted HTTP server on 127.0.0.1 for the tests.
//
// It listens on a free port, serves one connection at a time on its own
// thread, records each raw request (everything up to the blank line) and
// answers connection n with script[n] (the last entry again for later ones).
// The destructor stops it, also while a connection hangs.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct ScriptedAnswer {
  enum class Then { kClose, kHang };
  std::string bytes;         // sent as they are, status line and headers included
  Then then = Then::kClose;  // kHang keeps the connection open (see kLongestHang)
  std::size_t pieces = 1;    // bytes split into this many pieces ...
  std::chrono::milliseconds pause{0};  // ... with this pause before each but the first
};

// A hanging connection is closed after this long even if nobody stops the
// server, so that a client that does not give up fails its test instead of
// hanging it.
inline constexpr std::chrono::seconds kLongestHang{10};

// A complete answer: status line, Content-Length when asked for, the body.
ScriptedAnswer httpAnswer(int status, const std::string& body, bool withContentLength = true);

class LoopbackServer {
 public:
  explicit LoopbackServer(std::vector<ScriptedAnswer> script);
  ~LoopbackServer();

  // The server runs a thread and owns sockets: one owner only.
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  std::uint16_t port() const { return port_; }
  // "http://127.0.0.1:<port>" followed by `target`.
  std::string url(const std::string& target) const;

  std::vector<std::string> requests() const;
  // Waits until `count` requests have come in; false after `limit`.
  bool waitForRequests(std::size_t count, std::chrono::milliseconds limit) const;

 private:
  void serve();
  bool readRequest(int connection, std::string& request);
  void hangUntilStopped(int connection);
  bool sendAnswer(int connection, const ScriptedAnswer& answer);
  bool stopRequested(int fd, short events, int timeoutMs);

  std::vector<ScriptedAnswer> script_;
  int listener_ = -1;
  int wakeRead_ = -1;  // a byte on this pipe tells the thread to stop
  int wakeWrite_ = -1;
  std::uint16_t port_ = 0;
  mutable std::mutex mutex_;
  mutable std::condition_variable arrived_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens (bound once, then released).
std::uint16_t closedLoopbackPort();
