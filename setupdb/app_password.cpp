#include "setupdb/app_password.h"

#include <chrono>
#include <cmath>
#include <random>

namespace kassa::setupdb {

std::string PasswordFromFraction(double fraction) {
  if (!(fraction >= 0.0)) fraction = 0.0;
  if (fraction >= 1.0) fraction = std::nextafter(1.0, 0.0);
  const double five_decimals = std::round(fraction * 100000.0) / 100000.0;
  const long long whole = std::llround(five_decimals * 100000.0);
  return std::to_string(whole);
}

std::string GeneratePassword(std::uint64_t seed) {
  std::mt19937_64 generator(seed);
  std::uniform_real_distribution<double> fraction(0.0, 1.0);
  return PasswordFromFraction(fraction(generator));
}

std::uint64_t ClockSeed() {
  return static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

}  // namespace kassa::setupdb
