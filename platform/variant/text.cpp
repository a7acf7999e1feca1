#include "platform/variant/text.h"

#include <bitset>

namespace kassa {

namespace {

// One decoded character: its code point and its length in bytes; an invalid
// byte decodes as itself with `valid` false.
struct Decoded {
  char32_t cp;
  std::size_t len;
  bool valid;
};

Decoded Decode(const std::string& s, std::size_t i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) return {b0, 1, true};
  std::size_t len = 0;
  char32_t cp = 0;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2;
    cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3;
    cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4;
    cp = b0 & 0x07;
  } else {
    return {b0, 1, false};
  }
  if (i + len > s.size()) return {b0, 1, false};
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return {b0, 1, false};
    cp = (cp << 6) | (b & 0x3F);
  }
  // Overlong forms and surrogates are not valid characters.
  static const char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {b0, 1, false};
  return {cp, len, true};
}

void Encode(char32_t cp, std::string& out) {
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

char32_t Upper(char32_t c) {
  if (c >= U'a' && c <= U'z') return c - 0x20;
  if (c >= 0x0430 && c <= 0x044F) return c - 0x20;                 // а..я
  if (c >= 0x0450 && c <= 0x045F) return c - 0x50;                 // ѐ..џ (ё, ђ, ў, ...)
  if (c == 0x0491) return 0x0490;                                  // ґ
  if (c >= 0x00E0 && c <= 0x00FE && c != 0x00F7) return c - 0x20;  // Latin-1
  return c;
}

// The characters of the upper half of Windows Cyrillic (0x80..0xFF); 0x98
// is unassigned.
constexpr char32_t kCp1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0xFFFF, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

// The set of cp1251 characters as a bitmap: all of them lie below U+2200.
constexpr char32_t kCp1251Limit = 0x2200;

struct Cp1251Set {
  std::bitset<kCp1251Limit> bits;
  Cp1251Set() {
    for (char32_t c = 0; c < 0x80; ++c) bits.set(c);
    for (char32_t h : kCp1251High)
      if (h < kCp1251Limit) bits.set(h);
  }
};

bool InCp1251(char32_t c) {
  static const Cp1251Set set;
  return c < kCp1251Limit && set.bits.test(c);
}

}  // namespace

std::size_t CharCount(const std::string& text) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size(); i += Decode(text, i).len) ++n;
  return n;
}

std::size_t CharLength(const std::string& text, std::size_t at) {
  return Decode(text, at).len;
}

std::size_t CharOffset(const std::string& text, std::size_t n) {
  std::size_t i = 0;
  for (; i < text.size() && n > 0; --n) i += Decode(text, i).len;
  return i;
}

bool IsValidUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const Decoded d = Decode(text, i);
    if (!d.valid) return false;
    i += d.len;
  }
  return true;
}

std::string UpperCase(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const Decoded d = Decode(text, i);
    if (d.valid)
      Encode(Upper(d.cp), out);
    else
      out += text[i];
    i += d.len;
  }
  return out;
}

bool FitsCp1251(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
      ++i;
      continue;
    }
    // А..я (U+0410..U+044F), the letters of most texts, are all in cp1251.
    if (i + 1 < text.size()) {
      const auto b1 = static_cast<unsigned char>(text[i + 1]);
      if ((b0 == 0xD0 && b1 >= 0x90 && b1 <= 0xBF) || (b0 == 0xD1 && b1 >= 0x80 && b1 <= 0x8F)) {
        i += 2;
        continue;
      }
    }
    const Decoded d = Decode(text, i);
    if (!d.valid || !InCp1251(d.cp)) return false;
    i += d.len;
  }
  return true;
}

}  // namespace kassa
