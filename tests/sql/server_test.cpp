// The client layer against the test environment's MariaDB server.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sql/sql.h"
#include "tests/support/testsupport.h"

namespace kassa::sql {
namespace {

namespace ts = kassa::testsupport;

constexpr const char* kDb = "kassa_sql_test";

// A scratch database in the ledger's character set (cp1251, binary
// collation), fresh for each test, and a connection to it as the client
// layer makes it.
class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ts::HaveTestEnv()) << "run through ctest (fixture db)";
    std::string error;
    ASSERT_TRUE(ts::RootExec(std::string("DROP DATABASE IF EXISTS ") + kDb, &error, "mysql"))
        << error;
    ASSERT_TRUE(ts::RootExec(
        std::string("CREATE DATABASE ") + kDb + " CHARACTER SET cp1251 COLLATE cp1251_bin", &error,
        "mysql"))
        << error;
    c_ = Connection::Open(ts::RootParams(kDb), error);
    ASSERT_NE(c_, nullptr) << error;
  }
  void TearDown() override {
    c_.reset();
    ts::RootExec(std::string("DROP DATABASE IF EXISTS ") + kDb, nullptr, "mysql");
  }

  void Exec(const std::string& sql) {
    std::string error;
    ASSERT_TRUE(c_->Execute(sql, error)) << sql << ": " << error;
  }
  std::unique_ptr<Result> Query(const std::string& sql) {
    std::string error;
    auto r = c_->Query(sql, error);
    EXPECT_NE(r, nullptr) << sql << ": " << error;
    return r;
  }

  std::unique_ptr<Connection> c_;
};

TEST_F(ServerTest, SessionIsSetUpAsPromised) {
  auto r = Query(
      "SELECT @@SESSION.sql_mode, @@character_set_client, @@character_set_results, "
      "CONNECTION_ID(), (SELECT HOST FROM information_schema.PROCESSLIST "
      "WHERE ID = CONNECTION_ID())");
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(r->RowCount(), 1u);
  EXPECT_NE(r->Raw(0, 0).find("NO_BACKSLASH_ESCAPES"), std::string::npos) << r->Raw(0, 0);
  EXPECT_NE(r->Raw(0, 0).find("STRICT_TRANS_TABLES"), std::string::npos)
      << "the server default stays in force: " << r->Raw(0, 0);
  EXPECT_EQ(r->Raw(0, 1), "utf8mb4");
  EXPECT_EQ(r->Raw(0, 2), "utf8mb4");
  EXPECT_EQ(std::to_string(c_->ThreadId()), r->Raw(0, 3));
  // A TCP client shows as host:port; a socket client as "localhost" alone.
  EXPECT_NE(r->Raw(0, 4).find(':'), std::string::npos) << r->Raw(0, 4);
}

TEST_F(ServerTest, ValuesAreTypedByColumn) {
  Exec(
      "CREATE TABLE t (d DATE, tm TIME, x DOUBLE, s VARCHAR(50), n INT, m DECIMAL(10,2), "
      "dt DATETIME, u VARCHAR(20) CHARACTER SET utf8mb4)");
  Exec(
      "INSERT INTO t VALUES ('2010-01-05', '09:05:07', 12.5, 'Касса', 42, 12.50, "
      "'2010-01-05 09:05:07', 'x'), (NULL, '00:00:00', NULL, '', NULL, NULL, NULL, NULL)");
  auto r = Query("SELECT d, tm, x, s, n, m, dt, u FROM t ORDER BY n IS NULL");
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(r->columns().size(), 8u);
  using K = Column::Kind;
  const K kinds[] = {K::Date,    K::Time,    K::Double,   K::Text,
                     K::Integer, K::Decimal, K::DateTime, K::Text};
  for (size_t i = 0; i < 8; ++i) EXPECT_EQ(r->columns()[i].kind, kinds[i]) << i;
  EXPECT_EQ(r->columns()[0].name, "d");
  EXPECT_EQ(r->columns()[3].length, 50u);  // characters, whatever the bytes
  EXPECT_EQ(r->columns()[7].length, 20u);
  ASSERT_EQ(r->RowCount(), 2u);

  EXPECT_EQ(r->Value(0, 0), Variant::Date(MakeDate(2010, 1, 5)));
  EXPECT_EQ(*ToText(r->Value(0, 0)), "05.01.2010");
  EXPECT_EQ(*ToText(r->Value(0, 1)), "9:05:07");
  EXPECT_EQ(r->Value(0, 2), Variant::Number(12.5));
  EXPECT_EQ(r->Value(0, 3), Variant::Text("Касса"));
  EXPECT_EQ(r->Value(0, 4), Variant::Number(42));
  EXPECT_EQ(r->Value(0, 5), Variant::Number(12.5));
  EXPECT_EQ(r->Raw(0, 5), "12.50");
  EXPECT_EQ(*ToText(r->Value(0, 6)), "05.01.2010 9:05:07");
  EXPECT_FALSE(r->IsNull(0, 0));

  // The second row: NULLs are Empty with no raw text; '' and 00:00:00 are values.
  for (size_t col : {0u, 2u, 4u, 5u, 6u, 7u}) {
    EXPECT_TRUE(r->IsNull(1, col)) << col;
    EXPECT_TRUE(r->Value(1, col).IsEmpty()) << col;
    EXPECT_EQ(r->ActualSize(1, col), 0u) << col;
  }
  EXPECT_FALSE(r->IsNull(1, 1));
  EXPECT_EQ(*ToText(r->Value(1, 1)), "0:00:00");
  EXPECT_FALSE(r->IsNull(1, 3));
  EXPECT_EQ(r->Value(1, 3), Variant::Text(""));
  EXPECT_EQ(r->ActualSize(1, 3), 0u);
  EXPECT_EQ(r->ActualSize(0, 3), std::string("Касса").size());
}

TEST_F(ServerTest, CyrillicTextRoundTripsThroughCp1251) {
  Exec("CREATE TABLE names (s VARCHAR(40))");
  const std::string text = "Иванов Пётр Ёжиков, «Касса» №1";
  Exec("INSERT INTO names VALUES ('" + text + "')");
  auto r = Query("SELECT s, LENGTH(s), CHAR_LENGTH(s), HEX(SUBSTRING(s, 1, 3)) FROM names");
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(r->RowCount(), 1u);
  EXPECT_EQ(r->Raw(0, 0), text);
  // Stored one byte per character, in cp1251 (И = C8, в = E2, а = E0).
  EXPECT_EQ(r->Raw(0, 1), r->Raw(0, 2));
  EXPECT_EQ(r->Raw(0, 3), "C8E2E0");
  // Comparison of Cyrillic in upper case, as the dictionaries do it.
  auto u =
      Query("SELECT COUNT(*) FROM names WHERE UCASE(s) = UCASE('иванов пётр ёжиков, «касса» №1')");
  ASSERT_NE(u, nullptr);
  EXPECT_EQ(u->Raw(0, 0), "1");
}

TEST_F(ServerTest, CharacterOutsideCp1251IsRefusedNotMangled) {
  Exec("CREATE TABLE names (s VARCHAR(40))");
  std::string error;
  EXPECT_FALSE(c_->Execute("INSERT INTO names VALUES ('汉字')", error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(c_->LastErrno(), 1366u) << error;  // incorrect string value
  auto r = Query("SELECT COUNT(*) FROM names");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Raw(0, 0), "0");
}

TEST_F(ServerTest, BackslashIsAPlainCharacter) {
  Exec("CREATE TABLE names (s VARCHAR(40))");
  Exec("INSERT INTO names VALUES ('C:\\new\\table\\'), ('a\\'' OR ''1''=''1')");
  auto r = Query("SELECT s, CHAR_LENGTH(s) FROM names ORDER BY s");
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(r->RowCount(), 2u);
  EXPECT_EQ(r->Raw(0, 0), "C:\\new\\table\\");
  EXPECT_EQ(r->Raw(0, 1), "13");
  EXPECT_EQ(r->Raw(1, 0), "a\\' OR '1'='1");
}

TEST_F(ServerTest, FailingStatementGivesTheServerMessageAndTheConnectionGoesOn) {
  std::string error;
  EXPECT_FALSE(c_->Execute("SELEC 1", error));
  EXPECT_NE(error.find("SQL syntax"), std::string::npos) << error;
  EXPECT_EQ(c_->LastErrno(), 1064u);
  error.clear();
  EXPECT_EQ(c_->Query("SELECT * FROM no_such_table", error), nullptr);
  EXPECT_NE(error.find("no_such_table"), std::string::npos) << error;
  EXPECT_EQ(c_->LastErrno(), 1146u);
  auto r = Query("SELECT 1");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(c_->LastErrno(), 0u);
  EXPECT_EQ(r->Value(0, 0), Variant::Number(1));
}

TEST_F(ServerTest, OneStatementPerCall) {
  Exec("CREATE TABLE t (n INT)");
  std::string error;
  EXPECT_FALSE(c_->Execute("INSERT INTO t VALUES (1); DROP TABLE t", error));
  auto r = Query("SELECT COUNT(*) FROM t");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Raw(0, 0), "0");
}

TEST_F(ServerTest, ResultsOfExecuteAreConsumed) {
  Exec("CREATE TABLE t (n INT)");
  Exec("INSERT INTO t VALUES (1), (2), (3)");
  Exec("CREATE PROCEDURE two_results() BEGIN SELECT n FROM t; SELECT COUNT(*) FROM t; END");
  Exec("SELECT n FROM t");
  Exec("CALL two_results()");
  auto r = Query("SELECT SUM(n) FROM t");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Value(0, 0), Variant::Number(6));
  // A query through a procedure gives its first result and leaves no other.
  auto first = Query("CALL two_results()");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->RowCount(), 3u);
  auto again = Query("SELECT 7");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Raw(0, 0), "7");
}

// Rows are read as they arrive: a query the server gives up on after some
// of its rows were sent fails as a whole; it never ends as a shorter result.
TEST_F(ServerTest, RowsBreakingOffFailTheQuery) {
  Exec("CREATE TABLE t (n INT)");
  std::string rows;
  for (int n = 1; n <= 2000; ++n) rows += (n > 1 ? ", (" : "(") + std::to_string(n) + ")";
  Exec("INSERT INTO t VALUES " + rows);
  std::string error;
  // Row 1500 asks a subquery for one value and gets two.
  auto r = c_->Query(
      "SELECT n, REPEAT('x', 200), IF(n = 1500, (SELECT n FROM t WHERE n < 3), n) FROM t "
      "ORDER BY n",
      error);
  EXPECT_EQ(r, nullptr);
  EXPECT_EQ(c_->LastErrno(), 1242u) << error;  // subquery returns more than 1 row
  auto again = Query("SELECT COUNT(*), SUM(n) FROM t");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Raw(0, 0), "2000");
  EXPECT_EQ(again->Value(0, 1), Variant::Number(2001000));
}

TEST_F(ServerTest, QueryOfAStatementWithoutRows) {
  Exec("CREATE TABLE t (n INT)");
  auto r = Query("INSERT INTO t VALUES (1)");
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(r->columns().empty());
  EXPECT_EQ(r->RowCount(), 0u);
  auto empty = Query("SELECT n FROM t WHERE n > 5");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->columns().size(), 1u);
  EXPECT_EQ(empty->RowCount(), 0u);
}

TEST_F(ServerTest, TransactionsCommitAndRollBack) {
  Exec("CREATE TABLE t (n INT) ENGINE=InnoDB");
  std::string error;
  ASSERT_TRUE(c_->Begin(error)) << error;
  Exec("INSERT INTO t VALUES (1)");
  c_->Rollback();
  EXPECT_EQ(c_->LastErrno(), 0u);
  ASSERT_TRUE(c_->Begin(error)) << error;
  Exec("INSERT INTO t VALUES (2)");
  ASSERT_TRUE(c_->Commit(error)) << error;
  auto r = Query("SELECT GROUP_CONCAT(n) FROM t");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Raw(0, 0), "2");
}

// A transaction's statements go out without waiting for each answer: many
// more than fit unanswered at once are all applied, in their order, with
// autocommit off meanwhile and on again after; rows sent back are dropped.
TEST_F(ServerTest, ATransactionOfManyStatementsIsAppliedInOrder) {
  Exec("CREATE TABLE t (n INT PRIMARY KEY, v BIGINT) ENGINE=InnoDB");
  Exec("INSERT INTO t VALUES (1, 1)");
  std::vector<std::string> statements;
  long long expected = 1;
  const std::string padding(40, ' ');
  for (int k = 0; k < 3000; ++k) {
    // Each step depends on the one before: any other order gives another v.
    statements.push_back("UPDATE t SET v = (v * 3 + " + std::to_string(k) + ") % 1000003" +
                         padding + "WHERE n = 1");
    expected = (expected * 3 + k) % 1000003;
    if (k == 1500) {
      statements.push_back("SELECT v FROM t");
      statements.push_back("INSERT INTO t VALUES (2, @@autocommit)");
    }
  }
  std::vector<std::string> sent;
  std::string failing, error;
  ASSERT_TRUE(c_->ExecuteTransaction(statements, failing, error,
                                     [&](const std::string& s) { sent.push_back(s); }))
      << failing << ": " << error;
  EXPECT_EQ(c_->LastErrno(), 0u);
  EXPECT_EQ(sent, statements);
  auto r = Query("SELECT n, v, @@autocommit FROM t ORDER BY n");
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(r->RowCount(), 2u);
  EXPECT_EQ(r->Raw(0, 1), std::to_string(expected));
  EXPECT_EQ(r->Raw(1, 1), "0") << "autocommit is off while the statements run";
  EXPECT_EQ(r->Raw(0, 2), "1") << "and on again after";
}

// A failure part-way rolls everything back, the statements sent behind the
// failed one included; the connection stays in step for what follows.
TEST_F(ServerTest, ATransactionFailingPartWayChangesNothing) {
  Exec("CREATE TABLE t (n INT PRIMARY KEY, v INT) ENGINE=InnoDB");
  Exec("INSERT INTO t VALUES (1, 10)");
  const std::vector<std::string> statements{"UPDATE t SET v = 11 WHERE n = 1",
                                            "INSERT INTO t VALUES (1, 12)",
                                            "INSERT INTO t VALUES (3, 13)", "SELECT * FROM t"};
  std::string failing, error;
  EXPECT_FALSE(c_->ExecuteTransaction(statements, failing, error));
  EXPECT_EQ(failing, statements[1]);
  EXPECT_EQ(c_->LastErrno(), 1062u) << error;  // duplicate key
  EXPECT_NE(error.find("Duplicate"), std::string::npos) << error;
  auto r = Query("SELECT (SELECT GROUP_CONCAT(n, ':', v ORDER BY n) FROM t), @@autocommit");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Raw(0, 0), "1:10");
  EXPECT_EQ(r->Raw(0, 1), "1") << "autocommit is on again";

  ASSERT_TRUE(c_->ExecuteTransaction({"UPDATE t SET v = 20 WHERE n = 1"}, failing, error)) << error;
  ASSERT_TRUE(c_->ExecuteTransaction({}, failing, error)) << error;
  auto after = Query("SELECT v FROM t WHERE n = 1");
  ASSERT_NE(after, nullptr);
  EXPECT_EQ(after->Raw(0, 0), "20");

  // A connection that is gone fails at once, naming the start.
  std::string other_error;
  auto other = Connection::Open(ts::RootParams(kDb), other_error);
  ASSERT_NE(other, nullptr) << other_error;
  ASSERT_TRUE(other->Execute("KILL CONNECTION " + std::to_string(c_->ThreadId()), other_error))
      << other_error;
  EXPECT_FALSE(c_->ExecuteTransaction({"UPDATE t SET v = 30 WHERE n = 1"}, failing, error));
  EXPECT_EQ(failing, "START TRANSACTION");
  EXPECT_GE(c_->LastErrno(), 2000u) << error;
  auto kept = other->Query("SELECT v FROM t WHERE n = 1", other_error);
  ASSERT_NE(kept, nullptr) << other_error;
  EXPECT_EQ(kept->Raw(0, 0), "20");
}

TEST_F(ServerTest, ConnectionIdsDifferAndKilledConnectionReportsFailure) {
  std::string error;
  auto other = Connection::Open(ts::RootParams(kDb), error);
  ASSERT_NE(other, nullptr) << error;
  EXPECT_NE(other->ThreadId(), c_->ThreadId());
  Exec("KILL CONNECTION " + std::to_string(other->ThreadId()));
  EXPECT_EQ(other->Query("SELECT 1", error), nullptr);
  EXPECT_FALSE(error.empty());
  EXPECT_NE(other->LastErrno(), 0u);
}

TEST(ServerOpen, RefusalsGiveNullAndTheMessage) {
  ASSERT_TRUE(ts::HaveTestEnv()) << "run through ctest (fixture db)";
  Params p = ts::RootParams("mysql");
  p.password += "-wrong";
  std::string error;
  EXPECT_EQ(Connection::Open(p, error), nullptr);
  EXPECT_NE(error.find("Access denied"), std::string::npos) << error;

  p = ts::RootParams("no_such_database");
  error.clear();
  EXPECT_EQ(Connection::Open(p, error), nullptr);
  EXPECT_NE(error.find("no_such_database"), std::string::npos) << error;

  // The loopback host name goes over TCP, never to a local socket.
  p = ts::RootParams("mysql");
  p.host = "localhost";
  error.clear();
  EXPECT_NE(Connection::Open(p, error), nullptr) << error;
}

// Several servers: the first that accepts the session is used, starting at
// the one asked for and wrapping round; none accepting gives the refusal.
// (Port 1 of the loopback host refuses at once.)
TEST(ServerOpen, ServersAreTriedInTurn) {
  ASSERT_TRUE(ts::HaveTestEnv()) << "run through ctest (fixture db)";
  Params p = ts::RootParams("mysql");
  const Endpoint real{"127.0.0.1", p.port}, refusing{"127.0.0.1", 1};
  p.servers = {refusing, real, refusing};
  std::string error;
  size_t used = 99;
  EXPECT_NE(Connection::OpenFirst(p, 0, &used, error), nullptr) << error;
  EXPECT_EQ(used, 1u);
  used = 99;
  EXPECT_NE(Connection::OpenFirst(p, 2, &used, error), nullptr) << error;  // 2, then 0, then 1
  EXPECT_EQ(used, 1u);
  EXPECT_NE(Connection::OpenFirst(p, 7, &used, error), nullptr) << error;  // taken modulo 3
  EXPECT_EQ(used, 1u);
  EXPECT_NE(Connection::Open(p, error), nullptr) << error;

  p.servers = {refusing, refusing};
  used = 99;
  error.clear();
  EXPECT_EQ(Connection::OpenFirst(p, 0, &used, error), nullptr);
  EXPECT_EQ(used, 99u);
  EXPECT_FALSE(error.empty());
}

TEST(ServerOpen, AppUserFromTheParametersFile) {
  ASSERT_TRUE(ts::HaveTestEnv()) << "run through ctest (fixture db)";
  Params p;
  ASSERT_TRUE(ts::AppParams(p));
  std::string error;
  auto c = Connection::Open(p, error);
  ASSERT_NE(c, nullptr) << error;
  auto r = c->Query("SELECT DATABASE(), CURRENT_USER()", error);
  ASSERT_NE(r, nullptr) << error;
  EXPECT_EQ(r->Raw(0, 0), p.database);
}

}  // namespace
}  // namespace kassa::sql
