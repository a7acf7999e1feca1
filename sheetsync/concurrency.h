// Several workstations on one ledger: what a workbook session knows of a
// synchronised sheet's table since the sheet was last loaded, and the
// decisions that keep one session from deleting or overwriting what another
// wrote. Pure logic and statement texts; the engine's database work around
// it is in concurrency_engine.cpp.
//
// A table row is compared by its signature, computed by the server over
// the row's stored fields (SignatureSql): equal signatures mean equal rows.
//
// When the sheet is loaded, the session takes the table's image (row id ->
// signature) just before the query table reads the rows. Later:
//  - A whole-sheet store reads the image again under lock inside its
//    transaction (before), runs its delete and inserts, and reads it once
//    more (after: the sheet as stored). A row is in conflict when the store
//    changes it (before != after) and the table no longer holds what this
//    session last knew there: the loaded row, the row as its own guarded
//    write-back left it, or, for a row its plain write-back wrote, the
//    sheet itself (such a row is in conflict whenever the store changes it).
//  - An immediate write-back runs the plain statements while nothing shows
//    another writer: the record count before it equals what this session
//    knows, and so does the highest row id after it. From the first sign of
//    another writer until the sheet is loaded again, each write-back is
//    guarded: one transaction reads the concerned rows under lock and
//    writes only rows nobody else changed since this session knew them.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kassa::sheetsync {

// Sheet rows or row ids as ranges (clearing a column is one range).
class RowSet {
 public:
  void Add(long first, long last);
  void Remove(long first, long last);
  bool Contains(long row) const;
  long Count() const;
  long Max() const;  // 0 when empty
  void Clear() { ranges_.clear(); }

 private:
  std::map<long, long> ranges_;  // first -> last; disjoint, never adjacent
};

// A table's rows as signatures. With a row-id column: by id; without one
// only as a multiset.
struct TableImage {
  std::map<long, std::string> rows;
  std::multiset<std::string> unnamed;
  bool operator==(const TableImage&) const = default;
};

// What one workbook session knows of a synchronised sheet's table.
struct SheetKnowledge {
  std::string table;                // the table the image is of
  unsigned long refreshes = 0;      // the query table's refresh count when loaded
  bool loaded = false;              // `base` was taken as the sheet was loaded
  TableImage base;                  // the table just before the sheet was loaded
  RowSet written;                   // rows a plain write-back wrote (signature unknown)
  std::map<long, std::string> own;  // rows as a guarded write-back left them
  RowSet known;                     // ids this session believes exist
  bool shared = false;              // another writer was seen since the load
};

// Rows a store would take from another workstation (see the header).
struct StoreConflicts {
  long count = 0;
  std::vector<long> rows;  // ids, ascending (tables with a row-id column)
};
StoreConflicts FindStoreConflicts(const TableImage& before, const TableImage& after,
                                  const SheetKnowledge* known, bool with_ids);

// A record as the guarded write-back found it under lock.
struct FoundRow {
  std::string signature;
  bool blank = false;  // every stored field NULL (a placeholder)
};

// What a guarded write-back of the edited rows first..last does.
struct WriteBackPlan {
  std::vector<long> inserts;    // new blank records (placeholders), ascending
  std::vector<long> writes;     // edited rows whose cells are written
  std::vector<long> conflicts;  // edited rows another workstation added, changed or deleted
  std::vector<long> deletes;    // records removed below the last filled row
};
// `last_data` is the sheet's last filled row, `data_below` whether the ten
// rows below it hold anything. `found` holds every record with an id in
// first..last or above min(last_data, highest known id). An empty edit
// (first > last) plans only the removal below the last filled row.
//  - Records are created for edited rows that have none, and blank ones for
//    the ids between the table's end and the first edited row, as the plain
//    write-back does.
//  - An edited row is written when its record is what this session knows
//    (or is a blank record of another session's, taken over); a record
//    another session changed, deleted or filled is a conflict.
//  - Removed are only records this session knows, unchanged by others, with
//    ids above the last filled row and no other session's record above them
//    (so the ids stay without gaps); an edited row so removed is not written.
WriteBackPlan PlanWriteBack(long first, long last, long last_data, bool data_below,
                            const std::map<long, FoundRow>& found, const SheetKnowledge& known);

// The statements around the signatures. `fields` are the stored fields of
// the sheet (Calc columns left out), as the store names them.
std::string SignatureSql(const std::vector<std::string>& fields);
// "SELECT <id>, <signature> FROM <table>" (without an id column only the
// signature), " FOR UPDATE" when `lock`.
std::string ImageQuery(const std::string& table, const std::string& id_column,
                       const std::vector<std::string>& fields, bool lock);
// Id, signature and blankness of the records a guarded write-back concerns
// (see PlanWriteBack), under lock.
std::string FoundRowsQuery(const std::string& table, const std::string& id_column,
                           const std::vector<std::string>& fields, long first, long last,
                           long above);
// Id and signature of the records with the given ids.
std::string RowsByIdQuery(const std::string& table, const std::string& id_column,
                          const std::vector<std::string>& fields, const std::vector<long>& ids);
// "Delete From <table> Where <id> In (<ids>)".
std::string DeleteIdsStatement(const std::string& table, const std::string& id_column,
                               const std::vector<long>& ids);

// "1 строка", "3 строки", "12 строк".
std::string RowsCountText(long n);
// "5", "5, 7, 9" (at most `shown` numbers, then ", ...").
std::string RowListText(const std::vector<long>& rows, size_t shown = 20);

}  // namespace kassa::sheetsync
