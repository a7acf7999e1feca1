#include "setupdb/app_password.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>

namespace kassa::setupdb {

bool SystemRandomBytes(unsigned char* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = getrandom(buffer + done, size - done, 0);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    break;
  }
  if (done == size) return true;

  const int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  while (done < size) {
    const ssize_t n = read(fd, buffer + done, size - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (!(n < 0 && errno == EINTR)) {
      break;
    }
  }
  close(fd);
  return done == size;
}

bool GeneratePassword(const RandomBytes& source, std::string& out) {
  std::string digits;
  unsigned char pool[64];
  std::size_t used = sizeof pool;
  while (digits.size() < kAppPasswordDigits) {
    if (used == sizeof pool) {
      if (!source(pool, sizeof pool)) return false;
      used = 0;
    }
    const unsigned byte = pool[used++];
    if (digits.empty()) {
      // 1 to 9: 252 = 9 * 28 bytes map evenly.
      if (byte < 252) digits += static_cast<char>('1' + byte % 9);
    } else {
      // 0 to 9: 250 = 10 * 25 bytes map evenly.
      if (byte < 250) digits += static_cast<char>('0' + byte % 10);
    }
  }
  out = digits;
  return true;
}

}  // namespace kassa::setupdb
