#include "setupdb/connect_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "setupdb/texts.h"

namespace kassa::setupdb {

std::string ConnectParametrsText(const std::string& port, const std::string& app_password) {
  const std::string eol = "\r\n";
  std::string text;
  for (const std::string& line :
       {std::string(texts::kKeyPort), port, std::string(texts::kKeyName),
        std::string(texts::kDatabase), std::string(texts::kKeyLogin), std::string(texts::kAppUser),
        std::string(texts::kKeyPassword), app_password})
    text += line + eol;
  return text;
}

bool WriteConnectParametrs(const std::string& path, const std::string& port,
                           const std::string& app_password) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = fchmod(fd, 0600) == 0;
  const std::string text = ConnectParametrsText(port, app_password);
  size_t done = 0;
  while (ok && done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0)
      ok = false;
    else
      done += static_cast<size_t>(n);
  }
  if (close(fd) != 0) ok = false;
  return ok;
}

}  // namespace kassa::setupdb
