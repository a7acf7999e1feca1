// The parameters file reader and the three connection strings.
#include "dbgate/connection_params.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/sql/sql.h"

namespace kassa::dbgate {
namespace {

const char kInstallerFile[] =
    "DB_Port\r\n3307\r\nDB_Name\r\ndb_pnr_l\r\nDB_Login\r\npnrowner\r\nDB_Password\r\nS3cr&t\r\n";

TEST(ConnectionStrings, BuiltFromTheInstallersFile) {
  ConnectionValues v;
  ASSERT_EQ(ParseConnectionValues(kInstallerFile, v), 0);
  ConnectionStrings s = BuildConnectionStrings(v);
  EXPECT_EQ(s.cn,
            "Driver={MySQL ODBC 5.1 Driver};Server=localhost;Port=3307;Database=db_pnr_l;"
            "User=pnrowner;Password=S3cr&t;Option=3;");
  EXPECT_EQ(s.sql,
            "OLEDB;Provider=MSDASQL.1;Password=S3cr&t;Persist Security Info=True;Extended "
            "Properties= \"DRIVER={MySQL ODBC 5.1 Driver};PWD=S3cr&t;Server=localhost;Port=3307;"
            "Database=db_pnr_l;User=pnrowner;Option=3;\" ");
  EXPECT_EQ(s.sql_empty,
            "OLEDB;Provider=MSDASQL.1;Password=xxx;Persist Security Info=True;Extended "
            "Properties= \"DRIVER={MySQL ODBC 5.1 Driver};PWD=xxx;Server=localhost;Port=3307;"
            "Database=db_pnr_l;User=pnrowner;Option=3;\" ");
}

TEST(ConnectionStrings, OddLinesAndLineEndingsDoNotMatter) {
  ConnectionValues reference;
  ASSERT_EQ(ParseConnectionValues(kInstallerFile, reference), 0);
  const char* variants[] = {
      "\r\n3307\r\n\r\ndb_pnr_l\r\n\r\npnrowner\r\n\r\nS3cr&t\r\n",     // empty odd lines
      "x y z\n3307\n#\ndb_pnr_l\n3307\npnrowner\nDB_Password\nS3cr&t",  // LF, no last ending
      "a\r3307\rb\rdb_pnr_l\rc\rpnrowner\rd\rS3cr&t\r",                 // CR only
      "a\r\n3307\nb\rdb_pnr_l\r\nc\npnrowner\rd\r\nS3cr&t\r\n",         // mixed
      // An empty or blank ninth line names no server; later lines are not read.
      "DB_Port\r\n3307\r\nDB_Name\r\ndb_pnr_l\r\nDB_Login\r\npnrowner\r\nDB_Password\r\nS3cr&t\r\n"
      "\r\nline 10\r\n",
      "DB_Port\n3307\nDB_Name\ndb_pnr_l\nDB_Login\npnrowner\nDB_Password\nS3cr&t\n \t ",
  };
  for (const char* text : variants) {
    ConnectionValues v;
    ASSERT_EQ(ParseConnectionValues(text, v), 0) << text;
    ConnectionStrings a = BuildConnectionStrings(v), b = BuildConnectionStrings(reference);
    EXPECT_EQ(a.cn, b.cn) << text;
    EXPECT_EQ(a.sql, b.sql) << text;
    EXPECT_EQ(a.sql_empty, b.sql_empty) << text;
  }
}

TEST(ConnectionStrings, ValuesAreTakenVerbatim) {
  ConnectionValues v;
  ASSERT_EQ(
      ParseConnectionValues("p\r\n 3307 \r\nn\r\n db \r\nl\r\n\tuser \r\npw\r\n  pass  \r\n", v),
      0);
  EXPECT_EQ(v.port, " 3307 ");
  EXPECT_EQ(v.database, " db ");
  EXPECT_EQ(v.login, "\tuser ");
  EXPECT_EQ(v.password, "  pass  ");
  ConnectionStrings s = BuildConnectionStrings(v);
  EXPECT_NE(s.cn.find(";Port= 3307 ;Database= db ;User=\tuser ;Password=  pass  ;"),
            std::string::npos);
}

TEST(ConnectionStrings, EmptyPasswordLine) {
  ConnectionValues v;
  ASSERT_EQ(ParseConnectionValues(
                "DB_Port\r\n1\r\nDB_Name\r\nd\r\nDB_Login\r\nu\r\nDB_Password\r\n\r\n", v),
            0);
  EXPECT_EQ(v.password, "");
  ConnectionStrings s = BuildConnectionStrings(v);
  EXPECT_NE(s.cn.find(";Password=;Option=3;"), std::string::npos);
  EXPECT_NE(s.sql.find("Password=;Persist"), std::string::npos);
  EXPECT_NE(s.sql.find(";PWD=;Server="), std::string::npos);
  EXPECT_NE(s.sql_empty.find("Password=xxx;Persist"), std::string::npos);
  EXPECT_NE(s.sql_empty.find(";PWD=xxx;Server="), std::string::npos);
}

// The ninth line: the ledger server elsewhere, or a cluster's servers.
TEST(ConnectionStrings, NinthLineCarriesTheServers) {
  ConnectionValues v;
  ASSERT_EQ(ParseConnectionValues(std::string(kInstallerFile) +
                                      "  db1.firm.lan:3310,10.1.2.3,[fd00::5]:3312 \r\nignored\r\n",
                                  v),
            0);
  EXPECT_EQ(v.servers, "db1.firm.lan:3310,10.1.2.3,[fd00::5]:3312");
  ConnectionStrings s = BuildConnectionStrings(v);
  EXPECT_EQ(s.cn,
            "Driver={MySQL ODBC 5.1 Driver};Server=db1.firm.lan:3310,10.1.2.3,[fd00::5]:3312;"
            "Port=3307;Database=db_pnr_l;User=pnrowner;Password=S3cr&t;Option=3;");
  EXPECT_EQ(s.sql_empty,
            "OLEDB;Provider=MSDASQL.1;Password=xxx;Persist Security Info=True;Extended "
            "Properties= \"DRIVER={MySQL ODBC 5.1 Driver};PWD=xxx;"
            "Server=db1.firm.lan:3310,10.1.2.3,[fd00::5]:3312;Port=3307;"
            "Database=db_pnr_l;User=pnrowner;Option=3;\" ");
  // The client layer reads the same servers out of all three strings.
  const std::vector<sql::Endpoint> expected{
      {"db1.firm.lan", 3310}, {"10.1.2.3", 3307}, {"fd00::5", 3312}};
  for (const std::string* text : {&s.cn, &s.sql, &s.sql_empty}) {
    sql::Params p;
    ASSERT_TRUE(sql::ParseConnectionString(*text, p)) << *text;
    EXPECT_EQ(p.servers, expected) << *text;
    EXPECT_EQ(p.user, "pnrowner");
  }
}

TEST(ConnectionValuesFile, MalformedNinthLineIsAFileFormatError) {
  for (const char* line :
       {"db1;Port=1", "db1:0", "db1:99999", "db 1", "db1,", "\"db1\"", "[::1", "db1:3307:1"}) {
    ConnectionValues v{"keep", "keep", "keep", "keep", "keep", ""};
    EXPECT_EQ(ParseConnectionValues(std::string(kInstallerFile) + line + "\r\n", v), kBadFileFormat)
        << line;
    EXPECT_EQ(v.port, "keep") << line;
    EXPECT_EQ(v.servers, "keep") << line;
  }
}

// A CA file beside the parameters file: every string carries its path, so
// the connection, the query tables and the pickers all verify the server.
TEST(ConnectionValuesFile, CaFileBesideTheParametersGoesIntoEveryString) {
  const auto dir = std::filesystem::temp_directory_path() / "kassa-dbgate-ca \"x}y\"";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const auto file = dir / "Connect_Parametrs.ini";
  std::ofstream(file, std::ios::binary) << kInstallerFile;
  ConnectionValues v;
  ASSERT_EQ(ReadConnectionValues(file.string(), v), 0);
  EXPECT_EQ(v.ca_file, "");
  ConnectionValues plain;
  ASSERT_EQ(ParseConnectionValues(kInstallerFile, plain), 0);
  EXPECT_EQ(BuildConnectionStrings(v).cn, BuildConnectionStrings(plain).cn);

  std::ofstream(dir / "Connect_CA.pem", std::ios::binary) << "-----BEGIN CERTIFICATE-----\n";
  ASSERT_EQ(ReadConnectionValues(file.string(), v), 0);
  EXPECT_EQ(v.ca_file, (dir / "Connect_CA.pem").string());
  const ConnectionStrings s = BuildConnectionStrings(v);
  EXPECT_EQ(s.cn.rfind(BuildConnectionStrings(plain).cn, 0), 0u) << s.cn;  // only added at the end
  for (const std::string* text : {&s.cn, &s.sql, &s.sql_empty}) {
    sql::Params p;
    ASSERT_TRUE(sql::ParseConnectionString(*text, p)) << *text;
    EXPECT_EQ(p.tls_ca, v.ca_file) << *text;
    EXPECT_EQ(p.user, "pnrowner") << *text;
    EXPECT_EQ(p.port, 3307u) << *text;
  }
  std::filesystem::remove_all(dir);
}

TEST(ConnectionValuesFile, ShortOrMissingFileLeavesTheValues) {
  ConnectionValues v{"keep-port", "keep-db", "keep-login", "keep-pw", "", ""};
  const auto keep = [&] {
    EXPECT_EQ(v.port, "keep-port");
    EXPECT_EQ(v.database, "keep-db");
    EXPECT_EQ(v.login, "keep-login");
    EXPECT_EQ(v.password, "keep-pw");
  };
  // Seven lines, with or without the last ending; the password line missing.
  EXPECT_EQ(ParseConnectionValues("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n", v), kInputPastEnd);
  EXPECT_EQ(ParseConnectionValues("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7", v), kInputPastEnd);
  EXPECT_EQ(ParseConnectionValues("", v), kInputPastEnd);
  keep();

  const auto dir = std::filesystem::temp_directory_path() / "kassa-dbgate-params-test";
  std::filesystem::create_directories(dir);
  EXPECT_EQ(ReadConnectionValues((dir / "absent.ini").string(), v), kFileNotFound);
  EXPECT_EQ(ReadConnectionValues((dir / "no-such-folder" / "x.ini").string(), v), kFileNotFound);
  keep();

  const auto file = dir / "Connect_Parametrs.ini";
  std::ofstream(file, std::ios::binary) << kInstallerFile;
  EXPECT_EQ(ReadConnectionValues(file.string(), v), 0);
  EXPECT_EQ(v.port, "3307");
  EXPECT_EQ(v.password, "S3cr&t");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kassa::dbgate
