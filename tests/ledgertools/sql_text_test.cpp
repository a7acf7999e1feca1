// Literals, conditions, letter case, counts and the database's character
// set, as the ledger service builds its statements.
#include "ledgertools/sql_text.h"

#include <gtest/gtest.h>

namespace kassa::ledgertools {
namespace {

TEST(SqlValue, EmptyIsNullOtherwiseQuotedWithApostrophesDoubled) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"", "Null"},     {"abc", "'abc'"},   {"O'Brien", "'O''Brien'"},
      {"''", "''''''"}, {"a\\", "'a\\'"},  // backslash is a plain character
      {" ", "' '"},     {"Null", "'Null'"},
  };
  for (const Case& c : cases) EXPECT_EQ(SQL_Value(c.in), c.out) << c.in;
}

TEST(SqlCompare, OnlyTheExactNullLiteralSelectsIs) {
  EXPECT_EQ(SQL_Compare("Null"), " is Null");
  EXPECT_EQ(SQL_Compare("NULL"), " = NULL");
  EXPECT_EQ(SQL_Compare("'abc'"), " = 'abc'");
  EXPECT_EQ(SQL_Compare(SQL_Value("")), " is Null");
  EXPECT_EQ(SQL_Compare(SQL_Value("Null")), " = 'Null'");
}

TEST(QuoteText, NoTypedTextCanEndTheLiteral) {
  const std::string hostile = "x'; Delete From NAL ; --";
  const std::string q = Quote_Text(hostile);
  EXPECT_EQ(q, "x''; Delete From NAL ; --");
  // Between quotes, every apostrophe is part of a doubled pair.
  for (std::size_t i = 0; i < q.size(); ++i)
    if (q[i] == '\'') {
      ASSERT_LT(i + 1, q.size());
      EXPECT_EQ(q[i + 1], '\'');
      ++i;
    }
}

TEST(UCase, LatinAndCyrillicLettersOnly) {
  EXPECT_EQ(UCase("abc xyz"), "ABC XYZ");
  EXPECT_EQ(UCase("абвгдеёжзийклмнопрстуфхцчшщъыьэюя"), "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ");
  EXPECT_EQ(UCase("ґ і ї є ў"), "Ґ І Ї Є Ў");
  EXPECT_EQ(UCase("Хоз-1/2 o'b"), "ХОЗ-1/2 O'B");
  EXPECT_EQ(UCase("\xff"
                  "a"),
            "\xff"
            "A");  // invalid bytes kept
}

TEST(WholeNumber, CountsAndKeysAsTheDatabaseReturnsThem) {
  EXPECT_EQ(Whole_Number("0"), 0);
  EXPECT_EQ(Whole_Number("12"), 12);
  EXPECT_EQ(Whole_Number(" 7 "), 7);
  EXPECT_EQ(Whole_Number("-3"), -3);
  EXPECT_FALSE(Whole_Number(""));      // a failed query
  EXPECT_FALSE(Whole_Number("Null"));  // no row
  EXPECT_FALSE(Whole_Number("1,5"));
  EXPECT_FALSE(Whole_Number("3 ; drop"));
}

TEST(Cp1251, WhatTheDatabaseCanHold) {
  EXPECT_TRUE(Fits_Cp1251(""));
  EXPECT_TRUE(Fits_Cp1251("Иванов И.И. O'Brien №5 «к» – €"));
  EXPECT_TRUE(Fits_Cp1251("Ёё Ўў Ґґ"));
  EXPECT_FALSE(Fits_Cp1251("日本"));
  EXPECT_FALSE(Fits_Cp1251("emoji \xF0\x9F\x98\x80"));
  EXPECT_FALSE(Fits_Cp1251("Ä"));         // Latin-1, not Cyrillic
  EXPECT_FALSE(Fits_Cp1251("bad \xC3"));  // cut UTF-8
  EXPECT_FALSE(Fits_Cp1251("\xC0\xAF"));  // overlong form
}

TEST(CharCount, CharactersNotBytes) {
  EXPECT_EQ(Char_Count(""), 0u);
  EXPECT_EQ(Char_Count("abc"), 3u);
  EXPECT_EQ(Char_Count("Хозяйство"), 9u);
  EXPECT_EQ(Char_Count(std::string(10, 'x') + "ы"), 11u);
}

}  // namespace
}  // namespace kassa::ledgertools
