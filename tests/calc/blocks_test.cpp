// The blocks the Calc host writes a sheet in: exactly the changed cells.
#include "calc/blocks.h"

#include <gtest/gtest.h>

#include <random>

namespace kassa::calc {
namespace {

using Marks = std::vector<std::vector<char>>;

Marks Grid(const std::vector<std::string>& rows) {
  Marks m;
  for (const std::string& r : rows) {
    std::vector<char> line;
    for (char c : r) line.push_back(c == 'x');
    m.push_back(line);
  }
  return m;
}

// Every marked cell in exactly one block, no unmarked cell in any.
void ExpectExactCover(const Marks& marks, const std::vector<Block>& blocks) {
  std::vector<std::vector<int>> hits(marks.size());
  for (size_t r = 0; r < marks.size(); ++r) hits[r].assign(marks[r].size(), 0);
  for (const Block& b : blocks) {
    ASSERT_FALSE(b.empty());
    for (long r = b.row1; r <= b.row2; ++r)
      for (int c = b.col1; c <= b.col2; ++c) {
        ASSERT_LE(r, static_cast<long>(marks.size()));
        ASSERT_LE(c, static_cast<int>(marks[r - 1].size()));
        ++hits[r - 1][c - 1];
      }
  }
  for (size_t r = 0; r < marks.size(); ++r)
    for (size_t c = 0; c < marks[r].size(); ++c)
      EXPECT_EQ(hits[r][c], marks[r][c] ? 1 : 0) << "cell row " << r + 1 << " column " << c + 1;
}

TEST(CalcBlocks, ShapesAreCoveredExactly) {
  const std::vector<std::vector<std::string>> shapes = {
      {},
      {"....", "...."},
      {"x"},
      {"xxxx", "xxxx", "xxxx"},
      {"x.x.", ".x.x", "x.x."},
      {"xx..", "xxx.", "xx..", "..xx"},
      {"x...", "xx..", "xxx.", "xxxx"},
      {".xx.", "", ".xx.", ".xx."},  // a row without cells splits the block
  };
  for (const auto& shape : shapes) {
    Marks m = Grid(shape);
    ExpectExactCover(m, CoverMarked(m));
  }
}

TEST(CalcBlocks, AWholeRefreshIsOneBlock) {
  // A query table written from A1: every cell of 2000 rows of 8 changed.
  Marks m(2000, std::vector<char>(8, 1));
  std::vector<Block> blocks = CoverMarked(m);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].row1, 1);
  EXPECT_EQ(blocks[0].row2, 2000);
  EXPECT_EQ(blocks[0].col1, 1);
  EXPECT_EQ(blocks[0].col2, 8);
}

TEST(CalcBlocks, ACellLeftUnchangedInsideTheExtentIsNotWritten) {
  // A refresh of rows 2..4 beside a formula the user keeps in C3.
  Marks m = Grid({"xxxx", "xxxx", "xx.x", "xxxx"});
  std::vector<Block> blocks = CoverMarked(m);
  ExpectExactCover(m, blocks);
  for (const Block& b : blocks)
    EXPECT_FALSE(b.row1 <= 3 && 3 <= b.row2 && b.col1 <= 3 && 3 <= b.col2);
}

TEST(CalcBlocks, RandomPatternsAreCoveredExactly) {
  std::mt19937 random(20260607);
  for (int round = 0; round < 200; ++round) {
    const int rows = 1 + static_cast<int>(random() % 30),
              cols = 1 + static_cast<int>(random() % 12);
    const unsigned density = 1 + random() % 9;
    Marks m(rows, std::vector<char>(cols, 0));
    for (auto& line : m)
      for (char& c : line) c = (random() % 10) < density;
    ExpectExactCover(m, CoverMarked(m));
  }
}

TEST(CalcBlocks, GrowingABlock) {
  Block b;
  EXPECT_TRUE(b.empty());
  b.Add(5, 3);
  b.Add(2, 7);
  b.Add(9, 1);
  EXPECT_EQ(b.row1, 2);
  EXPECT_EQ(b.row2, 9);
  EXPECT_EQ(b.col1, 1);
  EXPECT_EQ(b.col2, 7);
}

}  // namespace
}  // namespace kassa::calc
