// The statements of storing one cash entry into NAL_BUFFER, built from the
// texts as typed. Typed names and codes are upper-cased and have their
// apostrophes doubled; the purpose has its apostrophes replaced by
// double-quote characters; the date literal is built from the date itself.
#pragma once

#include <optional>
#include <string>

namespace kassa::paydesk {

std::string MemberCountQuery(const std::string& recipient);
std::string CategoryCountQuery(const std::string& category);
std::string RecipientIdQuery(const std::string& recipient);
std::string CategoryIdQuery(const std::string& category);
std::string BufferCountQuery();

// 'yyyy-MM-dd' for the day of the serial date (the time part is ignored).
std::string DateLiteral(double serial);
// The purpose between single quotes.
std::string PurposeLiteral(const std::string& purpose);
// The amount for the statement: the typed text with "," replaced by "."
// when it is a plain decimal (optional "-", digits, optionally "," or "."
// and digits), otherwise the plain decimal text of `value`.
std::string AmountLiteral(const std::string& typed, double value);

struct EntryPieces {
  std::string id_num, date_on, recipient_id, purpose, sum, category_id;
};
std::string InsertStatement(const EntryPieces& p);
// "SELECT count(*)" of the buffer rows equal to the entry under its number:
// 1 when the entry's insert was stored.
std::string StoredCheckQuery(const EntryPieces& p);

// A whole number read from the database as text (a count or a key), or
// nullopt when the text is not one (the empty text of a failed read).
std::optional<long> WholeNumber(const std::string& text);

}  // namespace kassa::paydesk
