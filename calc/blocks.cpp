#include "calc/blocks.h"

#include <algorithm>
#include <map>
#include <utility>

namespace kassa::calc {

void Block::Add(long r, int c) {
  if (empty()) {
    row1 = row2 = r;
    col1 = col2 = c;
    return;
  }
  row1 = std::min(row1, r), row2 = std::max(row2, r);
  col1 = std::min(col1, c), col2 = std::max(col2, c);
}

std::vector<Block> CoverMarked(const std::vector<std::vector<char>>& marked) {
  std::vector<Block> done;
  std::map<std::pair<int, int>, Block> open;  // by (col1, col2)
  for (long r = 1; r <= static_cast<long>(marked.size()); ++r) {
    const auto& line = marked[r - 1];
    std::map<std::pair<int, int>, Block> next;
    for (int c = 1; c <= static_cast<int>(line.size()); ++c) {
      if (!line[c - 1]) continue;
      int end = c;
      while (end < static_cast<int>(line.size()) && line[end]) ++end;
      std::pair<int, int> key{c, end};
      auto it = open.find(key);
      if (it != open.end()) {
        Block b = it->second;
        b.row2 = r;
        next[key] = b;
        open.erase(it);
      } else {
        next[key] = Block{r, r, c, end};
      }
      c = end;
    }
    for (auto& [key, b] : open) done.push_back(b);
    open = std::move(next);
  }
  for (auto& [key, b] : open) done.push_back(b);
  return done;
}

}  // namespace kassa::calc
