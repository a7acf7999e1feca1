// The application user's password, generated anew on every installation.
#pragma once

#include <cstdint>
#include <string>

namespace kassa::setupdb {

// The password for a random fraction in [0, 1): the fraction rounded to five
// decimals, times 100000, rounded to a whole number, in plain decimal digits
// (no sign, no leading zeros): "0" to "100000".
std::string PasswordFromFraction(double fraction);

// A fresh password from a generator seeded with `seed`.
std::string GeneratePassword(std::uint64_t seed);

// A seed taken from the system clock.
std::uint64_t ClockSeed();

}  // namespace kassa::setupdb
