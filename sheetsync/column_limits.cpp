#include "sheetsync/column_limits.h"

#include <cmath>
#include <cstdlib>

#include "sheetsync/literals.h"

namespace kassa::sheetsync {

namespace {

std::string Lower(std::string s) {
  for (char& ch : s)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return s;
}

long ToLong(const std::string& s) {
  return s.empty() ? 0 : std::strtol(s.c_str(), nullptr, 10);
}

// A plain decimal number text ("12", "-1.5"), as the server reads it.
bool PlainNumberText(const std::string& s, double& x) {
  if (s.empty()) return false;
  char* end = nullptr;
  x = std::strtod(s.c_str(), &end);
  return end && *end == '\0' && std::isfinite(x);
}

}  // namespace

ColumnLimit ParseColumnLimit(const std::string& data_type, const std::string& char_length,
                             const std::string& precision, const std::string& scale,
                             const std::string& column_type) {
  const std::string t = Lower(data_type);
  const bool is_unsigned = Lower(column_type).find("unsigned") != std::string::npos;
  ColumnLimit c;
  auto whole = [&](double bits) {
    c.kind = ColumnLimit::Kind::Integer;
    if (is_unsigned) {
      c.min = 0;
      c.max = std::pow(2.0, bits) - 1;
    } else {
      c.min = -std::pow(2.0, bits - 1);
      c.max = std::pow(2.0, bits - 1) - 1;
    }
  };
  if (t == "varchar" || t == "char" || t == "text" || t == "tinytext" || t == "mediumtext" ||
      t == "longtext") {
    c.kind = ColumnLimit::Kind::Text;
    c.max_chars = ToLong(char_length);
  } else if (t == "tinyint") {
    whole(8);
  } else if (t == "smallint") {
    whole(16);
  } else if (t == "mediumint") {
    whole(24);
  } else if (t == "int" || t == "integer") {
    whole(32);
  } else if (t == "bigint") {
    whole(64);
  } else if (t == "decimal" || t == "numeric") {
    c.kind = ColumnLimit::Kind::Decimal;
    long p = ToLong(precision), s = ToLong(scale);
    c.max = std::pow(10.0, static_cast<double>(p - s)) - std::pow(10.0, -static_cast<double>(s));
    c.min = is_unsigned ? 0 : -c.max;
  } else if (t == "float") {
    c.kind = ColumnLimit::Kind::Float;
    c.max = 3.402823466e38;
  } else if (t == "double" || t == "real") {
    c.kind = ColumnLimit::Kind::Float;
    c.max = 1.7976931348623157e308;
  } else if (t == "date") {
    c.kind = ColumnLimit::Kind::Date;
  } else if (t == "datetime" || t == "timestamp") {
    c.kind = ColumnLimit::Kind::DateTime;
  } else if (t == "time") {
    c.kind = ColumnLimit::Kind::Time;
  }
  return c;
}

bool AcceptsText(const ColumnLimit& c, const std::string& text) {
  if (!FitsCp1251(text)) return false;
  switch (c.kind) {
    case ColumnLimit::Kind::Text:
      // A text of no more bytes than the width has no more characters.
      return c.max_chars <= 0 || text.size() <= static_cast<size_t>(c.max_chars) ||
             CharCount(text) <= c.max_chars;
    case ColumnLimit::Kind::Integer:
    case ColumnLimit::Kind::Decimal:
    case ColumnLimit::Kind::Float: {
      double x = 0;
      return PlainNumberText(text, x) && AcceptsNumber(c, x);
    }
    default:
      return true;
  }
}

bool MayFitAfterQuoting(const ColumnLimit& c, const std::string& text) {
  if (c.kind != ColumnLimit::Kind::Text || c.max_chars <= 0) return true;
  // Quoting turns each pair of apostrophes into one character, so a text
  // keeps at least half its characters.
  return text.size() <= 8 * static_cast<size_t>(c.max_chars) || CharCount(text) <= 2 * c.max_chars;
}

bool AcceptsNumber(const ColumnLimit& c, double x) {
  if (!std::isfinite(x)) return false;
  switch (c.kind) {
    case ColumnLimit::Kind::Integer: {
      double r = std::round(x);  // the server rounds halves away from zero
      return r >= c.min && r <= c.max;
    }
    case ColumnLimit::Kind::Decimal:
      return x >= c.min - 0.5 * std::pow(10.0, -15) && x <= c.max + 0.5 * std::pow(10.0, -15);
    case ColumnLimit::Kind::Float:
      return std::fabs(x) <= c.max;
    case ColumnLimit::Kind::Text:
      return c.max_chars <= 0 || static_cast<long>(PlainNumber(x).size()) <= c.max_chars;
    default:
      return true;
  }
}

bool AcceptsDate(const ColumnLimit& c, const DateParts& d) {
  switch (c.kind) {
    case ColumnLimit::Kind::Date:
    case ColumnLimit::Kind::DateTime:
      return d.year >= 1000 && d.year <= 9999;
    case ColumnLimit::Kind::Text:
      return c.max_chars <= 0 || CharCount(DateLiteral(d)) - 2 <= c.max_chars;
    default:
      return true;
  }
}

}  // namespace kassa::sheetsync
