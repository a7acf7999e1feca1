// Characters of UTF-8 text as the ledger database and the classic string
// functions see them: counting, positions, upper case as UCase gives it,
// and whether the database's character set (Windows Cyrillic, cp1251) can
// hold a text.
//
// This is the one character model of the system: a well-formed UTF-8
// sequence is one character, and every byte that is not part of one (a
// stray continuation byte, a cut or overlong sequence) is one character of
// its own. Every function that counts, cuts or replaces characters uses it,
// so no two parts can disagree about where a character starts.
#pragma once

#include <cstddef>
#include <string>

namespace kassa {

// Number of characters (code points); an invalid byte counts as one.
std::size_t CharCount(const std::string& text);

// Length in bytes of the character that starts at byte `at` (< size):
// 1 to 4; 1 for an invalid byte.
std::size_t CharLength(const std::string& text, std::size_t at);

// Byte offset at which character `n` (0-based) starts; the text's size when
// it has no more than `n` characters.
std::size_t CharOffset(const std::string& text, std::size_t n);

// Whether every byte belongs to a well-formed UTF-8 character.
bool IsValidUtf8(const std::string& text);

// Latin and Cyrillic letters in upper case (Ё and the other letters of
// Windows Cyrillic included), everything else unchanged; invalid bytes are
// kept as they are.
std::string UpperCase(const std::string& text);

// Whether every character exists in Windows Cyrillic (cp1251); false for
// invalid UTF-8.
bool FitsCp1251(const std::string& text);

}  // namespace kassa
