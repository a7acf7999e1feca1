#include "tests/support/tcp_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace kassa::testsupport {

namespace {

int ConnectLoopback(unsigned port) {
  const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (s < 0) return -1;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(port));
  if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    close(s);
    return -1;
  }
  return s;
}

bool SendAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

TcpProxy::TcpProxy(unsigned target_port) : target_(target_port) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0) return;
  const int on = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof a;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      listen(listener_, 16) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &size) != 0) {
    close(listener_);
    listener_ = -1;
    return;
  }
  port_ = ntohs(a.sin_port);
  acceptor_ = std::thread([this] { Accept(); });
}

TcpProxy::~TcpProxy() {
  stop_ = true;
  if (acceptor_.joinable()) acceptor_.join();
  std::vector<std::thread> relays;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    relays.swap(relays_);
  }
  for (std::thread& t : relays) t.join();
  if (listener_ >= 0) close(listener_);
}

void TcpProxy::LoseAnswerTo(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  armed_ = text;
}

void TcpProxy::Accept() {
  while (!stop_) {
    pollfd p{listener_, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    const int server = ConnectLoopback(target_);
    if (server < 0) {
      close(client);
      continue;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    relays_.emplace_back([this, client, server] { Relay(client, server); });
  }
}

void TcpProxy::Relay(int client, int server) {
  bool drop_answer = false;
  std::string recent;  // the last bytes from the client, for a text cut in two reads
  char buffer[65536];
  while (!stop_) {
    pollfd p[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
    if (poll(p, 2, 100) <= 0) continue;
    if (p[0].revents) {
      const ssize_t n = recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      recent.append(buffer, static_cast<size_t>(n));
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!armed_.empty() && recent.find(armed_) != std::string::npos) {
          armed_.clear();
          drop_answer = true;
        }
      }
      if (recent.size() > 4096) recent.erase(0, recent.size() - 4096);
      if (!SendAll(server, buffer, static_cast<size_t>(n))) break;
    }
    if (p[1].revents) {
      const ssize_t n = recv(server, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      if (drop_answer) {
        ++lost_;
        break;
      }
      if (!SendAll(client, buffer, static_cast<size_t>(n))) break;
    }
  }
  shutdown(client, SHUT_RDWR);
  shutdown(server, SHUT_RDWR);
  close(client);
  close(server);
}

}  // namespace kassa::testsupport
