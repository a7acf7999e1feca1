#include "apps/kassa-book/display_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "apps/kassa-book/texts.h"
#include "platform/host/host.h"

namespace kassa::book {
namespace {

constexpr const char* kGroupSeparator = "\xC2\xA0";  // non-breaking space
constexpr char kDecimal = ',';
constexpr double kLastSerial = 2958465.999999;  // 31.12.9999 23:59:59

enum class Tok {
  Literal,
  Zero,   // 0
  Hash,   // #
  Query,  // ?
  Point,
  Comma,
  Percent,
  Exp,
  At,
  General,
  Year,
  Month,
  Day,
  Hour,
  Minute,
  Second,
  FracSecond,
  AmPm,
  ElapsedHours,
  ElapsedMinutes,
  ElapsedSeconds,
  DayName,
};

struct Token {
  explicit Token(Tok k, std::string t = std::string()) : kind(k), text(std::move(t)) {}
  Tok kind;
  std::string text;         // Literal
  int count = 1;            // letters of a date token; digits of a fraction of a second
  bool plus = false;        // Exp: "E+" (sign always shown)
  bool short_ampm = false;  // "A/P"
};

struct Section {
  std::vector<Token> tokens;
  bool has_condition = false;
  std::string op;
  double bound = 0;
  bool is_date = false;
  bool has_at = false;
  bool has_digits = false;
  bool empty = true;  // the section text was empty
};

bool IsDigitToken(Tok t) {
  return t == Tok::Zero || t == Tok::Hash || t == Tok::Query;
}

bool IsDateToken(Tok t) {
  switch (t) {
    case Tok::Year:
    case Tok::Month:
    case Tok::Day:
    case Tok::Hour:
    case Tok::Minute:
    case Tok::Second:
    case Tok::AmPm:
    case Tok::ElapsedHours:
    case Tok::ElapsedMinutes:
    case Tok::ElapsedSeconds:
    case Tok::DayName:
      return true;
    default:
      return false;
  }
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(const std::string& s, size_t at, const char* word) {
  for (size_t k = 0; word[k]; ++k)
    if (at + k >= s.size() || Lower(s[at + k]) != Lower(word[k])) return false;
  return true;
}

// Bytes of the UTF-8 character starting at s[i] (1 for a stray byte).
size_t CharLength(const std::string& s, size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
  return i + n <= s.size() ? n : s.size() - i;
}

// Splits a format code into its sections at the ";" outside quotes,
// brackets and escapes.
std::vector<std::string> SplitSections(const std::string& code) {
  std::vector<std::string> out(1);
  bool quoted = false;
  int bracket = 0;
  for (size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    if (quoted) {
      if (c == '"') quoted = false;
    } else if (c == '"') {
      quoted = true;
    } else if (c == '\\' && i + 1 < code.size()) {
      out.back() += c;
      out.back() += code[++i];
      continue;
    } else if (c == '[') {
      ++bracket;
    } else if (c == ']' && bracket > 0) {
      --bracket;
    } else if (c == ';' && bracket == 0) {
      out.emplace_back();
      continue;
    }
    out.back() += c;
  }
  return out;
}

void AddLiteral(Section& s, const std::string& text) {
  if (!s.tokens.empty() && s.tokens.back().kind == Tok::Literal)
    s.tokens.back().text += text;
  else
    s.tokens.push_back(Token(Tok::Literal, text));
}

// The contents of a "[...]" tag.
void ParseBracket(Section& s, const std::string& tag) {
  if (tag.empty()) return;
  if (tag[0] == '$') {  // currency and locale: [$₽-419], [$-419], [$RUB]
    const size_t dash = tag.find('-', 1);
    const std::string symbol =
        tag.substr(1, dash == std::string::npos ? std::string::npos : dash - 1);
    if (!symbol.empty()) AddLiteral(s, symbol);
    return;
  }
  if (tag[0] == '<' || tag[0] == '>' || tag[0] == '=') {
    size_t k = 0;
    while (k < tag.size() && (tag[k] == '<' || tag[k] == '>' || tag[k] == '=')) ++k;
    s.has_condition = true;
    s.op = tag.substr(0, k);
    s.bound = std::strtod(tag.c_str() + k, nullptr);
    return;
  }
  const char first = Lower(tag[0]);
  if (first == 'h' || first == 'm' || first == 's') {
    for (char c : tag)
      if (Lower(c) != first) return;  // a colour or another tag: ignored
    Token t{first == 'h'   ? Tok::ElapsedHours
            : first == 'm' ? Tok::ElapsedMinutes
                           : Tok::ElapsedSeconds};
    t.count = static_cast<int>(tag.size());
    s.tokens.push_back(t);
  }
  // Colours, [DBNum..], [NatNum..] and the like change nothing here.
}

// The system's long date and time ([$-F800], [$-F400]) in the Russian locale.
constexpr const char* kSystemLongDate = "NNNNDD MMMM, YYYY";
constexpr const char* kSystemTime = "HH:MM:SS";

bool ContainsNoCase(const std::string& s, const char* word) {
  for (size_t i = 0; i < s.size(); ++i)
    if (StartsWithNoCase(s, i, word)) return true;
  return false;
}

Section ParseSection(const std::string& code) {
  const std::string text = ContainsNoCase(code, "[$-F800]")   ? kSystemLongDate
                           : ContainsNoCase(code, "[$-F400]") ? kSystemTime
                                                              : code;
  Section s;
  s.empty = text.empty();
  for (size_t i = 0; i < text.size();) {
    const char c = text[i];
    const char l = Lower(c);
    if (c == '"') {
      size_t end = text.find('"', i + 1);
      if (end == std::string::npos) end = text.size();
      AddLiteral(s, text.substr(i + 1, end - i - 1));
      i = end + 1;
    } else if (c == '\\' && i + 1 < text.size()) {
      const size_t n = CharLength(text, i + 1);
      AddLiteral(s, text.substr(i + 1, n));
      i += 1 + n;
    } else if (c == '_' && i + 1 < text.size()) {
      AddLiteral(s, " ");
      i += 1 + CharLength(text, i + 1);
    } else if (c == '*' && i + 1 < text.size()) {
      i += 1 + CharLength(text, i + 1);
    } else if (c == '[') {
      size_t end = text.find(']', i + 1);
      if (end == std::string::npos) end = text.size();
      ParseBracket(s, text.substr(i + 1, end - i - 1));
      i = end + 1;
    } else if (c == '0' || c == '#' || c == '?') {
      s.tokens.push_back(Token(c == '0' ? Tok::Zero : c == '#' ? Tok::Hash : Tok::Query));
      ++i;
    } else if (c == '.') {
      s.tokens.push_back(Token(Tok::Point));
      ++i;
    } else if (c == ',') {
      s.tokens.push_back(Token(Tok::Comma));
      ++i;
    } else if (c == '%') {
      s.tokens.push_back(Token(Tok::Percent));
      ++i;
    } else if (c == '@') {
      s.tokens.push_back(Token(Tok::At));
      s.has_at = true;
      ++i;
    } else if (StartsWithNoCase(text, i, "general")) {
      s.tokens.push_back(Token(Tok::General));
      i += 7;
    } else if (StartsWithNoCase(text, i, "standard")) {
      s.tokens.push_back(Token(Tok::General));
      i += 8;
    } else if (l == 'e' && i + 1 < text.size() && (text[i + 1] == '+' || text[i + 1] == '-')) {
      Token t(Tok::Exp);
      t.plus = text[i + 1] == '+';
      s.tokens.push_back(t);
      i += 2;
    } else if (StartsWithNoCase(text, i, "am/pm")) {
      s.tokens.push_back(Token(Tok::AmPm));
      i += 5;
    } else if (StartsWithNoCase(text, i, "a/p")) {
      Token t(Tok::AmPm);
      t.short_ampm = true;
      s.tokens.push_back(t);
      i += 3;
    } else if (l == 'y' || l == 'm' || l == 'd' || l == 'h' || l == 's' || l == 'n') {
      size_t j = i;
      while (j < text.size() && Lower(text[j]) == l) ++j;
      Tok kind = l == 'y'   ? Tok::Year
                 : l == 'm' ? Tok::Month
                 : l == 'd' ? Tok::Day
                 : l == 'h' ? Tok::Hour
                 : l == 's' ? Tok::Second
                            : Tok::DayName;
      if (kind == Tok::DayName && j - i < 2) {  // a lone "n" is a letter
        AddLiteral(s, text.substr(i, 1));
      } else {
        Token t(kind);
        t.count = static_cast<int>(j - i);
        s.tokens.push_back(t);
      }
      i = j;
    } else {
      const size_t n = CharLength(text, i);
      AddLiteral(s, text.substr(i, n));
      i += n;
    }
  }
  for (const Token& t : s.tokens) {
    if (IsDateToken(t.kind)) s.is_date = true;
    if (IsDigitToken(t.kind)) s.has_digits = true;
  }
  if (!s.is_date) return s;
  // "m" is minutes right after an hour or right before seconds; ".00" after
  // seconds are its fractions.
  int previous = -1;
  for (size_t k = 0; k < s.tokens.size(); ++k) {
    Token& t = s.tokens[k];
    if (t.kind == Tok::Month && t.count <= 2) {
      bool after_hour =
          previous >= 0 && (s.tokens[static_cast<size_t>(previous)].kind == Tok::Hour ||
                            s.tokens[static_cast<size_t>(previous)].kind == Tok::ElapsedHours);
      bool before_second = false;
      for (size_t n = k + 1; n < s.tokens.size(); ++n) {
        if (!IsDateToken(s.tokens[n].kind)) continue;
        before_second = s.tokens[n].kind == Tok::Second || s.tokens[n].kind == Tok::ElapsedSeconds;
        break;
      }
      if (after_hour || before_second) t.kind = Tok::Minute;
    }
    if (t.kind == Tok::Point && previous >= 0 &&
        (s.tokens[static_cast<size_t>(previous)].kind == Tok::Second ||
         s.tokens[static_cast<size_t>(previous)].kind == Tok::ElapsedSeconds) &&
        k + 1 < s.tokens.size() && s.tokens[k + 1].kind == Tok::Zero) {
      size_t n = k + 1;
      while (n < s.tokens.size() && s.tokens[n].kind == Tok::Zero) ++n;
      Token frac(Tok::FracSecond);
      frac.count = std::min(3, static_cast<int>(n - k - 1));
      s.tokens.erase(s.tokens.begin() + static_cast<long>(k) + 1,
                     s.tokens.begin() + static_cast<long>(n));
      t = frac;
    }
    if (IsDateToken(t.kind)) previous = static_cast<int>(k);
  }
  return s;
}

// The digits of x >= 0 rounded half away from zero to `decimals` places,
// taken from its 15 significant digits: the integer part without leading
// zeros ("" for none) and exactly `decimals` fraction digits.
void RoundDigits(double x, int decimals, std::string& integer, std::string& fraction) {
  integer.clear();
  fraction.assign(static_cast<size_t>(decimals), '0');
  if (!(x > 0)) return;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", x);
  std::string digits;
  const char* p = buf;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') digits += *p;
  int exponent = *p == 'e' ? std::atoi(p + 1) : 0;  // power of digits[0]
  const long keep = static_cast<long>(exponent) + 1 + decimals;
  if (keep < 0) return;
  if (keep < static_cast<long>(digits.size())) {
    const bool up = digits[static_cast<size_t>(keep)] >= '5';
    digits.resize(static_cast<size_t>(keep));
    if (up) {
      long k = keep - 1;
      while (k >= 0 && digits[static_cast<size_t>(k)] == '9')
        digits[static_cast<size_t>(k--)] = '0';
      if (k >= 0) {
        ++digits[static_cast<size_t>(k)];
      } else {
        digits.insert(digits.begin(), '1');
        ++exponent;
      }
    }
  }
  // Lay the digits out from the power max(exponent, 0) down to -decimals.
  for (int power = std::max(exponent, 0); power >= -decimals; --power) {
    const long index = static_cast<long>(exponent) - power;
    const char d = index >= 0 && index < static_cast<long>(digits.size())
                       ? digits[static_cast<size_t>(index)]
                       : '0';
    if (power >= 0) {
      if (!integer.empty() || d != '0') integer += d;
    } else {
      fraction[static_cast<size_t>(-power - 1)] = d;
    }
  }
}

std::string Pad(long long v, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", width, v);
  return buf;
}

std::string DateText(const Section& s, double serial) {
  if (serial < 0 || serial > kLastSerial) return "###";
  int frac_digits = 0;
  bool ampm = false, genitive = false;
  for (const Token& t : s.tokens) {
    if (t.kind == Tok::FracSecond) frac_digits = std::max(frac_digits, t.count);
    if (t.kind == Tok::AmPm) ampm = true;
    if (t.kind == Tok::Day && t.count <= 2) genitive = true;
  }
  const double scale = std::pow(10.0, frac_digits);
  long long day = static_cast<long long>(std::floor(serial));
  long long ticks = std::llround((serial - static_cast<double>(day)) * 86400.0 * scale);
  if (ticks >= static_cast<long long>(86400 * scale)) {
    ++day;
    ticks -= static_cast<long long>(86400 * scale);
  }
  const long long whole = ticks / static_cast<long long>(scale);
  const long long part = ticks % static_cast<long long>(scale);
  const DateParts d = SplitDate(static_cast<double>(day));
  const int hour = static_cast<int>(whole / 3600), minute = static_cast<int>(whole / 60 % 60),
            second = static_cast<int>(whole % 60);
  const int weekday = static_cast<int>((day % 7 + 7 + 6) % 7);  // 0 = Sunday
  std::string out;
  for (const Token& t : s.tokens) {
    switch (t.kind) {
      case Tok::Year:
        out += t.count <= 2 ? Pad(d.year % 100, 2) : Pad(d.year, 4);
        break;
      case Tok::Month:
        if (t.count <= 2)
          out += Pad(d.month, t.count);
        else if (t.count == 3)
          out += texts::kMonthShort[d.month - 1];
        else if (t.count == 4)
          out +=
              genitive ? texts::kMonthGenitive[d.month - 1] : texts::kMonthNominative[d.month - 1];
        else
          out += texts::kMonthLetter[d.month - 1];
        break;
      case Tok::Day:
        if (t.count <= 2)
          out += Pad(d.day, t.count);
        else
          out += t.count == 3 ? texts::kDayShort[weekday] : texts::kDayLong[weekday];
        break;
      case Tok::DayName:
        out += t.count == 2 ? texts::kDayShort[weekday] : texts::kDayLong[weekday];
        if (t.count >= 4) out += ", ";
        break;
      case Tok::Hour: {
        int h = hour;
        if (ampm) h = h % 12 == 0 ? 12 : h % 12;
        out += Pad(h, std::min(t.count, 2));
        break;
      }
      case Tok::Minute:
        out += Pad(minute, std::min(t.count, 2));
        break;
      case Tok::Second:
        out += Pad(second, std::min(t.count, 2));
        break;
      case Tok::FracSecond: {
        std::string digits = Pad(part, frac_digits);
        out += kDecimal;
        out += digits.substr(0, static_cast<size_t>(t.count));
        break;
      }
      case Tok::AmPm:
        if (t.short_ampm)
          out += hour < 12 ? "A" : "P";
        else
          out += hour < 12 ? texts::kAm : texts::kPm;
        break;
      case Tok::ElapsedHours:
        out += Pad(day * 24 + hour, t.count);
        break;
      case Tok::ElapsedMinutes:
        out += Pad((day * 24 + hour) * 60 + minute, t.count);
        break;
      case Tok::ElapsedSeconds:
        out += Pad(((day * 24 + hour) * 60 + minute) * 60 + second, t.count);
        break;
      case Tok::Literal:
        out += t.text;
        break;
      case Tok::Zero:
        out += '0';
        break;
      case Tok::Point:
        out += '.';
        break;
      case Tok::Comma:
        out += ',';
        break;
      case Tok::Percent:
        out += '%';
        break;
      default:
        break;
    }
  }
  return out;
}

std::string GeneralText(double x) {
  return ToText(Variant::Number(x)).value_or(std::string());
}

// Lays x >= 0 out by a number section; `negative` adds the minus sign unless
// the value shows as zero.
std::string NumberText(const Section& s, double x, bool negative) {
  const std::vector<Token>& tk = s.tokens;
  // Fractions ("# ?/?") are shown as General.
  for (size_t k = 1; k + 1 < tk.size(); ++k)
    if (tk[k].kind == Tok::Literal && tk[k].text == "/" && IsDigitToken(tk[k - 1].kind) &&
        IsDigitToken(tk[k + 1].kind))
      return (negative ? "-" : "") + GeneralText(x);
  // Where the parts of the number stand.
  long point = -1, exp = -1;
  for (size_t k = 0; k < tk.size(); ++k) {
    if (tk[k].kind == Tok::Point && point < 0 && exp < 0) point = static_cast<long>(k);
    if (tk[k].kind == Tok::Exp && exp < 0) exp = static_cast<long>(k);
  }
  const long int_end = point >= 0 ? point : exp >= 0 ? exp : static_cast<long>(tk.size());
  const long frac_end = exp >= 0 ? exp : static_cast<long>(tk.size());
  std::vector<size_t> int_digits, frac_digits, exp_digits;
  for (size_t k = 0; k < tk.size(); ++k) {
    if (!IsDigitToken(tk[k].kind)) continue;
    const long at = static_cast<long>(k);
    if (at < int_end)
      int_digits.push_back(k);
    else if (exp < 0 || at < frac_end)
      frac_digits.push_back(k);
    else
      exp_digits.push_back(k);
  }
  // Commas between integer digits group; commas after the last one divide
  // by a thousand each.
  bool grouping = false;
  std::vector<bool> comma_used(tk.size(), false);
  if (!int_digits.empty()) {
    for (size_t k = int_digits.front(); k < int_digits.back(); ++k)
      if (tk[k].kind == Tok::Comma) grouping = comma_used[k] = true;
    for (size_t k = int_digits.back() + 1; k < static_cast<size_t>(int_end); ++k) {
      if (tk[k].kind != Tok::Comma) break;
      x /= 1000;
      comma_used[k] = true;
    }
  }
  for (const Token& t : tk)
    if (t.kind == Tok::Percent) x *= 100;

  if (int_digits.empty() && frac_digits.empty()) {
    // Only literals, perhaps the General layout.
    std::string out;
    for (const Token& t : tk) {
      if (t.kind == Tok::Literal) out += t.text;
      if (t.kind == Tok::General || t.kind == Tok::At) out += GeneralText(negative ? -x : x);
      if (t.kind == Tok::Percent) out += '%';
    }
    return out;
  }

  const int decimals = static_cast<int>(frac_digits.size());
  std::string integer, fraction, exponent_text;
  if (exp >= 0) {
    const int n_int = std::max<int>(1, static_cast<int>(int_digits.size()));
    int e = 0;
    double mantissa = 0;
    if (x > 0) {
      e = static_cast<int>(std::floor(std::log10(x))) - (n_int - 1);
      mantissa = x / std::pow(10.0, e);
      RoundDigits(mantissa, decimals, integer, fraction);
      if (static_cast<int>(integer.size()) > n_int) {
        ++e;
        RoundDigits(x / std::pow(10.0, e), decimals, integer, fraction);
      }
    }
    const std::string digits = std::to_string(std::abs(e));
    exponent_text = e < 0 ? "-" : tk[static_cast<size_t>(exp)].plus ? "+" : "";
    exponent_text +=
        std::string(std::max<size_t>(exp_digits.size(), digits.size()) - digits.size(), '0');
    exponent_text += digits;
  } else {
    RoundDigits(x, decimals, integer, fraction);
  }
  const bool shows_zero = integer.empty() && fraction.find_first_not_of('0') == std::string::npos;

  // The text of each integer digit placeholder.
  std::vector<std::string> int_text(int_digits.size());
  if (grouping) {
    size_t zeros = 0;
    for (size_t k : int_digits)
      if (tk[k].kind == Tok::Zero) ++zeros;
    std::string plain = integer;
    if (plain.size() < zeros) plain.insert(0, zeros - plain.size(), '0');
    std::string grouped;
    for (size_t k = 0; k < plain.size(); ++k) {
      if (k > 0 && (plain.size() - k) % 3 == 0) grouped += kGroupSeparator;
      grouped += plain[k];
    }
    int_text.front() = grouped;
  } else if (!int_digits.empty()) {
    size_t left = integer.size();
    for (size_t n = int_digits.size(); n-- > 0;) {
      const Tok kind = tk[int_digits[n]].kind;
      if (left > 0)
        int_text[n] = integer.substr(--left, 1);
      else
        int_text[n] = kind == Tok::Zero ? "0" : kind == Tok::Query ? " " : "";
    }
    if (left > 0) int_text.front().insert(0, integer.substr(0, left));
  }
  // The text of each fraction placeholder: trailing zeros go under # and ?.
  std::vector<std::string> frac_text(frac_digits.size());
  bool trailing = true;
  for (size_t n = frac_digits.size(); n-- > 0;) {
    const Tok kind = tk[frac_digits[n]].kind;
    const char d = fraction[n];
    if (trailing && d == '0' && kind != Tok::Zero) {
      frac_text[n] = kind == Tok::Query ? " " : "";
      continue;
    }
    trailing = false;
    frac_text[n] = std::string(1, d);
  }

  std::string out;
  if (negative && !shows_zero) out += '-';
  size_t int_n = 0, frac_n = 0, exp_n = 0;
  for (size_t k = 0; k < tk.size(); ++k) {
    const Token& t = tk[k];
    switch (t.kind) {
      case Tok::Zero:
      case Tok::Hash:
      case Tok::Query: {
        const long at = static_cast<long>(k);
        if (at < int_end) {
          out += int_text[int_n++];
        } else if (exp < 0 || at < frac_end) {
          out += frac_text[frac_n++];
        } else {
          if (exp_n++ == 0) out += exponent_text;
        }
        break;
      }
      case Tok::Point:
        if (static_cast<long>(k) == point) {
          if (int_digits.empty()) out += integer;  // ".00": the integer stands before
          // The decimal comma goes with the fraction digits shown.
          for (const std::string& f : frac_text)
            if (!f.empty()) {
              out += kDecimal;
              break;
            }
        } else {
          out += '.';
        }
        break;
      case Tok::Comma:
        if (!comma_used[k]) out += ',';
        break;
      case Tok::Percent:
        out += '%';
        break;
      case Tok::Exp:
        out += 'E';
        if (exp_digits.empty()) out += exponent_text;
        break;
      case Tok::Literal:
        out += t.text;
        break;
      default:
        break;
    }
  }
  return out;
}

std::string TextBySection(const Section& s, const std::string& text) {
  std::string out;
  for (const Token& t : s.tokens) {
    if (t.kind == Tok::At) out += text;
    if (t.kind == Tok::Literal) out += t.text;
  }
  return out;
}

bool Holds(const Section& s, double x) {
  if (s.op == "<") return x < s.bound;
  if (s.op == "<=" || s.op == "=<") return x <= s.bound;
  if (s.op == ">") return x > s.bound;
  if (s.op == ">=" || s.op == "=>") return x >= s.bound;
  if (s.op == "<>") return x != s.bound;
  return x == s.bound;
}

bool IsGeneral(const std::string& code) {
  return code.empty() || (StartsWithNoCase(code, 0, "general") && code.size() == 7) ||
         (StartsWithNoCase(code, 0, "standard") && code.size() == 8);
}

}  // namespace

bool IsDateFormat(const std::string& format_code) {
  if (IsGeneral(format_code)) return false;
  return ParseSection(SplitSections(format_code).front()).is_date;
}

std::string DisplayText(const Variant& value, const std::string& format_code) {
  switch (value.type()) {
    case Variant::Type::Empty:
    case Variant::Type::Error:
      return "";
    case Variant::Type::Boolean:
      return ToText(value).value_or(std::string());
    default:
      break;
  }
  if (IsGeneral(format_code)) return ToText(value).value_or(std::string());
  std::vector<Section> sections;
  for (const std::string& part : SplitSections(format_code)) sections.push_back(ParseSection(part));
  // The text section: the fourth, or a last one that lays out "@" only.
  const Section* text_section = nullptr;
  size_t numeric = sections.size();
  if (sections.size() >= 4) {
    text_section = &sections[3];
    numeric = 3;
  } else if (sections.size() > 1 && sections.back().has_at && !sections.back().has_digits &&
             !sections.back().is_date) {
    text_section = &sections.back();
    numeric = sections.size() - 1;
  }
  if (value.type() == Variant::Type::Text) {
    if (text_section) return TextBySection(*text_section, value.text());
    if (sections.size() == 1 && sections[0].has_at) return TextBySection(sections[0], value.text());
    return value.text();
  }

  const double x = value.number();
  if (!std::isfinite(x)) return ToText(value).value_or(std::string());
  const Section* chosen = nullptr;
  bool auto_sign = true;
  bool any_condition = false;
  for (size_t k = 0; k < numeric; ++k) any_condition = any_condition || sections[k].has_condition;
  if (any_condition) {
    for (size_t k = 0; k < numeric && !chosen; ++k)
      if (!sections[k].has_condition || Holds(sections[k], x)) chosen = &sections[k];
    if (!chosen) return "###";
    // A section for negative values only shows them without the minus.
    auto_sign = !(chosen->has_condition && chosen->op[0] == '<' && chosen->bound <= 0);
  } else if (x < 0 && numeric >= 2) {
    chosen = &sections[1];
    auto_sign = false;
  } else if (x == 0 && numeric >= 3) {
    chosen = &sections[2];
    auto_sign = false;
  } else {
    chosen = &sections[0];
  }
  if (chosen->empty) return "";
  if (chosen->is_date) return DateText(*chosen, x);
  if (!chosen->has_digits && chosen->has_at && value.type() == Variant::Type::Date)
    return ToText(value).value_or(std::string());
  return NumberText(*chosen, std::fabs(x), auto_sign && x < 0);
}

std::string EditText(const Variant& value) {
  if (value.type() == Variant::Type::Text) {
    // A text that would be read as a number, date or time (or loses its
    // leading apostrophe) keeps its apostrophe.
    if (host::ParseTyped(value.text()) == value) return value.text();
    return "'" + value.text();
  }
  return ToText(value).value_or(std::string());
}

}  // namespace kassa::book
