// Internal pieces of the host shared by its source files (not installed).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/host/host.h"

// libxlsxwriter's workbook and worksheet (xlsxwriter.h).
struct lxw_workbook;
struct lxw_worksheet;

namespace kassa::host {

// Raises workbook events through a workbook's sink, synchronously and
// re-entrantly. While an event runs, the sink and the workbook stay alive
// (closed workbooks are freed only when no event is running). A non-zero
// status or a HostError escaping the sink is reported through the UI port;
// the caller goes on.
struct EventDispatch {
  static void Open(Workbook& wb);
  // Returns the Cancel value the sink left.
  static bool BeforeClose(Workbook& wb);
  static bool BeforeSave(Workbook& wb);
  static void SheetActivate(Worksheet& sh);
  static void SheetDeactivate(Workbook& wb);
  static void SheetChange(Worksheet& sh, Range target);
  // Makes `sheet` the active sheet of its workbook (and that workbook the
  // active one), raising deactivate then activate when the sheet changes.
  static void ActivateSheet(Worksheet& sheet);
  // Reports a status or error that escaped an event or macro.
  static void Report(int status);
  static void Report(const HostError& e);
  // Runs `call(sink)` with the workbook's sink held and the event counted.
  template <class Call>
  static void Raise(Workbook& wb, Call call);
  // Counts a running macro like an event.
  struct Running {
    explicit Running(Application& app) : app_(app) { ++app_.event_depth_; }
    ~Running() { --app_.event_depth_; }
    Application& app_;
  };
};

// Workbook files: .xlsx written with libxlsxwriter and read with minizip +
// pugixml. The host's own data (event sink, query tables, shapes) travels
// in custom document properties named "KassaHost.NNN".
class WorkbookFile {
 public:
  // Reading inflates at most this much of one part of a file, and of all its
  // parts together; a file that would inflate more cannot be read. A full
  // sheet of 65,536 rows of a ledger inflates to some tens of megabytes.
  static constexpr size_t kMaxInflatedPart = size_t{256} << 20;
  static constexpr size_t kMaxInflatedBook = size_t{512} << 20;

  // Writes `book` to `path`; throws HostError when the file cannot be written.
  // Query-table passwords are written as "xxx".
  static void Write(const Workbook& book, const std::string& path);
  // Fills the empty `book` from the file and notes in it what the file
  // holds that the model does not keep (Workbook::UnkeptContent). Throws
  // HostError, and nothing else, when the file cannot be read.
  static void Read(const std::string& path, Workbook& book);
};

// Writes the figures and native chart objects of `ws`'s charts into `out`
// (see ChartBlocks); throws HostError when the library refuses.
void WriteSheetCharts(lxw_workbook* book, lxw_worksheet* out, const Worksheet& ws,
                      const std::string& path);

// The host's own data in a workbook file. A spreadsheet program keeps
// custom document properties but does nothing with them, so the data
// travels there: one text, cut into properties "KassaHost.000",
// "KassaHost.001", ... of at most 200 bytes each (the file format limits a
// property value to 255 characters), read back in name order and joined.
// The text is a list of records separated by '|', fields separated by ';',
// every field with '%', ';', '|' and control characters written as %XX:
//   sink;<ProgID>
//   query;<sheet position>;<1|0 refresh enabled>;<connection>;<command text>
//   shape;<sheet position>;<name>;<caption>;<left>;<top>;<width>;<height>;<ProgID>;<method>
//   chart;... (see ChartRecords)
//   text;<key>;<text>             a component's stored text (Workbook::StoredText)
// Connection strings are written with their passwords masked.
constexpr const char* kHostDataProperty = "KassaHost.";
std::vector<std::pair<std::string, std::string>> EncodeHostData(const Workbook& book);
// Applies the data to a workbook whose sheets were read; false on a
// malformed text (the parts that could be read are kept).
bool DecodeHostData(const std::vector<std::pair<std::string, std::string>>& properties,
                    Workbook& book);

// Where a file keeps the figures of a sheet's charts: for each chart with
// figures, a block right of the sheet's used cells with one empty column
// before it (the blocks of several charts side by side, one empty column
// between): a header row ("Месяц", the series, "Итого"), a row per month,
// a last row of totals. A chart without figures (or without room) gets an
// empty block. Blocks are 1-based and inclusive.
struct ChartBlock {
  long row1 = 0, row2 = 0;
  int col1 = 0, col2 = 0;
  bool empty() const { return row1 == 0; }
};
std::vector<ChartBlock> ChartBlocks(const Worksheet& sheet,
                                    const std::vector<ChartSummary>& summaries);
constexpr int kChartMaxSize = 4000;  // points
constexpr double kDefaultColumnWidth = 8.43;

// The host-data records of a sheet's charts (fields before escaping):
//   chart;<sheet position>;<name>;<title>;<label first>;<label last>;
//   <series column>;<value column>;<width>;<height>;<block row1>;<col1>;
//   <row2>;<col2>
// the block being where this file keeps the chart's figures (0s: none).
std::vector<std::vector<std::string>> ChartRecords(const Worksheet& sheet, int position);
// Gives the sheet its chart and drops the block's cells, which the reader
// took in as cells. False on a malformed record; throws HostError (9) for a
// sheet position the book does not have.
bool ApplyChartRecord(const std::vector<std::string>& fields, Workbook& book);

// The password in a connection string replaced by "xxx" (after "Password="
// and "PWD=", keys without regard to case, up to the next ';' or '"').
std::string MaskPasswords(const std::string& connection);

// The query table of a sheet, refreshed on its own database connection.
std::unique_ptr<QueryTable> MakeQueryTable(Worksheet& sheet, const std::string& connection,
                                           const std::string& command_text);

// The error value a formula cell shows when the file stores no result ("#N/A").
constexpr int kErrorNotAvailable = 2042;

// Whether the writer writes font colour `index` back as that colour.
bool WrittenColorIndex(int index);

// The number format a value gets when it is entered into a cell without one:
// "dd.mm.yyyy" for a date, "h:mm:ss" for a time of day, both for both; "" else.
std::string DefaultFormatFor(const Variant& v);

// Decimals of a fixed number format such as "0", "0.00", "#,##0.00", whose
// number Text() shows rounded to them; -1 for any other format.
int FixedDecimals(const std::string& fmt);

// Number of characters of UTF-8 text and the byte offset of character `n`,
// in the system's one character model (an invalid byte is one character).
size_t Utf8Length(const std::string& s);
size_t Utf8Offset(const std::string& s, size_t n);

}  // namespace kassa::host
