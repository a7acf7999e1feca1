// What the ledger's columns accept, from the server's column descriptions.
#include "sheetsync/column_limits.h"

#include <gtest/gtest.h>

namespace kassa::sheetsync {
namespace {

TEST(ColumnLimits, TextColumnsTakeTextsUpToTheirWidthInCp1251) {
  ColumnLimit c = ParseColumnLimit("varchar", "10", "", "", "varchar(10)");
  EXPECT_TRUE(AcceptsText(c, "Иванов И.И"));    // 10 characters, 19 bytes
  EXPECT_FALSE(AcceptsText(c, "Иванов И.И."));  // 11 characters
  EXPECT_FALSE(AcceptsText(c, "日本"));
  EXPECT_TRUE(AcceptsNumber(c, 1234567890));
  EXPECT_FALSE(AcceptsNumber(c, 12345678901.5));
}

TEST(ColumnLimits, WholeNumberColumnsTakeTheirRangeAfterTheServersRounding) {
  ColumnLimit small = ParseColumnLimit("smallint", "", "5", "0", "smallint(6)");
  EXPECT_TRUE(AcceptsNumber(small, 32767));
  EXPECT_TRUE(AcceptsNumber(small, -32768));
  EXPECT_FALSE(AcceptsNumber(small, 32767.5));
  EXPECT_FALSE(AcceptsNumber(small, 40000));
  ColumnLimit whole = ParseColumnLimit("int", "", "10", "0", "int(11)");
  EXPECT_TRUE(AcceptsNumber(whole, 2147483647));
  EXPECT_FALSE(AcceptsNumber(whole, 2147483648.0));
  ColumnLimit positive = ParseColumnLimit("tinyint", "", "3", "0", "tinyint(3) unsigned");
  EXPECT_FALSE(AcceptsNumber(positive, -1));
  EXPECT_TRUE(AcceptsNumber(positive, 255));
  EXPECT_TRUE(AcceptsText(whole, "12"));
  EXPECT_FALSE(AcceptsText(whole, "12abc"));
}

TEST(ColumnLimits, FractionalColumns) {
  ColumnLimit d = ParseColumnLimit("double", "", "22", "", "double");
  EXPECT_TRUE(AcceptsNumber(d, 1e300));
  ColumnLimit dec = ParseColumnLimit("decimal", "", "5", "2", "decimal(5,2)");
  EXPECT_TRUE(AcceptsNumber(dec, 999.99));
  EXPECT_FALSE(AcceptsNumber(dec, 1000));
}

TEST(ColumnLimits, DateColumnsTakeTheServersYears) {
  ColumnLimit d = ParseColumnLimit("date", "", "", "", "date");
  EXPECT_TRUE(AcceptsDate(d, SplitDate(MakeDate(2010, 1, 5))));
  EXPECT_FALSE(AcceptsDate(d, SplitDate(MakeDate(999, 12, 31))));
  ColumnLimit other = ParseColumnLimit("blob", "", "", "", "blob");
  EXPECT_TRUE(AcceptsDate(other, SplitDate(MakeDate(999, 12, 31))));
}

}  // namespace
}  // namespace kassa::sheetsync
