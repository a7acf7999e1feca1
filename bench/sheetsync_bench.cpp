// sheetsync_bench: the synchronisation engine's figures against anchors on
// the same data, from one run on the test server.
//
//   scripts/testenv.sh start <build>/testenv <build>/deploy
//   export KASSA_TESTENV=<build>/testenv KASSA_DEPLOY=<build>/testenv/deploy
//   export KASSA_DB_DIR=<build>/testenv/db KASSA_COMPONENTS=<build>/testenv/components.conf
//   <build>/bench/sheetsync_bench
//
// The ledger database is installed afresh and filled with 10,000 payments
// (100 employees, 100 categories). Each figure and its anchor run
// alternately 7 times; printed are the medians of both and of the per-run
// ratios (wall time; the engine's pauses run on the virtual clock):
//   store      Store_Sheet of the 10,000-row sheet "Наличные" (read, look up,
//              one transaction, refresh) vs one multi-row INSERT of the same
//              rows after a DELETE, on one connection
//   compare    Sheet_Differs on the unchanged sheet vs a bare fetch of its query
//   refresh    the sheet's refresh vs a bare fetch of its query
//   one cell   round trips and median time of one typed cell
//   larger     then, with 1,000,000 payments, a query-table refresh of the
//              whole table (it stops at the sheet's 65,535 data rows) vs a
//              refresh of a query limited to those rows; and the process's
//              peak memory after the limited refresh and after both
//   quoting    the text of one cell of 1,000,000 apostrophes quoted for its
//              literal vs a copy of the same text
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
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

constexpr int kRows = 10000;
constexpr int kNames = 100;

double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

template <class F>
double Time(F&& f) {
  auto a = Clock::now();
  f();
  return Seconds(a, Clock::now());
}

constexpr int kRuns = 7;

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

// The value list of sheet row r as the engine writes it.
std::string RowValues(int r) {
  int i = r - 2;
  char date[32];
  std::snprintf(date, sizeof date, "'2010-%d-%d'", 1 + i % 12, 1 + i % 28);
  return std::to_string(r) + ", " + date + ", " + std::to_string(1 + i % kNames) + ", 'платёж " +
         std::to_string(i + 1) + "', " + std::to_string(i + 1) + ".25, " +
         std::to_string(1 + (i * 7) % kNames);
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "sheetsync_bench: %s\n", what.c_str());
  std::exit(1);
}

void Seed() {
  if (!ts::ResetDatabase()) Fail("the ledger database could not be installed");
  std::string members = "INSERT INTO OUR_MEMBERS (ID_RESPONSIBLE, NAME_SHORT) VALUES ";
  std::string categories = "INSERT INTO CATEGORY_NAL (ID_CATEGORY_PAYMENT, NAME_ENCIPHER) VALUES ";
  for (int k = 0; k < kNames; ++k) {
    members += (k ? ", (" : "(") + std::to_string(k + 1) + ", '" + Name(k) + "')";
    categories +=
        (k ? ", (" : "(") + std::to_string(k + 1) + ", 'К" + std::to_string(100 + k) + "')";
  }
  std::string error;
  if (!ts::RootExec(members, &error) || !ts::RootExec(categories, &error)) Fail(error);
  std::string nal =
      "INSERT INTO NAL (ID_EXL, DATE_ON, RECIPIENT_ID, ESTABLISH_PAYMENT, SUM_RUB, "
      "CATEGORY_PAYMENT_ID) VALUES ";
  for (int r = 2; r < kRows + 2; ++r) nal += (r > 2 ? ", (" : "(") + RowValues(r) + ")";
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
  if (!c.Query(query, error)) Fail(error);
}

// Peak resident memory of this process so far, in MB.
double PeakMegabytes() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024;
}

void Print(const char* what, const Pair& p, const char* anchor_what) {
  std::printf("%-32s %7.3f s   %-30s %7.3f s   ratio %5.2f\n", what, p.ours, anchor_what, p.anchor,
              p.ratio);
}

}  // namespace

int main() {
  using namespace kassa;
  if (!ts::HaveTestEnv()) Fail("run with the test environment (see the head of this file)");
  const ts::TestEnv env = ts::TestEnv::FromEnvironment();
  fs::copy_file(ts::SourceDir() + "/tests/scenarios/sheetsync/Sync.ini", env.dlls() + "/Sync.ini",
                fs::copy_options::overwrite_existing);
  const fs::path dir = fs::path(env.testenv) / "sheetsync_bench";
  fs::create_directories(dir);
  const std::string book_path = (dir / "Sync.xls").string();
  sheetsync::testing::WriteTestBook(book_path, false);

  ui::ScriptedBackend backend;
  ui::Install(&backend);
  backend.unanswered = [](const ui::RecordedMessage& m) {
    std::fprintf(stderr, "message: %s\n", m.text.c_str());
    return ui::Answer::OK;
  };

  std::printf("sheetsync_bench: %d rows, %d employees, %d categories\n", kRows, kNames, kNames);
  Seed();
  host::Application app;
  host::Workbook& wb = app.Open(book_path);
  auto engine = std::make_shared<sheetsync::Engine>();
  wb.SetEventSink(engine);
  if (engine->Workbook_Open(wb) != 0 || engine->Stop_Program) Fail("the workbook did not open");
  auto conn = AppConnection();
  const std::string query = "Select * from Nal_Exl";

  // Refresh vs bare fetch.
  engine->Refresh_Sheet();
  if (engine->ActiveSheet().Cells(kRows + 1, 3).Text() != "платёж " + std::to_string(kRows))
    Fail("the sheet was not refreshed");
  Pair refresh = Interleaved([&] { engine->Refresh_Sheet(); }, [&] { BareFetch(*conn, query); });
  Print("refresh of 10,000 rows", refresh, "bare fetch of its query");

  // Comparison of the unchanged sheet vs bare fetch.
  if (engine->Sheet_Differs()) Fail("the unchanged sheet compared as changed");
  Pair compare = Interleaved([&] { engine->Sheet_Differs(); }, [&] { BareFetch(*conn, query); });
  Print("Sheet_Differs, unchanged sheet", compare, "bare fetch of its query");

  // Store vs one multi-row insert of the same rows.
  std::string insert =
      "Insert Into NAL (ID_Exl, DATE_ON, RECIPIENT_ID, ESTABLISH_PAYMENT, SUM_RUB, "
      "CATEGORY_PAYMENT_ID) Values ";
  for (int r = 2; r < kRows + 2; ++r) insert += (r > 2 ? "), (" : "(") + RowValues(r);
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
  Print("Store_Sheet of 10,000 rows", store, "DELETE + one multi-row INSERT");
  std::printf("  without its closing refresh (store - refresh) %.3f s, ratio %.2f\n",
              store.ours - refresh.ours, (store.ours - refresh.ours) / store.anchor);
  const auto rows = ts::RootQuery("SELECT count(*) FROM NAL");
  std::printf("  table after the store: %s rows\n", rows.at(0).at(0).c_str());

  // One typed cell: round trips and median time.
  backend.SetTrace(true);
  std::vector<double> times;
  size_t trips = 0;
  for (int k = 0; k < 21; ++k) {
    backend.ClearTranscript();
    times.push_back(
        Time([&] { host::user::Type(wb.ActiveSheet(), 2 + k, 3, "правка " + std::to_string(k)); }));
    trips = 0;
    for (const std::string& line : backend.transcript())
      if (line.rfind("SQL ", 0) == 0) ++trips;
  }
  std::sort(times.begin(), times.end());
  std::printf("%-34s %9zu round trips, median %.2f ms\n", "one typed cell", trips,
              times[times.size() / 2] * 1000);
  backend.SetTrace(false);

  // A table larger than the sheet: the refresh reads no more than the sheet
  // holds, so it costs what a full sheet costs, in time and in memory.
  if (!ts::RootExec("INSERT INTO NAL SELECT seq, '2010-01-05', 1, CONCAT('платёж ', seq), seq, 1 "
                    "FROM seq_" +
                        std::to_string(kRows + 2) + "_to_1000001",
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
