// sheetsync_bench: the synchronisation engine's figures against anchors on
// the same data, from one run on a test server (README, "Performance").
//
//   scripts/testenv.sh start build/benchenv build/deploy
//   export KASSA_TESTENV=build/benchenv KASSA_DEPLOY=build/benchenv/deploy
//   export KASSA_DB_DIR=build/benchenv/db KASSA_COMPONENTS=build/benchenv/components.conf
//   build/bench/sheetsync_bench [rows]         (10000 when not given; 1..65535)
//
// The ledger database is installed afresh and filled with `rows` payments
// (100 employees, 100 categories). Each figure and its anchor run
// alternately 7 times; printed are the medians of both and of the per-run
// ratios (wall time; the engine's pauses run on the virtual clock), with
// the target ratio:
//   first open    the sample workbook opened afresh (its macros refresh the
//                 cash sheet: a new workbook object and query table each run)
//                 vs a bare fetch of the sheet's query on an open connection
//   refresh       the sheet's refresh over its filled cells vs a bare fetch
//   compare       Sheet_Differs on the unchanged sheet vs a bare fetch
//   store         Store_Sheet of the whole sheet (read, look up, one
//                 transaction, refresh) vs DELETE + one multi-row INSERT of
//                 the same rows in one transaction, on one connection
//   paste         a block of 100 rows x 5 columns pasted into the sheet vs
//                 the statements that paste sent, sent bare in one
//                 transaction on one connection
//   one cell      round trips of one typed cell, and its median time
//   peak memory   peak resident size (getrusage) of a process that opens the
//                 sample workbook, and of one that reopens it saved with
//                 its rows, per sheet row; beside it the same process
//                 started without a workbook
//   larger        then, with 1,000,000 payments, a query-table refresh of the
//                 whole table (it stops at the sheet's 65,535 data rows) vs a
//                 refresh of a query limited to those rows; and this
//                 process's peak memory after the limited refresh and after
//                 both
//   quoting       the text of one cell of 1,000,000 apostrophes quoted for
//                 its literal vs a copy of the same text
// A bare fetch is the client layer's query with every row fetched.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/sql/sql.h"
#include "platform/ui/script/scripted.h"
#include "sheetsync/engine.h"
#include "sheetsync/literals.h"
#include "tests/sheetsync/test_book.h"
#include "tests/support/testsupport.h"

namespace {

namespace fs = std::filesystem;
namespace ts = kassa::testsupport;
using Clock = std::chrono::steady_clock;

constexpr int kNames = 100;
constexpr int kRuns = 7;
constexpr long kPasteRows = 100;
int g_rows = 10000;

double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

template <class F>
double Time(F&& f) {
  auto a = Clock::now();
  f();
  return Seconds(a, Clock::now());
}

double MedianOf(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Our operation and its anchor, run alternately so that both meet the same
// load: the median of each and the median of the per-run ratios.
struct Pair {
  double ours, anchor, ratio;
};

template <class F, class G>
Pair Interleaved(F&& ours, G&& anchor) {
  std::vector<double> a, b, r;
  for (int k = 0; k < kRuns; ++k) {
    a.push_back(Time(ours));
    b.push_back(Time(anchor));
    r.push_back(a.back() / b.back());
  }
  return {MedianOf(a), MedianOf(b), MedianOf(r)};
}

// Employee k + 1 is "Имя<100 + k>", category k + 1 is "К<100 + k>".
std::string Name(int k) {
  return "Имя" + std::to_string(100 + k);
}
std::string Category(int k) {
  return "К" + std::to_string(100 + k);
}

// The value list of sheet row r as the engine writes it.
std::string RowValues(int r) {
  int i = r - 2;
  char date[32];
  std::snprintf(date, sizeof date, "'2010-%d-%d'", 1 + i % 12, 1 + i % 28);
  return std::to_string(r) + ", " + date + ", " + std::to_string(1 + i % kNames) + ", 'платёж " +
         std::to_string(i + 1) + "', " + std::to_string(i + 1) + ".25, " +
         std::to_string(1 + (i * 7) % kNames);
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "sheetsync_bench: %s\n", what.c_str());
  std::exit(1);
}

void Seed() {
  if (!ts::ResetDatabase()) Fail("the ledger database could not be installed");
  std::string members = "INSERT INTO OUR_MEMBERS (ID_RESPONSIBLE, NAME_SHORT) VALUES ";
  std::string categories = "INSERT INTO CATEGORY_NAL (ID_CATEGORY_PAYMENT, NAME_ENCIPHER) VALUES ";
  for (int k = 0; k < kNames; ++k) {
    members += (k ? ", (" : "(") + std::to_string(k + 1) + ", '" + Name(k) + "')";
    categories += (k ? ", (" : "(") + std::to_string(k + 1) + ", '" + Category(k) + "')";
  }
  std::string error;
  if (!ts::RootExec(members, &error) || !ts::RootExec(categories, &error)) Fail(error);
  std::string nal =
      "INSERT INTO NAL (ID_EXL, DATE_ON, RECIPIENT_ID, ESTABLISH_PAYMENT, SUM_RUB, "
      "CATEGORY_PAYMENT_ID) VALUES ";
  for (int r = 2; r < g_rows + 2; ++r) nal += (r > 2 ? ", (" : "(") + RowValues(r) + ")";
  if (!ts::RootExec(nal, &error)) Fail(error);
}

std::unique_ptr<kassa::sql::Connection> AppConnection() {
  kassa::sql::Params p;
  if (!ts::AppParams(p)) Fail("no Connect_Parametrs.ini in the test deployment");
  std::string error;
  auto c = kassa::sql::Connection::Open(p, error);
  if (!c) Fail(error);
  return c;
}

void BareFetch(kassa::sql::Connection& c, const std::string& query) {
  std::string error;
  auto r = c.Query(query, error);
  if (!r) Fail(error);
  if (static_cast<int>(r->RowCount()) != g_rows) Fail("the bare fetch missed rows");
}

std::string Thousands(long n) {
  const std::string digits = std::to_string(n);
  std::string s;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) s += ',';
    s += digits[i];
  }
  return s;
}

// Peak resident memory of this process so far, in MB.
double PeakMegabytes() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024;
}

// A figure without a target.
void Print(const std::string& what, const Pair& p, const char* anchor_what) {
  std::printf("%-36s %7.3f s   %-34s %7.3f s   ratio %5.2f\n", what.c_str(), p.ours, anchor_what,
              p.anchor, p.ratio);
  std::fflush(stdout);
}

void Print(const std::string& what, const Pair& p, const char* anchor_what, double target) {
  std::printf("%-36s %7.3f s   %-34s %7.3f s   ratio %5.2f   target <= %.1f%s\n", what.c_str(),
              p.ours, anchor_what, p.anchor, p.ratio, target, p.ratio <= target ? "" : "  ABOVE");
  std::fflush(stdout);
}

// A transcript word back to its text (the reverse of ui::Quote).
std::string Unquote(const std::string& word) {
  if (word.size() < 2 || word.front() != '"') return word;
  std::string out;
  for (size_t i = 1; i + 1 < word.size(); ++i) {
    char ch = word[i];
    if (ch == '\\' && i + 2 < word.size()) {
      char next = word[++i];
      ch = next == 'n' ? '\n' : next == 't' ? '\t' : next;
    }
    out += ch;
  }
  return out;
}

// The statements of the transcript's SQL lines, in order.
std::vector<std::string> TracedStatements(const kassa::ui::ScriptedBackend& backend) {
  std::vector<std::string> out;
  for (const std::string& line : backend.transcript())
    if (line.rfind("SQL ", 0) == 0) out.push_back(Unquote(line.substr(4)));
  return out;
}

// ---- peak memory, measured in a process of its own

const char* kPeakFlag = "--peak";

// The child: a process that does only this (open or reopen a workbook, or
// nothing), so its peak resident size is the figure.
int PeakChild(const std::string& mode, const std::string& book, long rows) {
  using namespace kassa;
  ui::ScriptedBackend backend;
  ui::Install(&backend);
  backend.unanswered = [](const ui::RecordedMessage& m) {
    std::fprintf(stderr, "message: %s\n", m.text.c_str());
    return ui::Answer::OK;
  };
  int status = 0;
  {
    host::Application app;
    if (mode != "idle") {
      host::Workbook& wb = app.Open(book);
      const host::Worksheet& ws = wb.ActiveSheet();
      if (ws.LastUsedRow() != rows + 1) status = 2;
    }
    struct rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("%ld\n", ru.ru_maxrss);
  }
  ui::Install(nullptr);
  return status;
}

// The peak of a child counts what it was forked from, so the children are
// started by a launcher forked at the bench's start, while the bench is
// still small: a request line "<mode> <book>" on one pipe, the child's peak
// resident size in KiB (getrusage of the child, through wait4) on the other.
struct Launcher {
  FILE* requests = nullptr;
  FILE* answers = nullptr;
};
Launcher g_launcher;

long SpawnPeak(const std::string& self, const std::string& mode, const std::string& book) {
  const std::string rows = std::to_string(g_rows);
  pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (!std::freopen("/dev/null", "w", stdout)) _exit(127);
    execl(self.c_str(), self.c_str(), kPeakFlag, mode.c_str(), book.c_str(), rows.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  struct rusage ru {};
  if (wait4(pid, &status, 0, &ru) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return -1;
  return ru.ru_maxrss;
}

void StartLauncher(const std::string& self) {
  int to[2], from[2];
  if (pipe(to) != 0 || pipe(from) != 0) Fail("cannot make a pipe");
  std::fflush(nullptr);  // nothing buffered is written twice
  pid_t pid = fork();
  if (pid < 0) Fail("cannot start the launcher");
  if (pid == 0) {
    close(to[1]);
    close(from[0]);
    FILE* in = fdopen(to[0], "r");
    FILE* out = fdopen(from[1], "w");
    char mode[32], book[4096];
    while (in && out && std::fscanf(in, "%31s %4095s", mode, book) == 2) {
      std::fprintf(out, "%ld\n", SpawnPeak(self, mode, book));
      std::fflush(out);
    }
    _exit(0);
  }
  close(to[0]);
  close(from[1]);
  g_launcher.requests = fdopen(to[1], "w");
  g_launcher.answers = fdopen(from[0], "r");
}

// The peak resident size in KiB of a process doing only `mode` with `book`.
long PeakOf(const std::string& mode, const std::string& book) {
  std::fprintf(g_launcher.requests, "%s %s\n", mode.c_str(), book.empty() ? "-" : book.c_str());
  std::fflush(g_launcher.requests);
  long kib = -1;
  if (std::fscanf(g_launcher.answers, "%ld", &kib) != 1 || kib < 0)
    Fail("the " + mode + " process failed");
  return kib;
}

// The target holds for whole sheets: at 65,534 rows (below that, what the
// process needs without a workbook weighs on each row).
void PrintPeak(const char* what, long kib, long idle_kib) {
  const double per_row = static_cast<double>(kib) * 1024.0 / g_rows;
  const char* verdict = g_rows < 65534 ? "" : per_row <= 1024 ? "" : "  ABOVE";
  std::printf(
      "%-36s %7.1f MB   %6.0f B per sheet row (process alone %.1f MB, %.0f B per row "
      "above it)   target <= 1024 B at 65,534 rows%s\n",
      what, kib / 1024.0, per_row, idle_kib / 1024.0,
      static_cast<double>(kib - idle_kib) * 1024.0 / g_rows, verdict);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kassa;
  if (argc == 5 && std::string(argv[1]) == kPeakFlag)
    return PeakChild(argv[2], argv[3], std::strtol(argv[4], nullptr, 10));
  if (argc > 2) Fail("usage: sheetsync_bench [rows]");
  if (argc == 2) g_rows = static_cast<int>(std::strtol(argv[1], nullptr, 10));
  if (g_rows < 1 || g_rows > host::kMaxRows - 1) Fail("rows: 1..65535");
  if (!ts::HaveTestEnv()) Fail("run with the test environment (see the head of this file)");
  StartLauncher(fs::canonical("/proc/self/exe").string());
  const ts::TestEnv env = ts::TestEnv::FromEnvironment();
  fs::copy_file(ts::SourceDir() + "/tests/scenarios/sheetsync/Sync.ini", env.dlls() + "/Sync.ini",
                fs::copy_options::overwrite_existing);
  const fs::path dir = fs::path(env.testenv) / "sheetsync_bench";
  fs::create_directories(dir);
  const std::string book_path = (dir / "Sync.xls").string();
  sheetsync::testing::WriteTestBook(book_path, false);
  const std::string sample = (dir / "Kassa.xls").string();
  fs::copy_file(env.deploy + "/Kassa.xls", sample, fs::copy_options::overwrite_existing);
  const std::string sample_saved = (dir / "Kassa_saved.xls").string();

  ui::ScriptedBackend backend;
  ui::Install(&backend);
  backend.unanswered = [](const ui::RecordedMessage& m) {
    std::fprintf(stderr, "message: %s\n", m.text.c_str());
    return ui::Answer::OK;
  };

  std::printf("sheetsync_bench: %s rows, %d employees, %d categories, %d runs per figure\n",
              Thousands(g_rows).c_str(), kNames, kNames, kRuns);
  Seed();
  auto conn = AppConnection();
  const std::string query = "Select * from Nal_Exl";
  const std::string rows_text = Thousands(g_rows) + " rows";

  // First open of the sample workbook: a new workbook object and query
  // table each run; its macros refresh the cash sheet.
  {
    const std::string sample_query =
        "SELECT Date_On, Name_Recipient, Establish_Payment, Sum_RUB, Name_Category FROM Nal_Exl";
    host::Application app;
    Pair open = Interleaved(
        [&] {
          host::Workbook& wb = app.Open(sample);
          if (wb.ActiveSheet().LastUsedRow() != g_rows + 1)
            Fail("the sample workbook was not filled");
          wb.Close();
        },
        [&] { BareFetch(*conn, sample_query); });
    Print("first open, " + rows_text, open, "bare fetch of its query", 1.5);
    host::Workbook& wb = app.Open(sample);
    wb.SaveAs(sample_saved, 1);
    wb.Close();
  }

  host::Application app;
  host::Workbook& wb = app.Open(book_path);
  auto engine = std::make_shared<sheetsync::Engine>();
  wb.SetEventSink(engine);
  if (engine->Workbook_Open(wb) != 0 || engine->Stop_Program) Fail("the workbook did not open");

  // Refresh over the filled sheet vs bare fetch.
  if (engine->ActiveSheet().Cells(g_rows + 1, 3).Text() != "платёж " + std::to_string(g_rows))
    Fail("the sheet was not refreshed");
  Pair refresh = Interleaved([&] { engine->Refresh_Sheet(); }, [&] { BareFetch(*conn, query); });
  Print("refresh, " + rows_text, refresh, "bare fetch of its query", 1.3);

  // Comparison of the unchanged sheet vs bare fetch.
  if (engine->Sheet_Differs()) Fail("the unchanged sheet compared as changed");
  Pair compare = Interleaved(
      [&] {
        if (engine->Sheet_Differs()) Fail("the unchanged sheet compared as changed");
      },
      [&] { BareFetch(*conn, query); });
  Print("Sheet_Differs unchanged, " + rows_text, compare, "bare fetch of its query", 1.3);

  // Store vs one multi-row insert of the same rows.
  std::string insert =
      "Insert Into NAL (ID_Exl, DATE_ON, RECIPIENT_ID, ESTABLISH_PAYMENT, SUM_RUB, "
      "CATEGORY_PAYMENT_ID) Values ";
  for (int r = 2; r < g_rows + 2; ++r) insert += (r > 2 ? "), (" : "(") + RowValues(r);
  insert += ")";
  std::string error;
  Pair store = Interleaved(
      [&] {
        engine->Store_Sheet(false);
        if (engine->Stop_Program) Fail("the store failed");
      },
      [&] {
        if (!conn->Begin(error) || !conn->Execute("Delete From NAL", error) ||
            !conn->Execute(insert, error) || !conn->Commit(error))
          Fail(error);
      });
  Print("Store_Sheet, " + rows_text, store, "DELETE + one multi-row INSERT", 1.5);
  if (ts::RootQuery("SELECT count(*) FROM NAL").at(0).at(0) != std::to_string(g_rows))
    Fail("the table does not hold the sheet's rows after the store");

  // A paste of 100 rows x 5 columns over rows 2..101 (every value stored,
  // both dictionaries used) vs its statements sent bare in one transaction.
  {
    const long paste_rows = std::min<long>(kPasteRows, g_rows);
    std::string tsv;
    for (long i = 0; i < paste_rows; ++i) {
      tsv += std::to_string(1 + i % 28) + ".0" + std::to_string(1 + i % 9) + ".2011\t" +
             Name(static_cast<int>(i * 3 % kNames)) + "\tвставка " + std::to_string(i) + "\t" +
             std::to_string(i) + ",5\t" + Category(static_cast<int>(i * 11 % kNames)) + "\n";
    }
    backend.SetTrace(true);
    backend.ClearTranscript();
    host::user::Paste(wb.ActiveSheet(), 2, 1, tsv);
    if (engine->Stop_Program) Fail("the paste failed");
    const std::vector<std::string> statements = TracedStatements(backend);
    Pair paste = Interleaved(
        [&] {
          host::user::Paste(wb.ActiveSheet(), 2, 1, tsv);
          if (engine->Stop_Program) Fail("the paste failed");
        },
        [&] {
          if (!conn->Begin(error)) Fail(error);
          for (const std::string& s : statements)
            if (!conn->Execute(s, error)) Fail(error);
          if (!conn->Commit(error)) Fail(error);
        });
    backend.SetTrace(false);
    Print("paste " + std::to_string(paste_rows) + " x 5 (" + std::to_string(statements.size()) +
              " statements)",
          paste, "its statements in one transaction", 2.0);
    if (ts::RootQuery("SELECT ESTABLISH_PAYMENT FROM NAL WHERE ID_EXL = 2").at(0).at(0) !=
        "вставка 0")
      Fail("the paste was not stored");
    // For scale: the same rows as one UPDATE each (all five fields).
    std::vector<std::string> row_updates;
    for (long i = 0; i < paste_rows; ++i)
      row_updates.push_back("Update NAL Set DATE_ON = '2011-" + std::to_string(1 + i % 9) + "-" +
                            std::to_string(1 + i % 28) + "', RECIPIENT_ID = " +
                            std::to_string(1 + i * 3 % kNames) + ", ESTABLISH_PAYMENT = 'вставка " +
                            std::to_string(i) + "', SUM_RUB = " + std::to_string(i) +
                            ".5, CATEGORY_PAYMENT_ID = " + std::to_string(1 + i * 11 % kNames) +
                            " Where ID_Exl = " + std::to_string(i + 2));
    std::vector<double> bare;
    for (int k = 0; k < kRuns; ++k)
      bare.push_back(Time([&] {
        if (!conn->Begin(error)) Fail(error);
        for (const std::string& s : row_updates)
          if (!conn->Execute(s, error)) Fail(error);
        if (!conn->Commit(error)) Fail(error);
      }));
    std::printf(
        "  for scale: the same rows as %ld one-row UPDATEs in one transaction %.3f s, "
        "paste / that %.2f\n",
        paste_rows, MedianOf(bare), paste.ours / MedianOf(bare));
  }

  // One typed cell: round trips and median time.
  backend.SetTrace(true);
  std::vector<double> times;
  size_t trips = 0;
  for (int k = 0; k < 21; ++k) {
    backend.ClearTranscript();
    times.push_back(Time([&] {
      host::user::Type(wb.ActiveSheet(), 2 + k % g_rows, 3, "правка " + std::to_string(k));
    }));
    trips = TracedStatements(backend).size();
  }
  backend.SetTrace(false);
  std::printf("%-36s %7zu round trips, median %.2f ms   target 3%s\n", "one typed cell", trips,
              MedianOf(times) * 1000, trips == 3 ? "" : "  ABOVE");

  // Peak memory of a process that opens the sample workbook, and of one
  // that reopens it saved with its rows (its macros refresh it again).
  const long idle = PeakOf("idle", "");
  PrintPeak(("peak memory, first open, " + rows_text).c_str(), PeakOf("open", sample), idle);
  PrintPeak(("peak memory, reopen saved, " + rows_text).c_str(), PeakOf("reopen", sample_saved),
            idle);
  std::printf("%-36s %7.1f MB\n", "peak memory of this bench", PeakMegabytes());

  // A table larger than the sheet: the refresh reads no more than the sheet
  // holds, so it costs what a full sheet costs, in time and in memory.
  if (!ts::RootExec("INSERT INTO NAL SELECT seq, '2010-01-05', 1, CONCAT('платёж ', seq), seq, 1 "
                    "FROM seq_" +
                        std::to_string(g_rows + 2) + "_to_1000001",
                    &error))
    Fail(error);
  std::string cn, with_password, masked;
  if (engine->ADB->Get_Connection_Parametrs(cn, with_password, masked) != 0)
    Fail("no connection parameters");
  // One sheet, its query switched between the whole table and the rows
  // that fit, so both refreshes fill the same cells.
  host::QueryTable& qt = app.Add().Sheets(1).AddQueryTable(with_password, query);
  auto refresh_whole = [&] {
    qt.CommandText(query);
    try {
      qt.Refresh();
      Fail("the table larger than the sheet was loaded without a word");
    } catch (const host::HostError& e) {
      if (e.code() != host::kErrorResultTooLarge) Fail(e.what());
    }
  };
  auto refresh_limited = [&] {
    qt.CommandText(query + " LIMIT 65535");
    qt.Refresh();
  };
  refresh_limited();
  const double peak_limited = PeakMegabytes();
  Pair larger = Interleaved(refresh_whole, refresh_limited);
  Print("refresh, 1,000,000-row table", larger, "refresh of its first 65,535");
  std::printf("  peak memory %.0f MB after the 65,535-row refresh, %.0f MB after both\n",
              peak_limited, PeakMegabytes());

  const std::string apostrophes(1000000, '\'');
  std::string quoted, copied;
  Pair quoting = Interleaved([&] { quoted = sheetsync::QuoteText(apostrophes); },
                             [&] { copied = std::string(apostrophes.data(), apostrophes.size()); });
  if (quoted.size() != apostrophes.size() / 2 || copied.size() != apostrophes.size())
    Fail("quoting gave the wrong text");
  Print("quoting 1,000,000 apostrophes", quoting, "a copy of the same text");
  ui::Install(nullptr);
  return 0;
}
