// make_test_book <file> [<query>]: writes the engine's test workbook
// (test_book.h), with <query> as its cash sheet's query when given.
#include <cstdio>
#include <exception>

#include "tests/sheetsync/test_book.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: make_test_book <file> [<query>]\n");
    return 2;
  }
  try {
    kassa::sheetsync::testing::WriteTestBook(argv[1], true, argc == 3 ? argv[2] : "");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_test_book: %s\n", e.what());
    return 1;
  }
  return 0;
}
