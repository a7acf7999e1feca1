// The application user's password, generated anew on every installation.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace kassa::setupdb {

// Length of the application password in decimal digits.
inline constexpr std::size_t kAppPasswordDigits = 24;

// A source of random bytes: fills `size` bytes at `buffer`; false when it
// cannot.
using RandomBytes = std::function<bool(unsigned char* buffer, std::size_t size)>;

// The system's secure random source: getrandom(), else /dev/urandom.
bool SystemRandomBytes(unsigned char* buffer, std::size_t size);

// A password of kAppPasswordDigits decimal digits, the first of them not
// zero, so it reads as a plain whole number (no sign, no leading zero, no
// separator). Every digit comes from `source` without bias (bytes that would
// favour low digits are drawn again). False, with `out` unchanged, when the
// source fails.
bool GeneratePassword(const RandomBytes& source, std::string& out);

}  // namespace kassa::setupdb
