// How a result column's server type and a value's text become a Column kind
// and a Variant. Pure functions, independent of a connection.
#pragma once

#include <string_view>

#include "platform/sql/sql.h"

namespace kassa::sql::detail {

// `type` is the protocol's field type (enum_field_types), `charsetnr` the
// column's character set number (63 = binary).
Column::Kind KindOf(int type, unsigned charsetnr);

// Declared width: for text kinds `byte_length` divided by the character
// set's longest character; otherwise `byte_length` as reported.
unsigned long DeclaredLength(Column::Kind kind, unsigned long byte_length, unsigned charsetnr);

// The value of a non-NULL field sent as `raw`:
//   Integer/Decimal/Double -> Number; Date -> Date (whole day);
//   DateTime -> Date (with the time, fractions of a second kept);
//   Time -> Date holding only the time of day (hours taken modulo 24);
//   a zero date ("0000-00-00...") -> Empty, as it names no day;
//   Text, Other, and any value whose text does not read as its kind -> Text.
Variant TypedValue(Column::Kind kind, std::string_view raw);

}  // namespace kassa::sql::detail
