#include "apps/kassa-script/script.h"

#include <sstream>

namespace kassa::script {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

}  // namespace

std::optional<std::vector<std::string>> SplitWords(const std::string& line, std::string& error) {
  std::vector<std::string> words;
  size_t i = 0, n = line.size();
  while (i < n && IsBlank(line[i])) ++i;
  if (i < n && line[i] == '#') return words;
  while (i < n) {
    if (IsBlank(line[i])) {
      ++i;
      continue;
    }
    std::string word;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < n) {
        char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c != '\\') {
          word += c;
          continue;
        }
        if (i >= n) break;
        char e = line[i++];
        switch (e) {
          case '"':
            word += '"';
            break;
          case '\\':
            word += '\\';
            break;
          case 't':
            word += '\t';
            break;
          case 'n':
            word += '\n';
            break;
          default:
            error = std::string("unknown escape \\") + e;
            return std::nullopt;
        }
      }
      if (!closed) {
        error = "unterminated quote";
        return std::nullopt;
      }
      if (i < n && !IsBlank(line[i])) {
        error = "text right after a closing quote";
        return std::nullopt;
      }
    } else {
      while (i < n && !IsBlank(line[i])) {
        if (line[i] == '"') {
          error = "a quote inside a word";
          return std::nullopt;
        }
        word += line[i++];
      }
    }
    words.push_back(std::move(word));
  }
  return words;
}

bool Script::Parse(const std::string& text, std::string& error) {
  lines_.clear();
  next_ = 0;
  std::istringstream in(text);
  std::string raw;
  int number = 0;
  while (std::getline(in, raw)) {
    ++number;
    std::string why;
    auto words = SplitWords(raw, why);
    if (!words) {
      error = "line " + std::to_string(number) + ": " + why;
      return false;
    }
    if (words->empty()) continue;
    lines_.push_back(Line{number, Trim(raw), std::move(*words)});
  }
  return true;
}

}  // namespace kassa::script
