// Characters of UTF-8 text as the ledger database and the classic string
// functions see them: counting, upper case as UCase gives it, and whether
// the database's character set (Windows Cyrillic, cp1251) can hold a text.
#pragma once

#include <cstddef>
#include <string>

namespace kassa {

// Number of characters (code points); an invalid byte counts as one.
std::size_t CharCount(const std::string& text);

// Latin and Cyrillic letters in upper case (Ё and the other letters of
// Windows Cyrillic included), everything else unchanged; invalid bytes are
// kept as they are.
std::string UpperCase(const std::string& text);

// Whether every character exists in Windows Cyrillic (cp1251); false for
// invalid UTF-8.
bool FitsCp1251(const std::string& text);

}  // namespace kassa
