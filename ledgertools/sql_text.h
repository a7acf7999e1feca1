// Pure text helpers for building statements and reading their answers.
// Nothing here touches the database or the host.
#pragma once

#include <optional>
#include <string>

namespace kassa::ledgertools {

// The text with every apostrophe doubled, so that it stands for itself
// inside an SQL string literal (backslashes are plain characters in the
// session's mode). No typed text can end the literal early.
std::string Quote_Text(const std::string& text);

// The SQL literal of a typed text: the empty text gives "Null"; any other
// text gives it between single quotes, apostrophes inside doubled.
std::string SQL_Value(const std::string& text);

// The comparison tail for a literal made by SQL_Value: " is Null" for the
// exact text "Null", " = " followed by the literal otherwise.
std::string SQL_Compare(const std::string& literal);

// The text in upper case, as the spreadsheet's UCase gives it: Latin and
// Cyrillic letters (including Ё and the other letters of Windows Cyrillic);
// everything else unchanged. Invalid UTF-8 bytes are kept as they are.
std::string UCase(const std::string& text);

// A count or key returned as text, read as a whole number. nullopt for a
// text that is no whole number (the empty text of a failed query, "Null").
std::optional<long long> Whole_Number(const std::string& text);

// Number of characters of a UTF-8 text (invalid bytes count one each).
std::size_t Char_Count(const std::string& text);

// Whether every character of the text exists in Windows Cyrillic (cp1251),
// the character set of the ledger database; false for invalid UTF-8.
bool Fits_Cp1251(const std::string& text);

// Whether a text column of `width` characters can hold the text: within
// cp1251 and not longer. Checked before any quoting or statement is built.
bool Fits_Column(const std::string& text, int width);

}  // namespace kassa::ledgertools
