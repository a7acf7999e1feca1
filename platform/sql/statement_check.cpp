// Whether a text from outside (a workbook's query) is one SELECT statement,
// read with the server's rules for literals, quoted names and comments.
#include <cctype>
#include <string>

#include "platform/sql/sql.h"

namespace kassa::sql {

namespace {

bool IsWordChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '_' || c == '$' || u >= 0x80;
}

bool SameWord(const std::string& text, size_t at, size_t end, const char* word) {
  size_t i = at;
  for (; i < end && *word; ++i, ++word)
    if (std::toupper(static_cast<unsigned char>(text[i])) != *word) return false;
  return i == end && *word == '\0';
}

// Moves past a literal or quoted name that opens at `i` with `quote`; a
// doubled quote stands for itself. False when it does not end.
bool SkipQuoted(const std::string& text, size_t& i, char quote) {
  for (++i; i < text.size(); ++i) {
    if (text[i] != quote) continue;
    if (i + 1 < text.size() && text[i + 1] == quote) {
      ++i;
      continue;
    }
    ++i;
    return true;
  }
  return false;
}

}  // namespace

bool IsSingleSelect(const std::string& text) {
  bool first_word_seen = false;
  bool ended = false;  // a ";" was met: only blanks and comments may follow
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c == '#' ||
               (c == '-' && next == '-' &&
                (i + 2 >= text.size() || std::isspace(static_cast<unsigned char>(text[i + 2]))))) {
      while (i < text.size() && text[i] != '\n') ++i;
    } else if (c == '/' && next == '*') {
      if (text.compare(i, 3, "/*!") == 0 || text.compare(i, 4, "/*M!") == 0) return false;
      const size_t close = text.find("*/", i + 2);
      if (close == std::string::npos) return false;
      i = close + 2;
    } else if (ended) {
      return false;
    } else if (c == ';') {
      ended = true;
      ++i;
    } else if (c == '\'' || c == '"' || c == '`') {
      if (!first_word_seen || !SkipQuoted(text, i, c)) return false;
    } else if (IsWordChar(c)) {
      const size_t start = i;
      while (i < text.size() && IsWordChar(text[i])) ++i;
      if (!first_word_seen) {
        if (!SameWord(text, start, i, "SELECT") && !SameWord(text, start, i, "WITH")) return false;
        first_word_seen = true;
      } else if (SameWord(text, start, i, "INTO")) {
        return false;
      }
    } else if (c == '(' || first_word_seen) {
      ++i;
    } else {
      return false;
    }
  }
  return first_word_seen;
}

}  // namespace kassa::sql
