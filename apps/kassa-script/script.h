// A scenario file: its lines split into words, and the reading position.
//
// Line syntax: blank lines and lines whose first non-blank character is '#'
// are skipped; words are separated by blanks and tabs; a word in double
// quotes may hold blanks and the escapes \" \\ \t \n (an unknown escape, an
// unterminated quote or text glued to a closing quote is a syntax error).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kassa::script {

struct Line {
  int number = 0;    // 1-based line number in the file
  std::string text;  // the line without leading/trailing blanks
  std::vector<std::string> words;
};

// Splits one line into words. nullopt with `error` set on a syntax error;
// an empty vector for a blank or comment line.
std::optional<std::vector<std::string>> SplitWords(const std::string& line, std::string& error);

class Script {
 public:
  // Parses the whole text; false with `error` ("line N: ...") on the first
  // syntax error.
  bool Parse(const std::string& text, std::string& error);

  bool AtEnd() const { return next_ >= lines_.size(); }
  // The next line without taking it; null at the end.
  const Line* Peek() const { return AtEnd() ? nullptr : &lines_[next_]; }
  // Takes the next line; null at the end.
  const Line* Take() { return AtEnd() ? nullptr : &lines_[next_++]; }

 private:
  std::vector<Line> lines_;
  size_t next_ = 0;
};

}  // namespace kassa::script
