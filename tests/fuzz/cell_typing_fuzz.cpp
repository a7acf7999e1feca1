// Fuzz target: what a typed cell becomes and the SQL literal the engine
// makes of it. The input is the text typed into a cell (any bytes).
//
// What must hold for any text, under both locales: typing it gives a value;
// a number's literal is plain decimal text, and one the server reads gives
// a finite number; a whole number's literal has no fraction; a date's
// literal is 'y-m-d'; the quoted text holds no apostrophe (it cannot end
// its literal), and quoting ends; the column limits answer; upper-casing
// keeps the number of characters.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/host/host.h"
#include "sheetsync/column_limits.h"
#include "sheetsync/literals.h"
#include "tests/fuzz/quiet_ui.h"

namespace {

using kassa::Locale;
using kassa::Variant;
namespace ss = kassa::sheetsync;

void Require(bool condition) {
  if (!condition) std::abort();
}

bool PlainNumberText(const std::string& s) {
  size_t i = 0, digits = 0;
  if (i < s.size() && s[i] == '-') ++i;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t exp = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++exp;
    if (exp == 0) return false;
  }
  return digits > 0 && i == s.size();
}

// A number's literal is plain decimal text; when the server would read it
// (LiteralValue), it reads a finite number, the one the text says.
void CheckNumberLiteral(const std::optional<std::string>& literal, bool whole) {
  if (!literal) return;
  Require(PlainNumberText(*literal));
  // A whole number has no fraction (in exponent form it may have a point).
  if (whole && literal->find_first_of("Ee") == std::string::npos)
    Require(literal->find('.') == std::string::npos);
  if (std::optional<double> value = ss::LiteralValue(*literal)) {
    Require(std::isfinite(*value));
    Require(std::strtod(literal->c_str(), nullptr) == *value);
  }
}

void CheckTyped(const std::string& text, const Locale& locale) {
  const Variant v = kassa::host::ParseTyped(text, locale);
  CheckNumberLiteral(ss::DoubleLiteral(v, locale), false);
  CheckNumberLiteral(ss::IntegerLiteral(v, locale), true);
  if (v.type() == Variant::Type::Date && v.number() >= 0) {
    const kassa::DateParts d = kassa::SplitDate(v.number());
    const std::string date = ss::DateLiteral(d);
    size_t dashes = 0;
    for (size_t i = 1; i + 1 < date.size(); ++i) {
      Require((date[i] >= '0' && date[i] <= '9') || date[i] == '-');
      dashes += date[i] == '-';
    }
    Require(date.size() >= 7 && date.front() == '\'' && date.back() == '\'' && dashes == 2);
    (void)ss::TimeLiteral(d);
  }
  if (std::optional<std::string> shown = kassa::ToText(v, locale)) {
    Require(ss::QuoteText(*shown).find('\'') == std::string::npos);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kassa::fuzz::InstallQuietUi();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckTyped(text, Locale::Russian());
  CheckTyped(text, Locale::Point());

  const long chars = ss::CharCount(text);
  Require(chars >= 0 && static_cast<size_t>(chars) <= text.size());
  Require(ss::CharCount(ss::UpperCase(text)) == chars);
  (void)ss::FitsCp1251(text);
  static const ss::ColumnLimit varchar =
      ss::ParseColumnLimit("varchar", "10", "", "", "varchar(10)");
  static const ss::ColumnLimit smallint =
      ss::ParseColumnLimit("smallint", "", "5", "0", "smallint(6)");
  (void)ss::AcceptsText(varchar, text);
  if (std::optional<double> x = kassa::ToDouble(Variant::Text(text))) {
    if (std::isfinite(*x)) (void)ss::AcceptsNumber(smallint, *x);
  }
  return 0;
}
