#include "paydesk/sql_text.h"

#include <algorithm>

#include "platform/variant/text.h"

namespace kassa::paydesk {

std::string UpperCase(const std::string& text) { return kassa::UpperCase(text); }

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

bool FitsCp1251(const std::string& text) { return kassa::FitsCp1251(text); }

size_t CharacterCount(const std::string& text) { return kassa::CharCount(text); }

}  // namespace kassa::paydesk
