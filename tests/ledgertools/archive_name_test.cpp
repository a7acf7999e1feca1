// The archive copy's file name.
#include "ledgertools/archive_name.h"

#include <gtest/gtest.h>

#include "platform/variant/variant.h"

namespace kassa::ledgertools {
namespace {

TEST(TwoDigits, LeadingZeroBelowTen) {
  EXPECT_EQ(Two_Digits(0), "00");
  EXPECT_EQ(Two_Digits(5), "05");
  EXPECT_EQ(Two_Digits(10), "10");
  EXPECT_EQ(Two_Digits(31), "31");
}

TEST(ArchiveName, FolderBookAndDate) {
  EXPECT_EQ(Archive_File_Name("/data/Books", "Kassa.xls", MakeDate(2026, 12, 6)),
            "/data/Books/Archiv_Kassa_061226.xls");
  EXPECT_EQ(Archive_File_Name("/b", "Kassa.xls", MakeDate(2027, 3, 5, 23, 59, 59)),
            "/b/Archiv_Kassa_050327.xls");
  // Exactly the last four characters go, whatever they are.
  EXPECT_EQ(Archive_File_Name("/b", "Kassa.xlsx", MakeDate(2026, 1, 1)),
            "/b/Archiv_Kassa._010126.xls");
  EXPECT_EQ(Archive_File_Name("/b", "Касса2026", MakeDate(2026, 1, 1)),
            "/b/Archiv_Касса_010126.xls");
  EXPECT_EQ(Archive_File_Name("/b", "Книга", MakeDate(2026, 1, 1)), "/b/Archiv_К_010126.xls");
  EXPECT_EQ(Archive_File_Name("/b", "abc", MakeDate(2026, 1, 1)), "/b/Archiv__010126.xls");
}

}  // namespace
}  // namespace kassa::ledgertools
