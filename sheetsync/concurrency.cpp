#include "sheetsync/concurrency.h"

#include <algorithm>
#include <iterator>

#include "sheetsync/texts.h"

namespace kassa::sheetsync {

// ---- RowSet

void RowSet::Add(long first, long last) {
  if (first > last) return;
  // Merge with every range that overlaps or touches [first, last].
  auto it = ranges_.upper_bound(first);
  if (it != ranges_.begin()) {
    auto prev = std::prev(it);
    if (prev->second + 1 >= first) it = prev;
  }
  while (it != ranges_.end() && it->first <= last + 1) {
    first = std::min(first, it->first);
    last = std::max(last, it->second);
    it = ranges_.erase(it);
  }
  ranges_.emplace(first, last);
}

void RowSet::Remove(long first, long last) {
  if (first > last) return;
  auto it = ranges_.upper_bound(first);
  if (it != ranges_.begin()) --it;
  while (it != ranges_.end() && it->first <= last) {
    const long a = it->first, b = it->second;
    if (b < first) {
      ++it;
      continue;
    }
    it = ranges_.erase(it);
    if (a < first) ranges_.emplace(a, first - 1);
    if (b > last) ranges_.emplace(last + 1, b);
  }
}

bool RowSet::Contains(long row) const {
  auto it = ranges_.upper_bound(row);
  if (it == ranges_.begin()) return false;
  --it;
  return row <= it->second;
}

long RowSet::Count() const {
  long n = 0;
  for (const auto& [a, b] : ranges_) n += b - a + 1;
  return n;
}

long RowSet::Max() const {
  return ranges_.empty() ? 0 : ranges_.rbegin()->second;
}

// ---- what this session expects of a record

namespace {

// The record this session last knew under an id.
struct Expected {
  bool exists = false;     // the session believes the record exists
  bool sig_known = false;  // and knows its signature
  std::string sig;
};

Expected ExpectedOf(long id, const SheetKnowledge& k) {
  Expected e;
  if (!k.known.Contains(id)) return e;
  e.exists = true;
  if (auto own = k.own.find(id); own != k.own.end()) {
    e.sig_known = true;
    e.sig = own->second;
  } else if (!k.written.Contains(id)) {
    if (auto b = k.base.rows.find(id); b != k.base.rows.end()) {
      e.sig_known = true;
      e.sig = b->second;
    }
  }
  return e;
}

const std::string* Find(const std::map<long, std::string>& rows, long id) {
  auto it = rows.find(id);
  return it == rows.end() ? nullptr : &it->second;
}

bool Same(const std::string* a, const std::string* b) {
  if (!a || !b) return a == b;
  return *a == *b;
}

// How many rows are in one multiset and not matched in the other.
long Unmatched(const std::multiset<std::string>& a, const std::multiset<std::string>& b) {
  std::vector<std::string> diff;
  std::set_symmetric_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(diff));
  return static_cast<long>(diff.size());
}

}  // namespace

StoreConflicts FindStoreConflicts(const TableImage& before, const TableImage& after,
                                  const SheetKnowledge* known, bool with_ids) {
  StoreConflicts out;
  const bool loaded = known && known->loaded;
  if (!with_ids) {
    if (before.unnamed == after.unnamed) return out;
    if (!loaded) {
      out.count = Unmatched(before.unnamed, after.unnamed);
    } else if (before.unnamed != known->base.unnamed) {
      out.count = Unmatched(before.unnamed, known->base.unnamed);
    }
    return out;
  }
  std::set<long> ids;
  for (const auto& [id, sig] : before.rows) ids.insert(id);
  for (const auto& [id, sig] : after.rows) ids.insert(id);
  for (long id : ids) {
    const std::string* b = Find(before.rows, id);
    const std::string* a = Find(after.rows, id);
    if (Same(b, a)) continue;  // the store leaves this row as it is
    bool conflict = true;
    if (loaded) {
      const Expected e = ExpectedOf(id, *known);
      if (!e.exists) {
        conflict = b != nullptr;  // a row this session never had
      } else if (e.sig_known) {
        conflict = !b || *b != e.sig;
      }  // else written here by a plain write-back: any change by the store counts
    }
    if (conflict) out.rows.push_back(id);
  }
  out.count = static_cast<long>(out.rows.size());
  return out;
}

WriteBackPlan PlanWriteBack(long first, long last, long last_data, bool data_below,
                            const std::map<long, FoundRow>& found, const SheetKnowledge& known) {
  WriteBackPlan plan;
  std::set<long> inserts, writes;
  // Whether the record under `id` is what this session knows (or a blank
  // record nobody filled): it may be written or removed.
  auto unchanged = [&](long id, const FoundRow& f) {
    const Expected e = ExpectedOf(id, known);
    if (!e.exists) return f.blank;
    if (e.sig_known) return f.signature == e.sig;
    return f.blank || known.written.Contains(id);
  };
  if (first <= last) {
    long end = known.known.Max();
    if (!found.empty()) end = std::max(end, found.rbegin()->first);
    for (long id = end + 1; id < first; ++id) inserts.insert(id);
    for (long r = first; r <= last; ++r) {
      auto f = found.find(r);
      const Expected e = ExpectedOf(r, known);
      if (f == found.end()) {
        if (e.exists) {
          plan.conflicts.push_back(r);  // deleted elsewhere
        } else {
          inserts.insert(r);
          writes.insert(r);
        }
      } else if (unchanged(r, f->second)) {
        writes.insert(r);
      } else {
        plan.conflicts.push_back(r);
      }
    }
  }
  if (!data_below) {
    // From the highest id down, while every record is this session's and
    // unchanged (or an edited row of this write), it goes.
    std::set<long> ids;
    for (const auto& [id, f] : found)
      if (id > last_data) ids.insert(id);
    for (long id : inserts)
      if (id > last_data) ids.insert(id);
    std::set<long> conflicts(plan.conflicts.begin(), plan.conflicts.end());
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
      const long id = *it;
      if (conflicts.count(id)) break;
      auto f = found.find(id);
      if (f == found.end()) {  // only planned: not created at all
        inserts.erase(id);
        writes.erase(id);
        continue;
      }
      const bool ours = known.known.Contains(id) || writes.count(id);
      if (!ours || !(writes.count(id) || unchanged(id, f->second))) break;
      plan.deletes.push_back(id);
      writes.erase(id);
    }
    std::reverse(plan.deletes.begin(), plan.deletes.end());
  }
  plan.inserts.assign(inserts.begin(), inserts.end());
  plan.writes.assign(writes.begin(), writes.end());
  return plan;
}

// ---- statements

std::string SignatureSql(const std::vector<std::string>& fields) {
  if (fields.empty()) return texts::kSignatureNoFields;
  std::string s = texts::kSignatureHead;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) s += texts::kComma;
    s += texts::kQuoteOpen;
    s += fields[i];
    s += texts::kClose;
  }
  return s + texts::kSignatureTail;
}

namespace {

std::string BlankSql(const std::vector<std::string>& fields) {
  if (fields.empty()) return "1";
  std::string s = "(";
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) s += texts::kAnd;
    s += fields[i] + texts::kIsNull;
  }
  return s + texts::kClose;
}

}  // namespace

std::string ImageQuery(const std::string& table, const std::string& id_column,
                       const std::vector<std::string>& fields, bool lock) {
  std::string s = texts::kSelect;
  if (!id_column.empty()) s += id_column + texts::kComma;
  s += SignatureSql(fields) + texts::kFrom + table;
  if (lock) s += texts::kForUpdate;
  return s;
}

std::string FoundRowsQuery(const std::string& table, const std::string& id_column,
                           const std::vector<std::string>& fields, long first, long last,
                           long above) {
  std::string s = texts::kSelect + id_column + texts::kComma + SignatureSql(fields) +
                  texts::kComma + BlankSql(fields) + texts::kFrom + table + texts::kWhereUpper;
  if (first <= last)
    s += id_column + texts::kBetween + std::to_string(first) + texts::kAnd + std::to_string(last) +
         texts::kOr;
  return s + id_column + texts::kAbove + std::to_string(above) + texts::kForUpdate;
}

std::string RowsByIdQuery(const std::string& table, const std::string& id_column,
                          const std::vector<std::string>& fields, const std::vector<long>& ids) {
  const auto [lo, hi] = std::minmax_element(ids.begin(), ids.end());
  return texts::kSelect + id_column + texts::kComma + SignatureSql(fields) + texts::kFrom + table +
         texts::kWhereUpper + id_column + texts::kBetween + std::to_string(*lo) + texts::kAnd +
         std::to_string(*hi);
}

std::string DeleteIdsStatement(const std::string& table, const std::string& id_column,
                               const std::vector<long>& ids) {
  std::string s = texts::kDeleteFrom + table + texts::kWhere + id_column + texts::kWhereIdIn;
  for (size_t i = 0; i < ids.size(); ++i) {
    if (i) s += texts::kComma;
    s += std::to_string(ids[i]);
  }
  return s + texts::kClose;
}

std::string RowsCountText(long n) {
  const long last2 = n % 100, last1 = n % 10;
  const char* word = texts::kRowWord5;
  if (last1 == 1 && last2 != 11)
    word = texts::kRowWord1;
  else if (last1 >= 2 && last1 <= 4 && (last2 < 12 || last2 > 14))
    word = texts::kRowWord2;
  return std::to_string(n) + word;
}

std::string RowListText(const std::vector<long>& rows, size_t shown) {
  std::string s;
  for (size_t i = 0; i < rows.size() && i < shown; ++i) {
    if (i) s += texts::kComma;
    s += std::to_string(rows[i]);
  }
  if (rows.size() > shown) s += ", ...";
  return s;
}

}  // namespace kassa::sheetsync
