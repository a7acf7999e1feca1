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
// name with characters the database cannot hold matches no row.
std::optional<long> Count(Database& db, const std::string& typed, const std::string& sql) {
  if (!FitsCp1251(typed)) return 0;
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
  const auto amount = ToDouble(Variant::Text(in.sum));
  if (!amount || !std::isfinite(*amount)) return refused(kBadSum);

  if (in.purpose.empty()) return refused(kEnterPurpose);
  if (CharacterCount(in.purpose) > kPurposeMaxCharacters) return refused(kPurposeTooLong);
  if (!FitsCp1251(in.purpose)) return refused(kPurposeBadCharacters);

  EntryPieces p;
  p.date_on = DateLiteral(in.date);
  const auto recipient_id = Read(db, RecipientIdQuery(in.recipient));
  if (!recipient_id) return refused(kLookupFailed);
  p.recipient_id = *recipient_id;
  p.purpose = PurposeLiteral(in.purpose);
  p.sum = AmountLiteral(in.sum, *amount);
  const auto category_id = Read(db, CategoryIdQuery(in.category));
  if (!category_id) return refused(kLookupFailed);
  p.category_id = *category_id;
  const auto buffered = Read(db, BufferCountQuery());
  const auto count = buffered ? WholeNumber(*buffered) : std::nullopt;
  if (!count) return refused(kLookupFailed);
  p.id_num = std::to_string(*count + 1);

  db.Stop_Program = false;
  db.RunCommand(InsertStatement(p));
  if (program.ended) return StoreOutcome::Done;
  Tell(db.Stop_Program ? kNotStored : kStored);
  return StoreOutcome::Done;
}

}  // namespace kassa::paydesk
