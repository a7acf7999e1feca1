// The renumbering plan of the buffer load, run against a model of the
// buffer's primary key: no statement may meet a duplicate key, every row
// arrives behind the ledger in its order, none is lost or doubled.
#include "ledgertools/buffer_plan.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <regex>

namespace kassa::ledgertools {
namespace {

// Applies the plan to buffer rows (key -> payment id); fails the test on a
// duplicate key. Returns the rows copied into the ledger.
std::map<long long, int> Apply(std::map<long long, int> buffer,
                               const std::vector<std::string>& plan) {
  static const std::regex update(
      R"(^ Update NAL_BUFFER Set ID_Num = (-?\d+) where ID_Num = (-?\d+) ;$)");
  std::map<long long, int> ledger;
  for (const std::string& s : plan) {
    std::smatch m;
    if (std::regex_match(s, m, update)) {
      const long long to = std::stoll(m[1]), from = std::stoll(m[2]);
      auto it = buffer.find(from);
      if (it == buffer.end()) continue;  // matches no row
      EXPECT_EQ(buffer.count(to), 0u) << "duplicate key " << to << " in: " << s;
      const int payment = it->second;
      buffer.erase(it);
      buffer[to] = payment;
    } else if (s == " Insert into  NAL Select * from NAL_BUFFER ;") {
      ledger = buffer;
    } else if (s == " Delete from NAL_BUFFER ;") {
      buffer.clear();
    } else {
      ADD_FAILURE() << "unexpected statement: " << s;
    }
  }
  EXPECT_TRUE(buffer.empty());
  return ledger;
}

std::vector<std::string> Updates(std::initializer_list<std::pair<int, int>> to_from) {
  std::vector<std::string> out;
  for (auto [to, from] : to_from)
    out.push_back(" Update NAL_BUFFER Set ID_Num = " + std::to_string(to) +
                  " where ID_Num = " + std::to_string(from) + " ;");
  out.push_back(" Insert into  NAL Select * from NAL_BUFFER ;");
  out.push_back(" Delete from NAL_BUFFER ;");
  return out;
}

TEST(BufferPlan, UsualBufferKeepsTheExactStatementsInDescendingOrder) {
  EXPECT_EQ(Buffer_Load_Statements({1, 2, 3}, 10), Updates({{14, 3}, {13, 2}, {12, 1}}));
  EXPECT_EQ(Buffer_Load_Statements({2, 1}, 0), Updates({{3, 2}, {2, 1}}));
  EXPECT_TRUE(Buffer_Load_Statements({}, 5).empty());
}

TEST(BufferPlan, AnyKeysArriveInOrderBehindTheLedgerWithoutDuplicates) {
  const std::vector<std::pair<std::vector<long long>, long long>> cases = {
      {{1, 2, 3}, 10}, {{1, 2}, 0},    {{5, 6}, 2},        {{12, 13, 14}, 10},
      {{3, 4}, 0},     {{2, 7, 9}, 3}, {{-4, 0, 8}, 1},    {{100}, 0},
      {{4, 5, 6}, 1},  {{1, 3}, 1},    {{13, 14, 15}, 10}, {{2, 3, 4, 5}, 0},
  };
  for (const auto& [keys, m] : cases) {
    std::map<long long, int> buffer;
    for (std::size_t i = 0; i < keys.size(); ++i) buffer[keys[i]] = static_cast<int>(i);
    const auto ledger = Apply(buffer, Buffer_Load_Statements(keys, m));
    ASSERT_EQ(ledger.size(), keys.size());
    long long expect_key = m + 2;
    int expect_payment = 0;  // keys listed ascending, so payment i has rank i
    for (const auto& [key, payment] : ledger) {
      EXPECT_EQ(key, expect_key++);
      EXPECT_EQ(payment, expect_payment++);
    }
  }
}

TEST(BufferPlan, RandomKeySetsNeverCollide) {
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    const long long m = rng() % 20;
    std::map<long long, int> buffer;
    const int n = 1 + rng() % 8;
    while (static_cast<int>(buffer.size()) < n) buffer[static_cast<long long>(rng() % 30) - 5] = 0;
    std::vector<long long> keys;
    int p = 0;
    for (auto& [k, v] : buffer) {
      v = p++;
      keys.push_back(k);
    }
    const auto ledger = Apply(buffer, Buffer_Load_Statements(keys, m));
    ASSERT_EQ(ledger.size(), buffer.size());
    EXPECT_EQ(ledger.begin()->first, m + 2);
    EXPECT_EQ(ledger.rbegin()->first, m + 1 + n);
  }
}

}  // namespace
}  // namespace kassa::ledgertools
