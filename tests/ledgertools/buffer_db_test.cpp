// Loading the buffered payments into the ledger, against the real server,
// including a server that stops and connections that die in the middle.
#include "tests/ledgertools/ledger_fixture.h"

namespace kassa::ledgertools::testing {
namespace {

using Rows = std::vector<std::vector<std::string>>;

class Buffer : public Ledger {
 protected:
  // `n` ledger rows with keys 2..n+1, as the cash sheet writes them.
  void LedgerRows(int n) {
    for (int i = 0; i < n; ++i)
      Exec("INSERT INTO NAL (ID_EXL, ESTABLISH_PAYMENT) VALUES (" + std::to_string(i + 2) +
           ", 'старый')");
  }
  void Buffered(const std::vector<std::pair<int, std::string>>& rows) {
    for (const auto& [key, text] : rows)
      Exec("INSERT INTO NAL_BUFFER VALUES (" + std::to_string(key) + ", '2026-12-01', 1, '" + text +
           "', 100.5, 2)");
  }
  Rows New_In_Ledger() {
    return Query(
        "SELECT ID_EXL, ESTABLISH_PAYMENT, DATE_ON, RECIPIENT_ID, SUM_RUB, CATEGORY_PAYMENT_ID "
        "FROM NAL WHERE ESTABLISH_PAYMENT <> 'старый' ORDER BY 1");
  }
  Rows Waiting() { return Query("SELECT ID_NUM, ESTABLISH_PAYMENT FROM NAL_BUFFER ORDER BY 1"); }
  std::string Ledger_Count() { return Query("SELECT COUNT(*) FROM NAL")[0][0]; }
};

const std::string kCount = " select Size_Nal_Buffer from Count_NAL_BUFFER";
const std::string kNal = " select count(*) from NAL";
const std::string kKeys = " select ID_Num from NAL_BUFFER order by ID_Num ;";
const std::string kCopy = " Insert into  NAL Select * from NAL_BUFFER ;";
const std::string kEmpty = " Delete from NAL_BUFFER ;";

std::string Renumber(int to, int from) {
  return " Update NAL_BUFFER Set ID_Num = " + std::to_string(to) +
         " where ID_Num = " + std::to_string(from) + " ;";
}

TEST_F(Buffer, ThreePaymentsFollowTenLedgerRows) {
  LedgerRows(10);
  Buffered({{1, "a"}, {2, "b"}, {3, "c"}});
  sf_->Load_Buffer();
  EXPECT_EQ(sql, (std::vector<std::string>{kCount, kNal, kKeys, Renumber(14, 3), Renumber(13, 2),
                                           Renumber(12, 1), kCopy, kEmpty}));
  EXPECT_EQ(New_In_Ledger(), (Rows{{"12", "a", "2026-12-01", "1", "100.5", "2"},
                                   {"13", "b", "2026-12-01", "1", "100.5", "2"},
                                   {"14", "c", "2026-12-01", "1", "100.5", "2"}}));
  EXPECT_TRUE(Waiting().empty());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Buffer, TwoPaymentsIntoAnEmptyLedger) {
  Buffered({{1, "a"}, {2, "b"}});
  sf_->Load_Buffer();
  EXPECT_EQ(sql, (std::vector<std::string>{kCount, kNal, kKeys, Renumber(3, 2), Renumber(2, 1),
                                           kCopy, kEmpty}));
  EXPECT_EQ(Query("SELECT ID_EXL, ESTABLISH_PAYMENT FROM NAL ORDER BY 1"),
            (Rows{{"2", "a"}, {"3", "b"}}));
}

TEST_F(Buffer, AnEmptyBufferSendsOneQueryOnly) {
  LedgerRows(2);
  sf_->Load_Buffer();
  EXPECT_EQ(sql, std::vector<std::string>{kCount});
  EXPECT_EQ(Ledger_Count(), "2");
}

TEST_F(Buffer, KeysOtherThanOneToNArriveWithoutLossOrDuplicates) {
  // Keys 5 and 6 behind two ledger rows: a plain descending renumbering
  // would give key 6 the key 5 that is still waiting.
  LedgerRows(2);
  Buffered({{5, "e"}, {6, "f"}, {9, "g"}});
  sf_->Load_Buffer();
  EXPECT_EQ(New_In_Ledger().size(), 3u);
  EXPECT_EQ(Query("SELECT ID_EXL, ESTABLISH_PAYMENT FROM NAL WHERE ESTABLISH_PAYMENT <> 'старый' "
                  "ORDER BY 1"),
            (Rows{{"4", "e"}, {"5", "f"}, {"6", "g"}}));
  EXPECT_TRUE(Waiting().empty());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Buffer, AFailedCopyLeavesBothTablesAsBefore) {
  // Ledger keys that are not the sheet rows 2..m+1 collide with the new keys.
  Exec("INSERT INTO NAL (ID_EXL, ESTABLISH_PAYMENT) VALUES (2, 'старый'), (4, 'старый')");
  Buffered({{1, "a"}, {2, "b"}});
  ui_.unanswered = [](const ui::RecordedMessage& m) {
    return m.buttons == ui::Buttons::OKCancel ? ui::Answer::Cancel : ui::Answer::OK;
  };
  sf_->Load_Buffer();
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Команда к базе данных не была выполнена. Показать текст команды ?"});
  EXPECT_EQ(Ledger_Count(), "2");
  EXPECT_EQ(Waiting(), (Rows{{"1", "a"}, {"2", "b"}}));
}

TEST_F(Buffer, TheServerStoppedInTheMiddleLosesNoPayment) {
  LedgerRows(10);
  Buffered({{1, "a"}, {2, "b"}, {3, "c"}});
  bool stopped = false;
  on_line = [&](const std::string& l) {
    if (!stopped && l == "SQL " + ui::Quote(Renumber(13, 2))) {
      stopped = true;
      ASSERT_TRUE(ts::StopServer());
    }
  };
  ui_.unanswered = [](const ui::RecordedMessage& m) {
    return m.buttons == ui::Buttons::OKCancel ? ui::Answer::Cancel : ui::Answer::OK;
  };
  sf_->Load_Buffer();
  ASSERT_TRUE(stopped);
  ASSERT_TRUE(ts::StartServer());
  EXPECT_FALSE(Messages().empty());  // the user was told
  EXPECT_EQ(Ledger_Count(), "10");
  EXPECT_EQ(Waiting(), (Rows{{"1", "a"}, {"2", "b"}, {"3", "c"}}));
}

TEST_F(Buffer, ConnectionsKilledInTheMiddleLoadEveryPaymentOnce) {
  LedgerRows(10);
  Buffered({{1, "a"}, {2, "b"}, {3, "c"}});
  bool killed = false;
  on_line = [&](const std::string& l) {
    if (!killed && l == "SQL " + ui::Quote(kCopy)) {
      killed = true;
      EXPECT_GE(ts::KillAppConnections(), 1);
    }
  };
  sf_->Load_Buffer();
  ASSERT_TRUE(killed);
  EXPECT_EQ(Ledger_Count(), "13");
  EXPECT_EQ(Query("SELECT ID_EXL, ESTABLISH_PAYMENT FROM NAL WHERE ESTABLISH_PAYMENT <> 'старый' "
                  "ORDER BY 1"),
            (Rows{{"12", "a"}, {"13", "b"}, {"14", "c"}}));
  EXPECT_TRUE(Waiting().empty());
}

TEST_F(Buffer, WithTheServerDownNothingChangesAndTheProgramGoesOn) {
  Buffered({{1, "a"}});
  ASSERT_TRUE(ts::StopServer());
  ui_.unanswered = [](const ui::RecordedMessage&) { return ui::Answer::OK; };
  sf_->Load_Buffer();
  // The category dictionary finds no number either and ends quietly.
  host::Worksheet& s =
      Book("Kassa.xls", {{"Категории", "select * from CATEGORY_NAL_Exl"}}).Sheets(1);
  Fill("Input_Nal_Category", "TB_Name_Encipher", "НЕТ");
  ThenPress("Input_Nal_Category", "B_Input");
  sf_->Action_Category(s);
  Press("Choice_Action_Category", "B_Add_Category");
  ASSERT_TRUE(ts::StartServer());
  EXPECT_EQ(Messages(), std::vector<std::string>{"Установить подключение к базе невозможно."});
  EXPECT_EQ(Waiting(), (Rows{{"1", "a"}}));
  EXPECT_EQ(Query("SELECT COUNT(*) FROM CATEGORY_NAL")[0][0], "0");
  EXPECT_TRUE(Changes().empty());
}

}  // namespace
}  // namespace kassa::ledgertools::testing
