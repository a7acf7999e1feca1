// Number format codes, each distinct code kept once.
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_set>

#include "platform/host/host.h"

namespace kassa::host {

namespace {

struct Hash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

struct Codes {
  std::mutex mutex;
  // Nodes never move, so pointers to the codes stay valid.
  std::unordered_set<std::string, Hash, std::equal_to<>> codes;
};

Codes& TheCodes() {
  static Codes* codes = new Codes;  // lives as long as the process, for cells freed late
  return *codes;
}

const std::string kGeneral;

}  // namespace

NumberFormat::NumberFormat(std::string_view code) {
  if (code.empty()) return;
  Codes& c = TheCodes();
  std::lock_guard<std::mutex> lock(c.mutex);
  auto it = c.codes.find(code);
  if (it == c.codes.end()) it = c.codes.emplace(code).first;
  code_ = &*it;
}

const std::string& NumberFormat::str() const {
  return code_ ? *code_ : kGeneral;
}

std::ostream& operator<<(std::ostream& out, const NumberFormat& format) {
  return out << format.str();
}

}  // namespace kassa::host
