// The spreadsheet host: an in-memory workbook model with the members the
// system uses, under the spreadsheet program's documented names.
//
// Ownership: the Application owns its open Workbooks, a Workbook owns its
// Worksheets, a Worksheet owns its cells, query table and shapes. Range and
// Font are light values naming cells of a sheet; they stay valid while that
// sheet lives. A failing call throws HostError (the analogue of a run-time
// error). Events are raised synchronously and re-entrantly through the
// workbook's event sink (WorkbookEventSink), as the workbook's macros do.
// The grid has 65536 rows and 256 columns.
//
// A closed Workbook object (closed() true) stays valid for the life of the
// Application, so an event or macro still holding it may finish safely; its
// cell contents are released at the next Open or Add that runs outside
// every event.
//
// Workbook files are .xlsx whatever their name says: values, number formats,
// font colour index and bold, column widths and formats, sheet order and the
// active sheet. The host's own data (event sink ProgID, query tables, sheet
// buttons, charts, components' stored texts) travels in custom document
// properties "KassaHost.NNN", which other spreadsheet programs keep but
// ignore. Query-table passwords are written as "xxx". A sheet's charts are
// also written as native chart objects over a block of month totals beside
// the sheet's cells, so other spreadsheet programs show them; that block is
// derived and is not read back as cells. A file holding more than the model
// keeps opens read-only and is never written over.
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/component/component.h"
#include "platform/variant/variant.h"

namespace kassa::host {

constexpr long kMaxRows = 65536;
constexpr int kMaxColumns = 256;
constexpr int xlUp = -4162;
// Font colour indexes used by the system.
constexpr int kColorAutomatic = 0;
constexpr int kColorRed = 3;
constexpr int kColorGrey = 48;

// The one exception a host call throws; `code` follows the spreadsheet's
// run-time error numbers where one fits (9 subscript out of range, 1004
// application-defined error, 13 type mismatch, and the two below).
class KASSA_EXPORT HostError : public std::runtime_error {
 public:
  HostError(int code, const std::string& what);
  int code() const { return code_; }

 private:
  int code_;
};

// QueryTable::Refresh: the query returned more rows than the sheet holds
// below its header row (kMaxRows - 1); the rows that fit were loaded.
constexpr int kErrorResultTooLarge = 6;  // "overflow"
// QueryTable::Refresh: the query text is not one SELECT statement and was not
// run; the sheet is unchanged.
constexpr int kErrorQueryRefused = 70;  // "permission denied"

class Application;
struct EventDispatch;  // raises the workbook events (internal)
class WorkbookFile;    // reads and writes workbook files (internal)
class Workbook;
class Worksheet;
class Range;

// A number format code ("" = General; e.g. "dd.mm.yyyy", "h:mm:ss", "0.00").
// Each distinct code is kept once for the life of the process, so a cell's
// format costs one pointer; a NumberFormat reads and compares as its code.
class KASSA_EXPORT NumberFormat {
 public:
  NumberFormat() = default;
  NumberFormat(std::string_view code);  // NOLINT: a code converts implicitly
  NumberFormat(const std::string& code) : NumberFormat(std::string_view(code)) {}
  NumberFormat(const char* code) : NumberFormat(std::string_view(code)) {}
  const std::string& str() const;
  operator const std::string&() const { return str(); }
  const char* c_str() const { return str().c_str(); }
  bool empty() const { return code_ == nullptr; }
  bool operator==(const NumberFormat& other) const { return code_ == other.code_; }

 private:
  const std::string* code_ = nullptr;  // null for ""
};
KASSA_EXPORT std::ostream& operator<<(std::ostream& out, const NumberFormat& format);

struct CellFormat {
  int color_index = kColorAutomatic;
  bool bold = false;
  NumberFormat number_format;
};

struct Cell {
  Variant value;
  CellFormat format;
  bool own_format = false;  // false: the column's format applies
};

class Font;

// A rectangle of cells on one sheet (1-based, inclusive).
class Range {
 public:
  Range(Worksheet& sheet, long row1, int col1, long row2, int col2);
  Worksheet& Parent() const { return *sheet_; }
  long Row() const { return row1_; }
  int Column() const { return col1_; }
  long LastRow() const { return row2_; }
  int LastColumn() const { return col2_; }
  long RowsCount() const { return row2_ - row1_ + 1; }    // Rows.Count
  int ColumnsCount() const { return col2_ - col1_ + 1; }  // Columns.Count
  bool IsWholeColumn() const { return row1_ == 1 && row2_ == kMaxRows; }
  bool IsWholeRow() const { return col1_ == 1 && col2_ == kMaxColumns; }
  // The cell (i, j) relative to the range's top-left cell (1-based).
  Range Cells(long i, int j) const;
  // Value of the top-left cell; writing sets every cell (no change event).
  Variant Value() const;
  void Value(const Variant& v) const;
  // Displayed text of the top-left cell; throws HostError for an error value.
  std::string Text() const;
  // Makes the range the selection of its sheet; the active cell becomes its
  // top-left cell. Throws when the sheet is not the active sheet.
  void Select() const;
  // Last non-empty cell moving up from this cell (xlUp); row 1 when none.
  Range End(int direction) const;
  host::Font Font() const;
  std::string Address() const;  // "A1" or "A1:C5"

 private:
  Worksheet* sheet_;
  long row1_, row2_;
  int col1_, col2_;
};

// The font of a range: reading gives the first cell's, writing sets every
// cell; on whole columns it sets the column format and every cell in it.
// A Font keeps its own copy of the range, so it may outlive the Range it
// came from (it stays valid while the sheet lives).
class Font {
 public:
  explicit Font(const Range& r);
  int ColorIndex() const;
  void ColorIndex(int index);
  bool Bold() const;
  void Bold(bool bold);

 private:
  Range range_;
};

// The minimal query table: what the database layer needs to refresh it.
class KASSA_EXPORT QueryTable {
 public:
  virtual ~QueryTable();
  virtual void Connection(const std::string& connection) = 0;
  virtual std::string Connection() const = 0;
  virtual bool EnableRefresh() const = 0;
  virtual void EnableRefresh(bool on) = 0;
  // Runs CommandText through Connection and writes the result into the
  // sheet; throws HostError when the query cannot be run. The query only
  // reads: a text that is not one SELECT is refused (kErrorQueryRefused)
  // and the query runs in a read-only transaction. At most the rows the
  // sheet holds are read; a larger result loads those and then throws
  // kErrorResultTooLarge.
  virtual void Refresh() = 0;
  virtual std::string CommandText() const = 0;
  virtual void CommandText(const std::string& sql) = 0;
  // Removes the query table from its sheet (the cells keep their values).
  virtual void Delete() = 0;
  // How many times Refresh has written rows into the sheet, whoever called
  // it: a change tells that the sheet was loaded anew.
  virtual unsigned long RefreshCount() const { return 0; }
};

// A command button drawn on a sheet; clicking it runs `method` of the
// component `progid` with the sheet (the workbook's macro).
struct Shape {
  std::string name;
  std::string caption;
  int left = 0, top = 0, width = 0, height = 0;  // points
  std::string progid;                            // e.g. "Ledgertools.Special_Function"
  std::string method;                            // e.g. "Action_Common"
};

// A chart of a sheet: the sums of `value_column` by month, one bar per month
// (its label the texts of columns `label_first`..`label_last` joined by a
// blank, e.g. "Декабрь 2026"), stacked by the text of `series_column` (a
// category, an employee; 0 = one series). Rows 2 down to the sheet's last
// used row count when their value cell holds a number. The chart keeps no
// cells of its own: what it shows is summed from the sheet whenever it is
// drawn or written, so a refreshed table changes it and nothing else.
struct Chart {
  std::string name;   // e.g. "Chart_Category"
  std::string title;  // shown above the bars
  int label_first = 1, label_last = 1;
  int series_column = 0;
  int value_column = 2;
  int width = 360, height = 216;  // points
};

// What a chart shows, summed from its sheet. Months and series keep the
// order in which the table first names them.
struct ChartSummary {
  std::vector<std::string> months;
  std::vector<std::string> series;
  std::vector<std::vector<double>> sums;  // sums[month][series]
  std::vector<double> month_totals;       // per month, over all series
  std::vector<double> series_totals;      // per series, over all months
  double total = 0;
  bool empty() const { return months.empty(); }
};

class Worksheet;
// Sums the sheet's rows as `chart` says (see Chart).
ChartSummary SummarizeChart(const Worksheet& sheet, const Chart& chart);

// The extent of the cells holding a value (a format alone, such as a bold
// row, does not count): what is printed, and what a chart's figures are
// put beside. {0, 0} for a sheet without values.
struct Extent {
  long rows = 0;
  int columns = 0;
};
Extent ValueExtent(const Worksheet& sheet);

class KASSA_EXPORT Worksheet {
 public:
  Workbook& Parent() const { return *book_; }
  host::Application& Application() const;
  int Index() const;  // 1-based position in the workbook
  const std::string& Name() const { return name_; }
  void Name(const std::string& name);  // throws on a duplicate or empty name

  host::Range Cells(long row, int column);
  host::Range Rows(long row);
  host::Range Columns(int column);
  host::Range Range(const std::string& a1);  // "A1", "B2:C5", "A:A", "3:3"
  host::Range Range(const host::Range& a, const host::Range& b);
  host::Range UsedRange();

  // QueryTables(1): the sheet's query table; throws HostError when absent.
  QueryTable& QueryTables(int index);
  int QueryTablesCount() const;
  // Gives the sheet a query table (replacing one it had); rows land from A1.
  QueryTable& AddQueryTable(const std::string& connection, const std::string& command_text);
  // QueryTables(1).Delete(): the sheet loses its query table (values stay).
  // The object itself lives on with the sheet, so a reference still held by
  // a caller stays valid; throws HostError when the sheet has none.
  void DeleteQueryTable();

  // Shapes(name).Delete(); throws HostError when absent.
  void DeleteShape(const std::string& name);
  const Shape* FindShape(const std::string& name) const;
  std::vector<Shape>& shapes() { return shapes_; }
  const std::vector<Shape>& shapes() const { return shapes_; }

  // The sheet's charts; a copy of the sheet has them too. Changing them is
  // model building: call Touch() so views redraw.
  std::vector<Chart>& charts() { return charts_; }
  const std::vector<Chart>& charts() const { return charts_; }

  // Becomes the active sheet: deactivate of the old, then activate events.
  void Activate();
  // Copy(): into a new workbook ("Книга<n>", no macros, no event sink),
  // which becomes the active workbook; raises no events. The copy has the
  // cells, formats, widths, query table, shapes and charts of this sheet.
  void Copy();
  // Copy(After:=after): the copy placed behind `after` in after's workbook,
  // renamed "Name (2)", "Name (3)", ... when the name is taken there; it
  // becomes that workbook's active sheet (deactivate/activate events of
  // that workbook follow).
  void Copy(Worksheet& after);

  // Direct cell access for the model, files and views (no events).
  const Cell* FindCell(long row, int column) const;
  Cell& CellAt(long row, int column);  // creates it
  // Cells 1..`columns` of `row`, created: element c - 1 is the cell of
  // column c. Valid until a cell further right in the row is created.
  // Throws HostError outside the grid (columns >= 1).
  Cell* RowCells(long row, int columns);
  // Makes room for `columns` cells in each of rows `first`..`last` (within
  // the grid), so that filling them left to right allocates each row once.
  // Cells are not created: FindCell and the extent do not change.
  void ReserveCells(long first, long last, int columns);
  const CellFormat& ColumnFormat(int column) const;
  CellFormat& MutableColumnFormat(int column);
  // Extent of the cells holding a value or an own format; 0 when none.
  long LastUsedRow() const;
  int LastUsedColumn() const;
  void ClearCells(long row1, int col1, long row2, int col2);  // values only
  double ColumnWidth(int column) const;                       // characters
  void ColumnWidth(int column, double width);

  // Selection and active cell of this sheet.
  host::Range Selection();
  host::Range ActiveCell();
  void SetSelection(long row1, int col1, long row2, int col2);

  // Bumped on every change of cells, formats, shapes (views repaint on it).
  unsigned long revision() const { return revision_; }
  void Touch() { ++revision_; }

 private:
  friend class Workbook;
  friend class Application;
  friend struct EventDispatch;
  friend class WorkbookFile;
  Worksheet(Workbook& book, std::string name);
  Workbook* book_;
  std::string name_;
  std::vector<std::vector<Cell>> rows_;  // rows_[r-1][c-1]
  std::map<int, CellFormat> column_formats_;
  std::map<int, double> column_widths_;
  std::unique_ptr<QueryTable> query_;
  std::vector<std::unique_ptr<QueryTable>> retired_queries_;
  std::vector<Shape> shapes_;
  std::vector<Chart> charts_;
  long sel_r1_ = 1, sel_r2_ = 1, act_r_ = 1;
  int sel_c1_ = 1, sel_c2_ = 1, act_c_ = 1;
  unsigned long revision_ = 0;
};

// What the workbook's macros forward: one method per host event. Each
// returns 0 or the number of a run-time error that escaped it.
class KASSA_EXPORT WorkbookEventSink : public component::Object {
 public:
  virtual int Workbook_Open(Workbook& Wb) = 0;
  virtual int Workbook_BeforeClose(Workbook& Wb, bool& Cancel) = 0;
  virtual int Workbook_BeforeSave(Workbook& Wb, bool& Cancel) = 0;
  virtual int Workbook_SheetActivate(Worksheet& Sh) = 0;
  virtual int Workbook_SheetChange(Worksheet& Sh, Range& Target) = 0;
  virtual int Workbook_SheetDeactivate(Workbook& Wb) = 0;
};

// What a sheet button's macro calls: `method` with the button's sheet.
// Returns 0, or a run-time error number (1004 for an unknown method).
class KASSA_EXPORT SheetMacroTarget : public component::Object {
 public:
  virtual int Run_Macro(const std::string& method, Worksheet& sheet) = 0;
};

namespace user {
void Click(Worksheet& sheet, const std::string& shape);
}

// The side of a workbook that another spreadsheet program keeps when that
// program shows the workbook in its own window (an office document): it
// owns the file and the window, the host keeps the model the system works
// on (see Application::OpenDocument). Called on the host's thread.
class KASSA_EXPORT WorkbookDocument {
 public:
  virtual ~WorkbookDocument();
  // Workbook::Save: the program writes its file in its own way, keeping
  // `host_data` (the host's own data: event sink, query tables, buttons,
  // texts the components keep) as the file's custom properties in place of
  // the ones it held, and returns the workbook's full file name afterwards.
  // Throws HostError on failure.
  virtual std::string Store(const std::vector<std::pair<std::string, std::string>>& host_data) = 0;
  // Workbook::Close: the workbook is closed in the host; the program closes
  // its window without asking anything.
  virtual void Closed() = 0;
};

class KASSA_EXPORT Workbook {
 public:
  ~Workbook();
  host::Application& Parent() const { return *app_; }
  Worksheet& ActiveSheet();
  // File name with its extension ("Kassa.xls"); "Книга1" before a first save.
  const std::string& Name() const { return name_; }
  // Folder without a final "/"; "" before a first save.
  const std::string& Path() const { return path_; }
  std::string FullName() const;
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool ro) { read_only_ = ro; }
  // What the workbook's file held that the host does not keep (formulas,
  // merged cells, fills, ...), one Russian name per kind; empty when the
  // model holds all of it. Such a workbook opens read-only and is never
  // written (Save and SaveAs throw HostError), so its file is not damaged.
  const std::vector<std::string>& UnkeptContent() const { return unkept_; }

  // Texts a component keeps with the workbook (for example the workbook's
  // configuration), saved in its file and read back; "" when none. Setting
  // one does not count as a change of the workbook.
  std::string StoredText(const std::string& key) const;
  void StoredText(const std::string& key, const std::string& text);  // "" removes it
  const std::map<std::string, std::string>& StoredTexts() const { return stored_texts_; }

  int SheetsCount() const { return static_cast<int>(sheets_.size()); }
  Worksheet& Sheets(int index);                // 1-based; throws HostError (9)
  Worksheet& Sheets(const std::string& name);  // throws HostError (9)
  Worksheet& Worksheets(int index) { return Sheets(index); }
  Worksheet& Worksheets(const std::string& name) { return Sheets(name); }
  Worksheet* FindSheet(const std::string& name);
  // Adds a sheet at the end (model building; no events).
  Worksheet& AddSheet(const std::string& name);

  // Writes the workbook file (.xlsx whatever the extension says) and takes
  // the new name and folder; access_mode is accepted for compatibility.
  // No events. Throws HostError when the file cannot be written.
  void SaveAs(const std::string& filename, int access_mode = 1);
  // Writes to its own file (no events).
  void Save();
  // Closes the workbook without events or questions. The workbook that was
  // active before it becomes the active one again.
  void Close();
  bool Saved() const { return saved_; }
  void MarkChanged() { saved_ = false; }

  // The workbook's macros: the event sink's ProgID ("" = none).
  const std::string& EventSinkProgId() const { return sink_progid_; }
  void SetEventSinkProgId(const std::string& progid) { sink_progid_ = progid; }
  WorkbookEventSink* EventSink() const { return sink_.get(); }
  // Installs an event sink directly (programs and tests that build a
  // workbook themselves); null removes it. Raises no event.
  void SetEventSink(std::shared_ptr<WorkbookEventSink> sink) { sink_ = std::move(sink); }

  bool closed() const { return closed_; }

  // A short line about the workbook's state that its macros set for as long
  // as it holds (the workbook window shows it); "" when there is nothing to
  // tell. Not saved with the file; no events.
  const std::string& Status() const { return status_; }
  void SetStatus(const std::string& status) { status_ = status; }

  // Makes this the application's active workbook (its window comes to the
  // front); its active sheet stays. No events. Throws when it is closed.
  void Activate();

 private:
  friend class Application;
  friend class Worksheet;
  friend struct EventDispatch;
  friend class WorkbookFile;
  friend void user::Click(Worksheet& sheet, const std::string& shape);
  Workbook(host::Application& app, std::string name);
  // Copies `sheet` (cells, formats, widths, query table, shapes, charts) into this
  // workbook at 0-based `position` under a free name; returns the copy.
  Worksheet& InsertCopy(const Worksheet& sheet, size_t position);
  std::string FreeSheetName(const std::string& base) const;
  host::Application* app_;
  std::string name_, path_, status_;
  bool read_only_ = false, saved_ = true, closed_ = false;
  std::vector<std::unique_ptr<Worksheet>> sheets_;
  int active_ = 0;  // 0-based index of the active sheet
  std::string sink_progid_;
  std::vector<std::string> unkept_;
  std::map<std::string, std::string> stored_texts_;
  std::shared_ptr<WorkbookEventSink> sink_;
  std::map<std::string, std::shared_ptr<SheetMacroTarget>> macro_targets_;
  std::shared_ptr<WorkbookDocument> document_;  // set by Application::OpenDocument
};

class KASSA_EXPORT Application {
 public:
  Application();
  ~Application();
  Application(const Application&) = delete;

  // The active workbook; throws HostError when none is open.
  Workbook& ActiveWorkbook();
  // ActiveWindow.Close(SaveChanges): raises before-close (and, when saving
  // a changed or never-saved book, before-save) on the active workbook, then
  // saves and closes it unless an event cancelled.
  void ActiveWindowClose(bool SaveChanges);
  // The active cell of the active sheet of the active workbook.
  Range ActiveCell();
  // WorksheetFunction.Replace: `count` characters from 1-based `start`
  // replaced by `replacement` (characters, not bytes).
  std::string Replace(const std::string& text, long start, long count,
                      const std::string& replacement) const;

  // Opens a workbook file; its macros run: the event sink is created by its
  // ProgID (a component that cannot be created is reported once) and
  // Workbook_Open is raised. A file holding content the host does not keep
  // opens read-only, and the user is told why before the macros run.
  // Throws HostError when the file cannot be read.
  Workbook& Open(const std::string& path, bool read_only = false);
  // Opens a workbook that another program already shows (`document`): it
  // is named after `full_name`, `fill` builds its sheets, cells and active
  // sheet (no events run yet), the host's own data comes from the
  // document's custom properties `properties` (name, value; those named
  // "KassaHost.NNN"), then the workbook's macros run as in Open. Save and
  // Close of this workbook go through `document`. Throws HostError when
  // `fill` does.
  Workbook& OpenDocument(const std::string& full_name,
                         const std::vector<std::pair<std::string, std::string>>& properties,
                         std::shared_ptr<WorkbookDocument> document,
                         const std::function<void(Workbook&)>& fill, bool read_only = false);
  // Opens a workbook file with its macros disabled: no event sink is
  // created and no event is raised (exports of a file as it was saved).
  // The workbook opens read-only. Throws HostError as Open does.
  Workbook& OpenWithoutMacros(const std::string& path);
  // A new empty workbook with one sheet, made active.
  Workbook& Add();
  std::vector<Workbook*> Workbooks();

  // Called for every workbook that is closed (views drop their tabs).
  std::function<void(Workbook&)> on_closed;

 private:
  friend class Workbook;
  friend class Worksheet;
  friend struct EventDispatch;
  // Releases the cell contents of closed workbooks when no event or macro
  // is running.
  void FreeClosedBooks();
  Workbook& NewBook();
  // Makes `wb` the active workbook, last in the activation order.
  void SetActive(Workbook& wb);
  std::vector<std::unique_ptr<Workbook>> books_;
  std::vector<std::unique_ptr<Workbook>> closed_books_;  // kept for the Application's life
  Workbook* active_ = nullptr;
  // The open workbooks in the order they were last active, the active one
  // last: closing a workbook makes the one before it active again.
  std::vector<Workbook*> activation_order_;
  int new_book_counter_ = 0;
  int event_depth_ = 0;  // events currently running (nesting)
};

// User actions, as a person performs them in the workbook window. Each raises
// the events the spreadsheet program raises; a non-zero status or HostError
// escaping an event is reported through the UI port and the work goes on.
namespace user {
void Activate(Worksheet& sheet);
void Select(Worksheet& sheet, long row1, int col1, long row2, int col2);
// Typing `text` into a cell: parsed under the locale (number with decimal
// comma, date d.m.yy / dd.mm.yyyy, time h:mm[:ss], leading apostrophe =
// text, otherwise text; "" clears); one change event for the cell.
void Type(Worksheet& sheet, long row, int column, const std::string& text);
// Pasting a block of tab-separated lines at (row, column): one change event
// for the whole block. Each piece is parsed as typed text.
void Paste(Worksheet& sheet, long row, int column, const std::string& tsv);
// The cells of a block of tab-separated lines as Paste takes them: lines end
// at '\n' (a '\r' before it is dropped), cells at '\t'; no line, no cells.
std::vector<std::vector<std::string>> SplitTabbedLines(const std::string& tsv);
// Clearing a range: one change event for the range.
void Clear(Worksheet& sheet, long row1, int col1, long row2, int col2);
// The user changed the cells of `target` in the program that shows the
// workbook (OpenDocument); their new contents are already in the model:
// one change event for the range.
void Changed(Worksheet& sheet, const Range& target);
// Clicking a sheet button: its macro runs with the sheet.
void Click(Worksheet& sheet, const std::string& shape);
// Save: before-save event, then the file is written unless cancelled (or
// read-only). Close: before-close event, then the workbook closes unless
// cancelled or already closed by the event.
void Save(Workbook& book);
// Save As: before-save event, then the workbook is written under `path` and
// takes that name, unless cancelled.
void SaveAs(Workbook& book, const std::string& path);
void Close(Workbook& book);
}  // namespace user

// Parses typed text as the host does (see user::Type).
Variant ParseTyped(const std::string& text, const Locale& l = CurrentLocale());

// Column letters <-> numbers ("A" = 1, "IV" = 256) and A1 addresses.
std::string ColumnName(int column);
bool ParseAddress(const std::string& a1, long& row1, int& col1, long& row2, int& col2);

}  // namespace kassa::host
