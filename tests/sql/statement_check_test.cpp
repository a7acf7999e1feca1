// Which texts count as one SELECT statement: what a workbook's query may
// hold, read as the server reads literals, quoted names and comments.
#include <gtest/gtest.h>

#include "platform/sql/sql.h"

namespace kassa::sql {
namespace {

TEST(IsSingleSelect, TakesTheQueriesOfRealWorkbooks) {
  const char* reads[] = {
      "Select * from Nal_Exl",
      "select D, T, X, N, S, N * 2 C from T_TYPES order by ID_Exl",
      "  SELECT 1;  ",
      "(SELECT 1) UNION (SELECT 2)",
      "WITH t AS (SELECT 1 a) SELECT a FROM t",
      "SELECT 'a;b', \"c;d\", `e;f` FROM t -- ; DELETE FROM NAL",
      "SELECT 'It''s' # ; comment\n FROM t",
      "/* a comment; */ SELECT 1",
      "SELECT `into` FROM t WHERE s = 'INTO'",
      "SELECT 'back\\' FROM t",  // a backslash ends nothing
  };
  for (const char* text : reads) EXPECT_TRUE(IsSingleSelect(text)) << text;
}

TEST(IsSingleSelect, RefusesWhatCouldWriteOrRunASecondStatement) {
  const char* refused[] = {
      "",
      "   ",
      "DELETE FROM NAL",
      "delete from NAL",
      "UPDATE NAL SET SUM_RUB = 0",
      "INSERT INTO NAL SELECT * FROM NAL_BUFFER",
      "CALL p()",
      "SET @a = 1",
      "SELECT 1; DELETE FROM NAL",
      "SELECT 1;;",
      "SELECT 'a'; DROP TABLE NAL",
      "SELECT * FROM NAL INTO OUTFILE '/tmp/x'",
      "SELECT 1 INTO @a",
      "SELECT 1 /*! ; DELETE FROM NAL */",
      "SELECT 1 /*!50000 INTO OUTFILE '/tmp/x' */",
      "SELECT 1 /*M! INTO @a */",
      "SELECT 'unended",
      "SELECT 1 /* unended",
      "'SELECT' 1",
      "-- SELECT\nDELETE FROM NAL",
      "SELECT 1 --; still a comment\n; DELETE FROM NAL",
  };
  for (const char* text : refused) EXPECT_FALSE(IsSingleSelect(text)) << text;
}

}  // namespace
}  // namespace kassa::sql
