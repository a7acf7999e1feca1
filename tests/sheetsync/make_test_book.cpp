// make_test_book <file>: writes the engine's test workbook (test_book.h).
#include <cstdio>
#include <exception>

#include "tests/sheetsync/test_book.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_test_book <file>\n");
    return 2;
  }
  try {
    kassa::sheetsync::testing::WriteTestBook(argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_test_book: %s\n", e.what());
    return 1;
  }
  return 0;
}
