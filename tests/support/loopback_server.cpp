#include "support/loopback_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

const char* reasonPhrase(int status) {
  switch (status) {
    case 200: return "OK";
    case 302: return "Found";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Whatever";
  }
}

void setNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

int bindLoopback(std::uint16_t& port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;  // the system picks a free port
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    return -1;
  }
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

ScriptedAnswer httpAnswer(int status, const std::string& body, bool withContentLength) {
  std::string bytes = "HTTP/1.1 " + std::to_string(status) + " " + reasonPhrase(status) + "\r\n";
  bytes += "Content-Type: text/xml\r\n";
  if (withContentLength) bytes += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  bytes += "Connection: close\r\n\r\n" + body;
  return {bytes, ScriptedAnswer::Then::kClose};
}

std::uint16_t closedLoopbackPort() {
  std::uint16_t port = 0;
  const int fd = bindLoopback(port);
  if (fd >= 0) close(fd);  // never listened on: connecting is refused
  return port;
}

LoopbackServer::LoopbackServer(std::vector<ScriptedAnswer> script) : script_(std::move(script)) {
  listener_ = bindLoopback(port_);
  int wake[2] = {-1, -1};
  if (listener_ < 0 || listen(listener_, 8) != 0 || pipe2(wake, O_CLOEXEC) != 0) {
    port_ = 0;  // requests to port 0 fail, which the tests will notice
    return;
  }
  wakeRead_ = wake[0];
  wakeWrite_ = wake[1];
  thread_ = std::thread([this] { serve(); });
}

LoopbackServer::~LoopbackServer() {
  if (thread_.joinable()) {
    const char byte = 0;
    (void)!write(wakeWrite_, &byte, 1);
    thread_.join();
  }
  for (int fd : {listener_, wakeRead_, wakeWrite_}) {
    if (fd >= 0) close(fd);
  }
}

std::string LoopbackServer::url(const std::string& target) const {
  return "http://127.0.0.1:" + std::to_string(port_) + target;
}

std::vector<std::string> LoopbackServer::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

bool LoopbackServer::waitForRequests(std::size_t count, std::chrono::milliseconds limit) const {
  std::unique_lock lock(mutex_);
  return arrived_.wait_for(lock, limit, [&] { return requests_.size() >= count; });
}

bool LoopbackServer::stopRequested(int fd, short events, int timeoutMs) {
  pollfd fds[2] = {{wakeRead_, POLLIN, 0}, {fd, events, 0}};
  while (poll(fds, fd >= 0 ? 2 : 1, timeoutMs) < 0 && errno == EINTR) {
  }
  return (fds[0].revents & POLLIN) != 0;
}

bool LoopbackServer::readRequest(int connection, std::string& request) {
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos) {
    if (stopRequested(connection, POLLIN, -1)) return false;
    const ssize_t n = recv(connection, buffer, sizeof buffer, 0);
    if (n == 0) return false;
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      return false;
    }
    request.append(buffer, static_cast<std::size_t>(n));
  }
  return true;
}

void LoopbackServer::hangUntilStopped(int connection) {
  char buffer[256];
  const auto until = std::chrono::steady_clock::now() + kLongestHang;
  // Leaves when the server stops, the client gives up on the connection or
  // the longest hang is over.
  while (std::chrono::steady_clock::now() < until) {
    if (stopRequested(connection, POLLIN, 50)) return;
    const ssize_t n = recv(connection, buffer, sizeof buffer, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return;
  }
}

// False when the server was told to stop meanwhile.
bool LoopbackServer::sendAnswer(int connection, const ScriptedAnswer& answer) {
  const std::size_t pieces = std::max<std::size_t>(answer.pieces, 1);
  const std::size_t pieceSize = (answer.bytes.size() + pieces - 1) / pieces;
  for (std::size_t begin = 0; begin < answer.bytes.size(); begin += pieceSize) {
    if (begin > 0 && stopRequested(-1, 0, static_cast<int>(answer.pause.count()))) return false;
    const std::size_t end = std::min(begin + pieceSize, answer.bytes.size());
    std::size_t sent = begin;
    while (sent < end) {
      if (stopRequested(connection, POLLOUT, -1)) return false;
      const ssize_t n = send(connection, answer.bytes.data() + sent, end - sent, MSG_NOSIGNAL);
      if (n < 0 && errno != EAGAIN && errno != EINTR) return true;  // the client went away
      if (n > 0) sent += static_cast<std::size_t>(n);
    }
  }
  return true;
}

void LoopbackServer::serve() {
  for (std::size_t index = 0;; ++index) {
    if (stopRequested(listener_, POLLIN, -1)) return;
    const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    setNonBlocking(connection);

    std::string request;
    const bool complete = readRequest(connection, request);
    if (complete) {
      std::lock_guard lock(mutex_);
      requests_.push_back(request);
      arrived_.notify_all();
    }
    if (complete && !script_.empty()) {
      const ScriptedAnswer& answer = script_[std::min(index, script_.size() - 1)];
      if (sendAnswer(connection, answer) && answer.then == ScriptedAnswer::Then::kHang) {
        hangUntilStopped(connection);
      }
      shutdown(connection, SHUT_WR);
    }
    close(connection);
  }
}
