// What a table column accepts, learned from the server's description of the
// table, so that a value the database would refuse is caught before any
// statement is sent (the cell is then stored as NULL and marked instead).
#pragma once

#include <map>
#include <string>

#include "platform/variant/variant.h"

namespace kassa::sheetsync {

struct ColumnLimit {
  enum class Kind { Text, Integer, Decimal, Float, Date, DateTime, Time, Other };
  Kind kind = Kind::Other;
  long max_chars = 0;       // Text: declared width in characters (0 = unbounded)
  double min = 0, max = 0;  // Integer: accepted whole numbers; Decimal/Float: |x| <= max
};

// Builds the limit from one row of information_schema.COLUMNS: DATA_TYPE,
// CHARACTER_MAXIMUM_LENGTH, NUMERIC_PRECISION, NUMERIC_SCALE and COLUMN_TYPE as
// texts ("" for NULL).
ColumnLimit ParseColumnLimit(const std::string& data_type, const std::string& char_length,
                             const std::string& precision, const std::string& scale,
                             const std::string& column_type);

// Whether the column takes the text (the content of a quoted literal).
bool AcceptsText(const ColumnLimit& c, const std::string& text);
// False when the text cannot fit the column even after quoting, which at
// most halves a run of apostrophes: a cheap check made before quoting.
bool MayFitAfterQuoting(const ColumnLimit& c, const std::string& text);
// Whether the column takes the number (the server rounds halves away from
// zero into whole-number columns).
bool AcceptsNumber(const ColumnLimit& c, double x);
// Whether the column takes the date (the server's DATE range is 1000..9999).
bool AcceptsDate(const ColumnLimit& c, const DateParts& d);

// The columns of one table by field name in upper case.
using TableLimits = std::map<std::string, ColumnLimit>;

}  // namespace kassa::sheetsync
