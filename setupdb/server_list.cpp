#include "setupdb/server_list.h"

namespace kassa::setupdb {

namespace {

bool HostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '-' || c == '_';
}

bool ReadEntry(const std::string& entry, ServerAddress& out) {
  const size_t colon = entry.find(':');
  const std::string host = entry.substr(0, colon);
  if (host.empty()) return false;
  for (char c : host)
    if (!HostCharacter(c)) return false;
  unsigned port = 0;
  if (colon != std::string::npos && !ReadPortNumber(entry.substr(colon + 1), port)) return false;
  out.host = host;
  out.port = port;
  return true;
}

}  // namespace

bool ReadPortNumber(const std::string& text, unsigned& port) {
  if (text.empty() || text.size() > 5) return false;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value == 0 || value > 65535) return false;
  port = value;
  return true;
}

bool ParseServerList(const std::string& text, std::vector<ServerAddress>& out) {
  std::vector<ServerAddress> servers;
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    ServerAddress server;
    if (!ReadEntry(text.substr(start, comma == std::string::npos ? comma : comma - start), server))
      return false;
    servers.push_back(server);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  out = std::move(servers);
  return true;
}

}  // namespace kassa::setupdb
