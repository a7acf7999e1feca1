// Result sets: every value held once, as sent, in one block of text.
#include <algorithm>
#include <cstring>
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
  const size_t at = text_.size();
  if (bytes >= kNull - at) throw std::length_error("result too large");
  if (text_.capacity() < at + bytes) text_.reserve(std::max(2 * text_.capacity(), at + bytes));
  text_.resize(at + bytes);
  const size_t first = ends_.size();
  ends_.resize(first + n);
  char* out = text_.data() + at;
  uint32_t end = static_cast<uint32_t>(at);
  for (size_t i = 0; i < n; ++i) {
    if (values[i]) {
      std::memcpy(out, values[i], lengths[i]);
      out += lengths[i];
      end += static_cast<uint32_t>(lengths[i]);
      ends_[first + i] = end;
    } else {
      ends_[first + i] = end | kNull;
    }
  }
  ++rows_;
}

void Result::Shrink() {
  text_.shrink_to_fit();
  ends_.shrink_to_fit();
}

}  // namespace kassa::sql
