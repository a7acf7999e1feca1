// Internal pieces of the host shared by its source files (not installed).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/host/host.h"

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
//   text;<key>;<text>             a component's stored text (Workbook::StoredText)
// Connection strings are written with their passwords masked.
constexpr const char* kHostDataProperty = "KassaHost.";
std::vector<std::pair<std::string, std::string>> EncodeHostData(const Workbook& book);
// Applies the data to a workbook whose sheets were read; false on a
// malformed text (the parts that could be read are kept).
bool DecodeHostData(const std::vector<std::pair<std::string, std::string>>& properties,
                    Workbook& book);

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

// Number of characters of UTF-8 text and the byte offset of character `n`.
size_t Utf8Length(const std::string& s);
size_t Utf8Offset(const std::string& s, size_t n);

}  // namespace kassa::host
