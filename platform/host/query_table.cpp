// The sheet's query table: runs its command on its own database connection
// and writes the result from A1 (field names in row 1, rows from row 2).
#include <cctype>
#include <vector>

#include "platform/host/host.h"
#include "platform/host/internal.h"
#include "platform/host/texts.h"
#include "platform/sql/sql.h"

namespace kassa::host {

QueryTable::~QueryTable() = default;

std::string MaskPasswords(const std::string& connection) {
  std::string out = connection;
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  for (const char* key : {"password=", "pwd="}) {
    std::string k = key;
    size_t from = 0;
    for (;;) {
      std::string low = lower(out);
      size_t at = low.find(k, from);
      if (at == std::string::npos) break;
      // Only a key at the start or after a separator counts.
      if (at > 0 && std::isalnum(static_cast<unsigned char>(out[at - 1]))) {
        from = at + 1;
        continue;
      }
      size_t v = at + k.size();
      size_t end = out.find_first_of(";\"", v);
      if (end == std::string::npos) end = out.size();
      out.replace(v, end - v, "xxx");
      from = v + 3;
    }
  }
  return out;
}

namespace {

class SheetQueryTable : public QueryTable {
 public:
  SheetQueryTable(Worksheet& sheet, std::string connection, std::string command)
      : sheet_(sheet), connection_(std::move(connection)), command_(std::move(command)) {}

  void Connection(const std::string& connection) override { connection_ = connection; }
  std::string Connection() const override { return connection_; }
  bool EnableRefresh() const override { return enable_; }
  void EnableRefresh(bool on) override { enable_ = on; }
  std::string CommandText() const override { return command_; }
  void CommandText(const std::string& sql) override { command_ = sql; }
  void Delete() override { sheet_.DeleteQueryTable(); }  // this object lives on with the sheet

  // A workbook may come from anywhere: its query is run only when it is one
  // SELECT, inside a read-only transaction, and never reads more rows than
  // the sheet holds below its header.
  void Refresh() override {
    if (!enable_) throw HostError(1004, texts::kRefreshDisabled);
    if (!sql::IsSingleSelect(command_)) throw HostError(kErrorQueryRefused, texts::kQueryRefused);
    sql::Params params;
    if (!sql::ParseConnectionString(connection_, params))
      throw HostError(1004, texts::kBadConnection);
    std::string error;
    auto conn = sql::Connection::Open(params, error);
    if (!conn) throw HostError(1004, error);
    if (!conn->BeginReadOnly(error)) throw HostError(1004, error);
    auto result = conn->Query(command_, error, static_cast<size_t>(kMaxRows - 1));
    conn->Rollback();
    if (!result) throw HostError(1004, error);
    Write(*result);
    if (result->Truncated()) throw HostError(kErrorResultTooLarge, texts::kResultTooLarge);
  }

 private:
  static NumberFormat FormatFor(sql::Column::Kind kind) {
    switch (kind) {
      case sql::Column::Kind::Date:
        return "dd.mm.yyyy";
      case sql::Column::Kind::Time:
        return "h:mm:ss";
      case sql::Column::Kind::DateTime:
        return "dd.mm.yyyy h:mm:ss";
      default:
        return "";
    }
  }

  // A number format that shows a number as a number in the column's own way
  // (no date or time parts) and leaves Text() as General gives it: a column
  // formatted so (money, say) keeps its look for the plain values a refresh
  // writes, and the texts the engine compares do not change.
  static bool KeepsPlainNumbers(const std::string& fmt) {
    if (fmt.empty()) return false;
    if (FixedDecimals(fmt) >= 0) return false;
    bool quoted = false;
    for (char ch : fmt) {
      if (ch == '"') quoted = !quoted;
      if (quoted) continue;
      switch (ch) {
        case 'd':
        case 'D':
        case 'm':
        case 'M':
        case 'y':
        case 'Y':
        case 'h':
        case 'H':
        case 's':
        case 'S':
        case '@':
          return false;
        default:
          break;
      }
    }
    return true;
  }

  // The cell's number format after a refresh wrote a value of the kind
  // `number_format` belongs to. `keeps_column_look`: the value has no format
  // of its own and its column's format keeps plain numbers (decided once
  // per column). Otherwise the cell takes `number_format` as its own when
  // its format (its own or its column's) has another.
  static void Format(Cell& cell, const CellFormat& column_format, const NumberFormat& number_format,
                     bool keeps_column_look) {
    if (keeps_column_look) {
      // The column's look applies; an own look that differs from the column's
      // in the number format alone goes back to the column's.
      if (cell.own_format) {
        if (cell.format.color_index == column_format.color_index &&
            cell.format.bold == column_format.bold && !KeepsPlainNumbers(cell.format.number_format))
          cell.own_format = false;
        else if (!KeepsPlainNumbers(cell.format.number_format))
          cell.format.number_format = column_format.number_format;
      }
      return;
    }
    const CellFormat& current = cell.own_format ? cell.format : column_format;
    if (current.number_format != number_format) {
      if (!cell.own_format) cell.format = column_format;
      cell.own_format = true;
      cell.format.number_format = number_format;
    }
  }

  void Write(const sql::Result& r) {
    const int ncols = static_cast<int>(r.columns().size());
    const long nrows = static_cast<long>(r.RowCount());
    if (ncols > kMaxColumns || nrows + 1 > kMaxRows) throw HostError(1004, texts::kBadRange);
    long old_last = sheet_.LastUsedRow();
    sheet_.ReserveCells(1, nrows + 1, ncols);
    std::vector<NumberFormat> formats;
    std::vector<const CellFormat*> column_formats;
    std::vector<char> keeps_column_look;
    for (int c = 0; c < ncols; ++c) {
      Cell& head = sheet_.CellAt(1, c + 1);
      head.value = Variant::Text(r.columns()[c].name);
      formats.push_back(FormatFor(r.columns()[c].kind));
      column_formats.push_back(&sheet_.ColumnFormat(c + 1));
      keeps_column_look.push_back(formats.back().empty() &&
                                  KeepsPlainNumbers(column_formats.back()->number_format));
    }
    for (long i = 0; i < nrows && ncols > 0; ++i) {
      Cell* cells = sheet_.RowCells(i + 2, ncols);
      for (int c = 0; c < ncols; ++c) {
        Cell& cell = cells[c];
        if (r.IsNull(i, c)) {
          cell.value = Variant();
          continue;
        }
        const auto kind = r.columns()[c].kind;
        if (kind == sql::Column::Kind::Text || kind == sql::Column::Kind::Other) {
          // A text the cell holds already stays (a refresh mostly finds
          // what the sheet shows).
          const std::string_view text = r.RawView(i, c);
          if (cell.value.type() != Variant::Type::Text || cell.value.text() != text)
            cell.value = Variant::Text(std::string(text));
        } else {
          cell.value = r.Value(i, c);
        }
        Format(cell, *column_formats[c], formats[c], keeps_column_look[c] != 0);
      }
    }
    if (old_last > nrows + 1) sheet_.ClearCells(nrows + 2, 1, old_last, ncols);
    sheet_.Touch();
    sheet_.Parent().MarkChanged();  // as after any refresh, the book has changes to save
  }

  Worksheet& sheet_;
  std::string connection_, command_;
  bool enable_ = true;
};

}  // namespace

std::unique_ptr<QueryTable> MakeQueryTable(Worksheet& sheet, const std::string& connection,
                                           const std::string& command_text) {
  return std::make_unique<SheetQueryTable>(sheet, connection, command_text);
}

}  // namespace kassa::host
