// The one character model: counting, positions and character lengths agree
// for every kind of byte, well-formed or not.
#include "platform/variant/text.h"

#include <gtest/gtest.h>

#include <string>

namespace kassa {
namespace {

TEST(CharacterModel, CountPositionsAndLengthsAgreeForAnyBytes) {
  struct Case {
    std::string text;
    std::size_t chars;
    bool valid;
  } cases[] = {
      {"", 0, true},
      {"abc", 3, true},
      {"Ёж", 2, true},
      {"\xA1'", 2, false},             // a stray continuation byte is a character
      {"a\xD0", 2, false},             // a cut two-byte sequence
      {"\xC0\xAF", 2, false},          // an overlong form: two bytes, two characters
      {"\xED\xA0\x80", 3, false},      // a surrogate
      {"\xF0\x9F\x98\x80z", 2, true},  // four bytes, one character
      {"\x80\x80\x80\x80\x80", 5, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CharCount(c.text), c.chars) << c.text;
    EXPECT_EQ(IsValidUtf8(c.text), c.valid) << c.text;
    // Walking character by character lands on every offset CharOffset names
    // and ends exactly at the end of the text.
    std::size_t at = 0;
    for (std::size_t n = 0; n < c.chars; ++n) {
      ASSERT_EQ(CharOffset(c.text, n), at) << c.text << " char " << n;
      at += CharLength(c.text, at);
    }
    EXPECT_EQ(at, c.text.size()) << c.text;
    EXPECT_EQ(CharOffset(c.text, c.chars), c.text.size()) << c.text;
    EXPECT_EQ(CharOffset(c.text, c.chars + 5), c.text.size()) << c.text;
  }
}

}  // namespace
}  // namespace kassa
