// Result sets: every value held once, as sent, in one block of text.
#include <stdexcept>

#include "platform/sql/field_typing.h"
#include "platform/sql/sql.h"

namespace kassa::sql {

Variant Result::Value(size_t row, size_t column) const {
  if (IsNull(row, column)) return Variant();
  return detail::TypedValue(columns_[column].kind, RawView(row, column));
}

void Result::AddRow(const char* const* values, const unsigned long* lengths) {
  const size_t n = columns_.size();
  size_t bytes = 0;
  for (size_t i = 0; i < n; ++i)
    if (values[i]) bytes += lengths[i];
  if (bytes >= kNull - text_.size()) throw std::length_error("result too large");
  for (size_t i = 0; i < n; ++i) {
    if (values[i]) {
      text_.append(values[i], lengths[i]);
      ends_.push_back(static_cast<uint32_t>(text_.size()));
    } else {
      ends_.push_back(static_cast<uint32_t>(text_.size()) | kNull);
    }
  }
  ++rows_;
}

void Result::Shrink() {
  text_.shrink_to_fit();
  ends_.shrink_to_fit();
}

}  // namespace kassa::sql
