// A loopback TCP relay between the programs under test and a database
// server, which can lose the answer to one statement: the statement reaches
// the server and runs (an insert commits), but the connection is cut before
// the client hears back, as when the network or the server's machine goes
// at that moment. The client then sees a lost connection and retries.
//
// The relay reads the client's bytes as they pass, so it works only on an
// unencrypted session (the test server offers no TLS on loopback).
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kassa::testsupport {

class TcpProxy {
 public:
  // Listens on a free loopback port; each connection made to it is relayed
  // to 127.0.0.1:`target_port`.
  explicit TcpProxy(unsigned target_port);
  ~TcpProxy();
  TcpProxy(const TcpProxy&) = delete;
  TcpProxy& operator=(const TcpProxy&) = delete;

  // The port to connect to; 0 when the relay could not listen.
  unsigned port() const { return port_; }
  // The next statement a client sends whose text contains `text` is passed
  // to the server; when the server answers it, that connection is closed on
  // both sides instead of passing the answer on. Once.
  void LoseAnswerTo(const std::string& text);
  // How many answers were lost so far.
  int lost() const { return lost_; }

 private:
  void Accept();
  void Relay(int client, int server);
  unsigned target_;
  unsigned port_ = 0;
  int listener_ = -1;
  std::atomic<bool> stop_{false};
  std::atomic<int> lost_{0};
  std::mutex mutex_;
  std::string armed_;  // guarded by mutex_
  std::thread acceptor_;
  std::vector<std::thread> relays_;  // guarded by mutex_
};

}  // namespace kassa::testsupport
