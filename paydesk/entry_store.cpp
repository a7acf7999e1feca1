#include "paydesk/entry_store.h"

#include <cmath>
#include <optional>

#include "paydesk/entry_sql.h"
#include "paydesk/sql_text.h"
#include "paydesk/texts.h"
#include "platform/ui/ui.h"
#include "platform/variant/variant.h"

namespace kassa::paydesk {

namespace {

constexpr size_t kPurposeMaxCharacters = 1500;
// Short names and category codes are kept in VARCHAR(10) columns.
constexpr size_t kNameMaxCharacters = 10;
// No sum of money is written with more characters than this; a longer
// amount is refused as incorrect before it is converted.
constexpr size_t kAmountMaxCharacters = 64;

// Whether the typed name is longer than any stored one. Trailing spaces do
// not count: the server compares texts as if padded with spaces.
bool LongerThanStored(const std::string& typed) {
  const size_t end = typed.find_last_not_of(' ');
  if (end == std::string::npos) return false;
  return CharacterCount(typed.substr(0, end + 1)) > kNameMaxCharacters;
}

void Tell(const std::string& text) {
  ui::Message(text, ui::Buttons::OK);
}

// Reads one value; nullopt when the read failed at the database level.
std::optional<std::string> Read(Database& db, const std::string& sql) {
  std::string v = db.ReadValue(sql);
  if (db.Stop_Program) return std::nullopt;
  return v;
}

// How many rows a count query gives; nullopt when it cannot be read. A
// name with characters the database cannot hold, or longer than it holds,
// matches no row (the server is not asked).
std::optional<long> Count(Database& db, const std::string& typed, const std::string& sql) {
  if (LongerThanStored(typed) || !FitsCp1251(typed)) return 0;
  const auto v = Read(db, sql);
  return v ? WholeNumber(*v) : std::nullopt;
}

}  // namespace

StoreOutcome StoreEntry(const EntryInput& in, Database& db, Program& program) {
  using namespace texts;
  const auto refused = [&](const std::string& text) {
    if (program.ended) return StoreOutcome::Done;
    Tell(text);
    return StoreOutcome::Refused;
  };

  if (in.recipient.empty()) return refused(kEnterRecipient);
  if (in.category.empty()) return refused(kEnterCategory);

  const auto members = Count(db, in.recipient, MemberCountQuery(in.recipient));
  if (!members) return refused(kLookupFailed);
  if (*members == 0)
    return refused(kRecipientMissingPrefix + in.recipient + kRecipientMissingSuffix);

  const auto categories = Count(db, in.category, CategoryCountQuery(in.category));
  if (!categories) return refused(kLookupFailed);
  if (*categories == 0)
    return refused(kCategoryMissingPrefix + in.category + kCategoryMissingSuffix);

  if (in.sum.empty()) return refused(kEnterSum);
  if (in.sum.size() > kAmountMaxCharacters) return refused(kBadSum);
  const auto amount = ToDouble(Variant::Text(in.sum));
  if (!amount || !std::isfinite(*amount)) return refused(kBadSum);

  if (in.purpose.empty()) return refused(kEnterPurpose);
  if (CharacterCount(in.purpose) > kPurposeMaxCharacters) return refused(kPurposeTooLong);
  if (!FitsCp1251(in.purpose)) return refused(kPurposeBadCharacters);

  // The pieces of the new row. A read that fails here (the database library
  // has already told the user) leaves its piece empty; the insert then fails
  // and the user is told that nothing was stored.
  EntryPieces p;
  p.date_on = DateLiteral(in.date);
  p.recipient_id = db.ReadValue(RecipientIdQuery(in.recipient));
  p.purpose = PurposeLiteral(in.purpose);
  p.sum = AmountLiteral(in.sum, *amount);
  p.category_id = db.ReadValue(CategoryIdQuery(in.category));
  const auto count = WholeNumber(db.ReadValue(BufferCountQuery()));
  p.id_num = count ? std::to_string(*count + 1) : std::string();

  // The user may have ended the program (Выход, or the window closed) while
  // the database library waited; an ended program writes nothing.
  if (program.ended) return StoreOutcome::Done;
  db.Stop_Program = false;
  db.RunCommand(InsertStatement(p));
  if (program.ended) return StoreOutcome::Done;
  Tell(db.Stop_Program ? kNotStored : kStored);
  return StoreOutcome::Done;
}

}  // namespace kassa::paydesk
