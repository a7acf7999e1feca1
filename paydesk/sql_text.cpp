#include "paydesk/sql_text.h"

#include <algorithm>
#include <cstdint>

namespace kassa::paydesk {

namespace {

// Decodes the code point at `i` (advancing it); -1 for malformed input.
long Decode(const std::string& s, size_t& i) {
  const unsigned char b = static_cast<unsigned char>(s[i]);
  size_t extra;
  if (b < 0x80) {
    ++i;
    return b;
  } else if ((b & 0xE0) == 0xC0) {
    extra = 1;
  } else if ((b & 0xF0) == 0xE0) {
    extra = 2;
  } else if ((b & 0xF8) == 0xF0) {
    extra = 3;
  } else {
    ++i;
    return -1;
  }
  if (i + extra >= s.size()) {
    i = s.size();
    return -1;
  }
  long cp = b & (0x3F >> extra);
  for (size_t k = 1; k <= extra; ++k) {
    const unsigned char c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) {
      i += k;
      return -1;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  i += extra + 1;
  return cp;
}

void Encode(long cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

long Upper(long cp) {
  if (cp >= 'a' && cp <= 'z') return cp - 32;
  if (cp >= 0x430 && cp <= 0x44F) return cp - 0x20;  // а-я
  if (cp >= 0x450 && cp <= 0x45F)
    return cp - 0x50;             // ѐ-џ (ё, ђ, ѓ, є, ѕ, і, ї, ј, љ, њ, ћ, ќ, ў, џ)
  if (cp == 0x491) return 0x490;  // ґ
  return cp;
}

// The code points of cp1251 bytes 0x80-0xBF (0 where the byte is unused);
// 0xC0-0xFF are U+0410-U+044F.
constexpr uint16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0,      0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

bool InCp1251(long cp) {
  if (cp < 0) return false;
  if (cp < 0x80) return true;
  if (cp >= 0x410 && cp <= 0x44F) return true;
  return std::find(std::begin(kCp1251High), std::end(kCp1251High), cp) != std::end(kCp1251High);
}

}  // namespace

std::string UpperCase(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t start = i;
    const long cp = Decode(text, i);
    if (cp < 0)
      out.append(text, start, i - start);  // malformed bytes stay as they are
    else
      Encode(Upper(cp), out);
  }
  return out;
}

std::string DoubledApostrophes(const std::string& text) {
  std::string out;
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out;
}

std::string ApostrophesAsQuotes(const std::string& text) {
  std::string out = text;
  std::replace(out.begin(), out.end(), '\'', '"');
  return out;
}

std::string LikeLiteral(const std::string& text, bool& needs_escape) {
  std::string out;
  needs_escape = false;
  for (char c : text) {
    if (c == '%' || c == '_' || c == '\\') {
      out += '\\';
      needs_escape = true;
    }
    out += c;
    if (c == '\'') out += '\'';
  }
  return out;
}

bool FitsCp1251(const std::string& text) {
  for (size_t i = 0; i < text.size();)
    if (!InCp1251(Decode(text, i))) return false;
  return true;
}

size_t CharacterCount(const std::string& text) {
  size_t n = 0;
  for (size_t i = 0; i < text.size(); ++n) Decode(text, i);
  return n;
}

}  // namespace kassa::paydesk
