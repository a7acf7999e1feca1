#include "paydesk/entry_sql.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "paydesk/sql_text.h"
#include "paydesk/texts.h"
#include "platform/variant/variant.h"

namespace kassa::paydesk {

namespace {
std::string Name(const std::string& typed) {
  return UpperCase(DoubledApostrophes(typed));
}

// Optional "-", digits, optionally "," or "." followed by digits; one pass.
bool PlainDecimal(const std::string& s) {
  size_t i = s.size() > 0 && s[0] == '-' ? 1 : 0;
  auto digits = [&] {
    const size_t from = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    return i > from;
  };
  if (!digits()) return false;
  if (i == s.size()) return true;
  if (s[i] != ',' && s[i] != '.') return false;
  ++i;
  return digits() && i == s.size();
}
}  // namespace

std::string MemberCountQuery(const std::string& recipient) {
  using namespace texts;
  return std::string(kCountSelect) + kFromMembers + kMemberWhere + Name(recipient) + kCheckClose;
}

std::string CategoryCountQuery(const std::string& category) {
  using namespace texts;
  return std::string(kCountSelect) + kFromCategories + kCategoryWhere + Name(category) +
         kCheckClose;
}

std::string RecipientIdQuery(const std::string& recipient) {
  using namespace texts;
  return std::string(kRecipientIdSelect) + kFromMembers + kRecipientIdWhere + Name(recipient) +
         kIdClose;
}

std::string CategoryIdQuery(const std::string& category) {
  using namespace texts;
  return std::string(kCategoryIdSelect) + kFromCategoriesId + kCategoryIdWhere + Name(category) +
         kIdClose;
}

std::string BufferCountQuery() {
  return texts::kBufferCount;
}

std::string DateLiteral(double serial) {
  const DateParts d = SplitDate(serial);
  char buf[32];
  std::snprintf(buf, sizeof buf, "'%04d-%02d-%02d'", d.year, d.month, d.day);
  return buf;
}

std::string PurposeLiteral(const std::string& purpose) {
  return "'" + ApostrophesAsQuotes(purpose) + "'";
}

std::string AmountLiteral(const std::string& typed, double value) {
  if (PlainDecimal(typed)) {
    std::string out = typed;
    for (char& c : out)
      if (c == ',') c = '.';
    return out;
  }
  return PlainNumber(value);
}

std::string InsertStatement(const EntryPieces& p) {
  using namespace texts;
  return std::string(kInsertInto) + kInsertOpen + kInsertColumns1 + kInsertColumns2 +
         kInsertColumnsClose + kInsertValues + p.id_num + kInsertSeparator + p.date_on +
         kInsertSeparator + p.recipient_id + kInsertSeparator + p.purpose + kInsertSeparator +
         p.sum + kInsertSeparator + p.category_id + kInsertClose;
}

std::optional<long> WholeNumber(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(begin, &end, 10);
  if (end == begin || errno != 0) return std::nullopt;
  while (*end == ' ') ++end;
  if (*end != '\0') return std::nullopt;
  return v;
}

}  // namespace kassa::paydesk
