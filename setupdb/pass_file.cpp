#include "setupdb/pass_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kassa::setupdb {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string current;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(current);
      current.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      current += c;
    }
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

bool ReadPassParametrs(const std::string& path, PassParametrs& out) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return false;
  }
  std::string content;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0) {
      close(fd);
      return false;
    }
    if (n == 0) break;
    content.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  const std::vector<std::string> lines = SplitLines(content);
  out.port = lines.size() > 0 ? lines[0] : "";
  out.root_password = lines.size() > 1 ? lines[1] : "";
  out.servers = lines.size() > 2 ? lines[2] : "";
  return true;
}

}  // namespace kassa::setupdb
