// Text helpers for what the entry program puts into SQL: upper case as the
// classic UCase gives it, string literal safety, literal LIKE patterns, and
// the limits of the database's character set (Windows Cyrillic, cp1251).
// All texts are UTF-8.
#pragma once

#include <string>

namespace kassa::paydesk {

// Latin and Cyrillic letters in upper case (ё -> Ё and the other Cyrillic
// letters of cp1251 included); everything else unchanged.
std::string UpperCase(const std::string& text);

// The text with every apostrophe doubled, safe between single quotes.
std::string DoubledApostrophes(const std::string& text);

// The text with every apostrophe replaced by a double-quote character.
std::string ApostrophesAsQuotes(const std::string& text);

// A LIKE pattern piece that matches `text` literally: apostrophes doubled,
// and "%", "_" and "\" preceded by "\". `needs_escape` tells whether a
// backslash was added (the statement then names "\" as its escape).
std::string LikeLiteral(const std::string& text, bool& needs_escape);

// Whether every character of the UTF-8 `text` exists in cp1251 (false also
// for malformed UTF-8).
bool FitsCp1251(const std::string& text);

// Number of characters (code points) of a UTF-8 text.
size_t CharacterCount(const std::string& text);

}  // namespace kassa::paydesk
