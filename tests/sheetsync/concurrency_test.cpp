// The decisions that keep one workbook session from deleting or overwriting
// what another wrote: which rows a store would take, what a guarded
// write-back writes, creates and removes, and the texts of the counts.
#include "sheetsync/concurrency.h"

#include <gtest/gtest.h>

namespace kassa::sheetsync {
namespace {

using Ids = std::vector<long>;

// A session that loaded the rows `ids` with signatures "s<id>".
SheetKnowledge Loaded(const Ids& ids) {
  SheetKnowledge k;
  k.table = "NAL";
  k.loaded = true;
  for (long id : ids) {
    k.base.rows[id] = "s" + std::to_string(id);
    k.known.Add(id, id);
  }
  return k;
}

TableImage Image(const std::map<long, std::string>& rows) {
  TableImage t;
  t.rows = rows;
  return t;
}

TEST(RowSet, MergesRemovesAndCounts) {
  RowSet s;
  s.Add(5, 7);
  s.Add(8, 9);  // touching: one range
  s.Add(2, 2);
  EXPECT_EQ(s.Count(), 6);
  EXPECT_EQ(s.Max(), 9);
  s.Remove(6, 8);
  EXPECT_TRUE(s.Contains(5));
  EXPECT_FALSE(s.Contains(6));
  EXPECT_FALSE(s.Contains(8));
  EXPECT_TRUE(s.Contains(9));
  EXPECT_EQ(s.Count(), 3);
  s.Add(1, 20);
  EXPECT_EQ(s.Count(), 20);
  s.Remove(10, 30);
  EXPECT_EQ(s.Max(), 9);
  s.Clear();
  EXPECT_EQ(s.Max(), 0);
  EXPECT_EQ(s.Count(), 0);
}

TEST(StoreConflicts, OnlyRowsAnotherSessionChangedCount) {
  const SheetKnowledge k = Loaded({2, 3, 4});
  // Nobody else wrote: the store changing row 3 and removing row 4 is this
  // session's own doing.
  StoreConflicts c = FindStoreConflicts(Image({{2, "s2"}, {3, "s3"}, {4, "s4"}}),
                                        Image({{2, "s2"}, {3, "x"}}), &k, true);
  EXPECT_EQ(c.count, 0);
  // Another session changed row 2, added row 5 and deleted row 4; the store
  // would put rows 2 and 4 back and remove row 5.
  c = FindStoreConflicts(Image({{2, "other"}, {3, "s3"}, {5, "s5"}}),
                         Image({{2, "s2"}, {3, "s3"}, {4, "s4"}}), &k, true);
  EXPECT_EQ(c.rows, (Ids{2, 4, 5}));
  EXPECT_EQ(c.count, 3);
  // A row another session changed that the store leaves as it is found is
  // no conflict.
  c = FindStoreConflicts(Image({{2, "other"}}), Image({{2, "other"}}), &k, true);
  EXPECT_EQ(c.count, 0);
}

TEST(StoreConflicts, OwnWritesAreNotAnotherSessionsChanges) {
  SheetKnowledge k = Loaded({2, 3});
  k.own[3] = "mine";  // a guarded write-back left row 3 so
  StoreConflicts c =
      FindStoreConflicts(Image({{2, "s2"}, {3, "mine"}}), Image({{2, "s2"}, {3, "x"}}), &k, true);
  EXPECT_EQ(c.count, 0);
  // A row written by a plain write-back (signature unknown) counts when the
  // store changes it: somebody may have written it since.
  k.written.Add(2, 2);
  c = FindStoreConflicts(Image({{2, "?"}, {3, "mine"}}), Image({{2, "y"}, {3, "mine"}}), &k, true);
  EXPECT_EQ(c.rows, (Ids{2}));
}

TEST(StoreConflicts, WithoutAnImageEveryChangedRowCountsAndUnnamedRowsAreAMultiset) {
  StoreConflicts c =
      FindStoreConflicts(Image({{2, "a"}, {3, "b"}}), Image({{2, "a"}, {3, "c"}}), nullptr, true);
  EXPECT_EQ(c.rows, (Ids{3}));
  // A table without a row-id column: rows compared as a multiset.
  SheetKnowledge k;
  k.loaded = true;
  k.base.unnamed = {"a", "b"};
  TableImage before, after;
  before.unnamed = {"a", "b", "b"};  // another session added one "b"
  after.unnamed = {"a"};
  EXPECT_EQ(FindStoreConflicts(before, after, &k, false).count, 1);
  before.unnamed = {"a", "b"};  // nobody else wrote
  EXPECT_EQ(FindStoreConflicts(before, after, &k, false).count, 0);
}

std::map<long, FoundRow> Found(const std::map<long, std::string>& rows) {
  std::map<long, FoundRow> f;
  for (const auto& [id, sig] : rows) f[id] = FoundRow{sig, sig.empty()};
  return f;
}

TEST(GuardedWriteBack, WritesKnownRowsAndRefusesRowsAnotherSessionChanged) {
  const SheetKnowledge k = Loaded({2, 3, 4});
  const WriteBackPlan p =
      PlanWriteBack(2, 4, 4, true, Found({{2, "s2"}, {3, "other"}, {4, "s4"}}), k);
  EXPECT_EQ(p.writes, (Ids{2, 4}));
  EXPECT_EQ(p.conflicts, (Ids{3}));
  EXPECT_TRUE(p.inserts.empty());
  EXPECT_TRUE(p.deletes.empty());
}

TEST(GuardedWriteBack, CreatesPlaceholdersAfterTheTableEndAndTakesOverBlankOnes) {
  const SheetKnowledge k = Loaded({2, 3});
  // Another session appended row 4 (filled) and a blank placeholder 5; this
  // session types row 7: 6 is created blank, 5 taken over only if edited.
  WriteBackPlan p = PlanWriteBack(7, 7, 7, true, Found({{4, "s4"}, {5, ""}}), k);
  EXPECT_EQ(p.inserts, (Ids{6, 7}));
  EXPECT_EQ(p.writes, (Ids{7}));
  EXPECT_TRUE(p.conflicts.empty());
  p = PlanWriteBack(5, 5, 5, true, Found({{4, "s4"}, {5, ""}}), k);
  EXPECT_EQ(p.writes, (Ids{5}));
  // A row another session filled is theirs.
  p = PlanWriteBack(4, 4, 4, true, Found({{4, "s4"}, {5, ""}}), k);
  EXPECT_EQ(p.conflicts, (Ids{4}));
  EXPECT_TRUE(p.writes.empty());
  // A known row another session deleted is a conflict, not re-created.
  p = PlanWriteBack(3, 3, 3, true, Found({{2, "s2"}}), k);
  EXPECT_EQ(p.conflicts, (Ids{3}));
  EXPECT_TRUE(p.inserts.empty());
}

TEST(GuardedWriteBack, RemovesOnlyOwnUnchangedRecordsBelowTheLastFilledRow) {
  // The user cleared rows 4 and 5 (last filled row 3); another session
  // appended row 6 meanwhile: nothing goes, ids stay without gaps.
  const SheetKnowledge k = Loaded({2, 3, 4, 5});
  WriteBackPlan p = PlanWriteBack(4, 5, 3, false, Found({{4, "s4"}, {5, "s5"}, {6, "theirs"}}), k);
  EXPECT_TRUE(p.deletes.empty());
  EXPECT_EQ(p.writes, (Ids{4, 5}));
  // Without the other's row the cleared records go and are not written.
  p = PlanWriteBack(4, 5, 3, false, Found({{4, "s4"}, {5, "s5"}}), k);
  EXPECT_EQ(p.deletes, (Ids{4, 5}));
  EXPECT_TRUE(p.writes.empty());
  // A cleared row another session changed stops the removal there.
  p = PlanWriteBack(4, 5, 3, false, Found({{4, "s4"}, {5, "changed"}}), k);
  EXPECT_TRUE(p.deletes.empty());
  EXPECT_EQ(p.conflicts, (Ids{5}));
  // Only the removal (an empty edit).
  p = PlanWriteBack(1, 0, 3, false, Found({{4, "s4"}, {5, "s5"}}), k);
  EXPECT_EQ(p.deletes, (Ids{4, 5}));
  EXPECT_TRUE(p.writes.empty() && p.inserts.empty() && p.conflicts.empty());
}

TEST(GuardTexts, StatementsAndCounts) {
  EXPECT_EQ(SignatureSql({"A", "B"}), "LEFT(MD5(CONCAT_WS(',', QUOTE(A), QUOTE(B))), 16)");
  EXPECT_EQ(ImageQuery("NAL", "ID_Exl", {"A"}, true),
            "SELECT ID_Exl, LEFT(MD5(CONCAT_WS(',', QUOTE(A))), 16) FROM NAL FOR UPDATE");
  EXPECT_EQ(ImageQuery("T", "", {}, false), "SELECT '-' FROM T");
  EXPECT_EQ(DeleteIdsStatement("NAL", "ID_Exl", {4, 5}).find("In (4, 5)") != std::string::npos,
            true);
  EXPECT_EQ(RowsCountText(1), "1 строка");
  EXPECT_EQ(RowsCountText(3), "3 строки");
  EXPECT_EQ(RowsCountText(11), "11 строк");
  EXPECT_EQ(RowsCountText(12), "12 строк");
  EXPECT_EQ(RowsCountText(21), "21 строка");
  EXPECT_EQ(RowsCountText(104), "104 строки");
  EXPECT_EQ(RowListText({5}), "5");
  EXPECT_EQ(RowListText({5, 7, 9}, 2), "5, 7, ...");
}

}  // namespace
}  // namespace kassa::sheetsync
