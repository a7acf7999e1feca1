#include "ledgertools/sql_text.h"

#include <charconv>
#include <cstdint>
#include <vector>

#include "ledgertools/texts.h"
#include "platform/variant/text.h"

namespace kassa::ledgertools {

std::string Quote_Text(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 2);
  for (char ch : text) {
    out += ch;
    if (ch == '\'') out += '\'';
  }
  return out;
}

std::string SQL_Value(const std::string& text) {
  if (text.empty()) return texts::kNull;
  return "'" + Quote_Text(text) + "'";
}

std::string SQL_Compare(const std::string& literal) {
  if (literal == texts::kNull) return std::string(texts::kIs) + literal;
  return std::string(texts::kEquals) + literal;
}

std::string UCase(const std::string& text) { return UpperCase(text); }

std::optional<long long> Whole_Number(const std::string& text) {
  std::size_t b = 0, e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  if (b == e) return std::nullopt;
  long long v = 0;
  const char* first = text.data() + b;
  const char* last = text.data() + e;
  if (*first == '+') ++first;
  auto [ptr, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || ptr != last) return std::nullopt;
  return v;
}

std::size_t Char_Count(const std::string& text) { return CharCount(text); }

bool Fits_Cp1251(const std::string& text) { return FitsCp1251(text); }

bool Fits_Column(const std::string& text, int width) {
  return CharCount(text) <= static_cast<std::size_t>(width) && FitsCp1251(text);
}

}  // namespace kassa::ledgertools
