// The test support functions other tests rely on: root access, killing the
// application's connections, stopping and starting the test server.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

namespace ts = kassa::testsupport;

TEST(TestSupport, RootQueryGivesTextsAndNull) {
  ASSERT_TRUE(ts::HaveTestEnv());
  const auto rows = ts::RootQuery("select 1, NULL, 'Март' union all select 2, 'x', ''");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"1", "NULL", "Март"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"2", "x", ""}));
  std::string error;
  EXPECT_FALSE(ts::RootExec("select * from no_such_table", &error));
  EXPECT_NE(error.find("no_such_table"), std::string::npos) << error;
  EXPECT_THROW(ts::RootQuery("select * from no_such_table"), std::runtime_error);
}

TEST(TestSupport, KillAppConnectionsEndsTheApplicationsSessions) {
  ASSERT_TRUE(ts::ResetDatabase());
  kassa::sql::Params app;
  ASSERT_TRUE(ts::AppParams(app));
  std::string error;
  auto first = kassa::sql::Connection::Open(app, error);
  auto second = kassa::sql::Connection::Open(app, error);
  ASSERT_TRUE(first && second) << error;
  EXPECT_EQ(ts::KillAppConnections(), 2);
  EXPECT_FALSE(first->Query("select * from Count_NAL_BUFFER", error));
  EXPECT_EQ(ts::KillAppConnections(), 0);
  // Root's own connections are left alone.
  EXPECT_NO_THROW(ts::RootQuery("select 1"));
}

TEST(TestSupport, StopAndStartTheServer) {
  ASSERT_TRUE(ts::StopServer());
  std::string error;
  EXPECT_FALSE(kassa::sql::Connection::Open(ts::RootParams(), error));
  ASSERT_TRUE(ts::StopServer());  // stopping a stopped server is fine
  ASSERT_TRUE(ts::StartServer());
  ASSERT_TRUE(ts::StartServer());  // and so is starting a running one
  EXPECT_TRUE(kassa::sql::Connection::Open(ts::RootParams(), error)) << error;
  // The ledger database survives the restart.
  EXPECT_EQ(ts::RootQuery("select count(*) from NAMES_MONTH")[0][0], "12");
}
