// Reading the parameters back out of the three connection strings.
#include <gtest/gtest.h>

#include "platform/sql/sql.h"

namespace kassa::sql {
namespace {

// The three strings exactly as the database access class builds them.
std::string AdoString(const std::string& port, const std::string& db, const std::string& user,
                      const std::string& pw) {
  return "Driver={MySQL ODBC 5.1 Driver};Server=localhost;Port=" + port + ";Database=" + db +
         ";User=" + user + ";Password=" + pw + ";Option=3;";
}
std::string QueryTableString(const std::string& port, const std::string& db,
                             const std::string& user, const std::string& pw) {
  return "OLEDB;Provider=MSDASQL.1;Password=" + pw +
         ";Persist Security Info=True;Extended Properties= \"DRIVER={MySQL ODBC 5.1 "
         "Driver};PWD=" +
         pw + ";Server=localhost;Port=" + port + ";Database=" + db + ";User=" + user +
         ";Option=3;\" ";
}

struct Values {
  std::string port, db, user, password;
};
void PrintTo(const Values& v, std::ostream* os) {
  *os << '"' << v.password << '"';
}

class ThreeStrings : public ::testing::TestWithParam<Values> {};

void ExpectParams(const std::string& text, unsigned port, const Values& v,
                  const std::string& password) {
  Params p;
  p.host = "elsewhere";
  ASSERT_TRUE(ParseConnectionString(text, p)) << text;
  EXPECT_EQ(p.host, "127.0.0.1");
  EXPECT_EQ(p.port, port);
  EXPECT_EQ(p.database, v.db) << text;
  EXPECT_EQ(p.user, v.user) << text;
  EXPECT_EQ(p.password, password) << text;
}

TEST_P(ThreeStrings, GiveBackTheValuesVerbatim) {
  const Values& v = GetParam();
  const unsigned port = static_cast<unsigned>(std::stoul(v.port));
  ExpectParams(AdoString(v.port, v.db, v.user, v.password), port, v, v.password);
  ExpectParams(QueryTableString(v.port, v.db, v.user, v.password), port, v, v.password);
  // The masked query-table string carries "xxx" in both password places.
  ExpectParams(QueryTableString(v.port, v.db, v.user, "xxx"), port, v, "xxx");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ThreeStrings,
    ::testing::Values(Values{"3306", "db_pnr_l", "pnrowner", "Secret1"},
                      Values{"3306", "db_pnr_l", "pnrowner", ""},         // empty password
                      Values{"41234", " db_pnr_l", "pnrowner ", " pw "},  // blanks kept
                      Values{"3306", "db", "u", "a=b"},                   // '=' in a value
                      Values{"3306", "db", "u", "p\"q"},                  // quote inside
                      Values{"3306", "база", "кассир", "пароль"},
                      Values{" 3307", "db", "u", "p"}));  // blank before port

TEST(ParseConnectionString, KeysIgnoreCaseAndKnowTheirAliases) {
  Params p;
  ASSERT_TRUE(ParseConnectionString("PORT=1;DATABASE=d;USER=u;PASSWORD=p", p));
  EXPECT_EQ(p.port, 1u);
  EXPECT_EQ(p.database, "d");
  EXPECT_EQ(p.user, "u");
  EXPECT_EQ(p.password, "p");
  ASSERT_TRUE(ParseConnectionString("port=2;db=d2;uid=u2;pwd=p2;", p));
  EXPECT_EQ(p.port, 2u);
  EXPECT_EQ(p.database, "d2");
  EXPECT_EQ(p.user, "u2");
  EXPECT_EQ(p.password, "p2");
}

// The ledger on this computer: no Server item, an empty one or the
// loopback host name all mean 127.0.0.1 at the string's port.
TEST(ParseConnectionString, WithoutAServerTheLedgerIsOnLoopback) {
  for (const char* text : {"Port=3307;Database=d", "Server=;Port=3307", "Server=  ;Port=3307",
                           "Server=localhost;Port=3307", "Server=LocalHost;Port=3307"}) {
    Params p;
    p.host = "elsewhere";
    ASSERT_TRUE(ParseConnectionString(text, p)) << text;
    EXPECT_EQ(p.host, "127.0.0.1") << text;
    EXPECT_EQ(p.port, 3307u) << text;
    EXPECT_EQ(p.servers, (std::vector<Endpoint>{{"127.0.0.1", 3307}})) << text;
  }
}

TEST(ParseConnectionString, ServerListTakesThePortWhereAnItemHasNone) {
  Params p;
  ASSERT_TRUE(ParseConnectionString(
      "Server=db1.firm.lan:3310, 10.1.2.3 ,[fd00::5]:3312,[::1];Port=3307;Database=d", p));
  EXPECT_EQ(p.servers,
            (std::vector<Endpoint>{
                {"db1.firm.lan", 3310}, {"10.1.2.3", 3307}, {"fd00::5", 3312}, {"::1", 3307}}));
  EXPECT_EQ(p.host, "db1.firm.lan");
  EXPECT_EQ(p.port, 3310u);
  EXPECT_EQ(p.database, "d");

  // Inside a query-table string the servers of the extended properties count.
  ASSERT_TRUE(ParseConnectionString(
      "OLEDB;Server=outer;Port=1;Extended Properties= \"Server=a:5,b;Port=2;SSLCA={/x/ca.pem}\" ",
      p));
  EXPECT_EQ(p.servers, (std::vector<Endpoint>{{"a", 5}, {"b", 2}}));
  EXPECT_EQ(p.tls_ca, "/x/ca.pem");
}

TEST(ParseConnectionString, MalformedServerListFailsAndLeavesTheParamsAlone) {
  for (const char* text :
       {"Server=a b;Port=1", "Server=a,;Port=1", "Server=,a;Port=1", "Server=a:;Port=1",
        "Server=a:0;Port=1", "Server=a:70000;Port=1", "Server=a:1:2;Port=1", "Server=[::1;Port=1",
        "Server=[]:1;Port=1", "Server=[::g];Port=1", "Server=[::1]x;Port=1", "Server=a/b;Port=1",
        "Server=:5;Port=1"}) {
    Params p;
    p.database = "unchanged";
    EXPECT_FALSE(ParseConnectionString(text, p)) << text;
    EXPECT_EQ(p.database, "unchanged") << text;
  }
}

TEST(ParseConnectionString, ExtendedPropertiesWinOverTheOuterItems) {
  Params p;
  ASSERT_TRUE(ParseConnectionString(
      "OLEDB;Password=outer;Port=1;Extended Properties= \"PWD=inner;Port=2;User=u\" ", p));
  EXPECT_EQ(p.password, "inner");
  EXPECT_EQ(p.port, 2u);
  EXPECT_EQ(p.user, "u");
}

TEST(ParseConnectionString, BracedValuesMayHoldSemicolons) {
  Params p;
  ASSERT_TRUE(ParseConnectionString("Port=3306;Password={a;b}};c};User=u", p));
  EXPECT_EQ(p.password, "a;b};c");
  EXPECT_EQ(p.user, "u");
  // A brace that does not enclose the whole value is an ordinary character.
  ASSERT_TRUE(ParseConnectionString("Port=3306;Password={ab}c;User=u", p));
  EXPECT_EQ(p.password, "{ab}c");
}

TEST(ParseConnectionString, NoUsablePortFailsAndLeavesTheParamsAlone) {
  for (const char* text :
       {"", "Database=d;User=u", "Port=;Database=d", "Port=abc;Database=d", "Port=0", "Port=65536",
        "Port=33 06", "Port=-1", "garbage without items"}) {
    Params p;
    p.database = "unchanged";
    EXPECT_FALSE(ParseConnectionString(text, p)) << text;
    EXPECT_EQ(p.database, "unchanged") << text;
  }
}

}  // namespace
}  // namespace kassa::sql
