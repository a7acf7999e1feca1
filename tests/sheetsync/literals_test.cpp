// Literal forms of cell values, the text helpers, the emergency copy's file
// name and the progress bar's rounding.
#include "sheetsync/literals.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "platform/variant/variant.h"

namespace kassa::sheetsync {
namespace {

// Quoting as the classic form describes it: every doubled apostrophe, the
// last one first, becomes a double quote, then every single one does.
std::string QuoteByReplacing(std::string text) {
  for (const std::string find : {"''", "'"})
    for (size_t p; (p = text.rfind(find)) != std::string::npos;) text.replace(p, find.size(), "\"");
  return text;
}

TEST(DateAndTimeLiterals, HaveNoLeadingZerosWhereTheLedgerExpectsNone) {
  EXPECT_EQ(DateLiteral(SplitDate(MakeDate(2010, 1, 5))), "'2010-1-5'");
  EXPECT_EQ(DateLiteral(SplitDate(MakeDate(2011, 12, 31))), "'2011-12-31'");
  EXPECT_EQ(TimeLiteral(SplitDate(MakeDate(1899, 12, 30, 9, 5, 7))), "'9:05:07'");
  EXPECT_EQ(TimeText(SplitDate(MakeDate(1899, 12, 30, 23, 0, 0))), "23:00:00");
}

struct NumberCase {
  Variant value;
  const char* doub;
  const char* integ;
};

TEST(NumberLiterals, ArePlainDecimalTextWithPointAndBankersRoundingForWholeNumbers) {
  const NumberCase cases[] = {
      {Variant::Number(12.5), "12.5", "12"},
      {Variant::Number(13.5), "13.5", "14"},
      {Variant::Number(12.6), "12.6", "13"},
      {Variant::Number(12), "12", "12"},
      {Variant::Number(-0.25), "-0.25", "0"},
      {Variant::Text("12,5"), "12.5", "12"},
      {Variant::Text("1 234,5"), "1234.5", "1234"},
      {Variant::Number(1234567.89), "1234567.89", "1234568"},
  };
  for (const NumberCase& c : cases) {
    EXPECT_EQ(DoubleLiteral(c.value, Locale::Russian()).value_or("?"), c.doub) << c.doub;
    EXPECT_EQ(IntegerLiteral(c.value, Locale::Russian()).value_or("?"), c.integ) << c.integ;
  }
}

// Whole numbers take a shorter road to their text than fractions; both must
// give exactly the plain decimal text of the number.
TEST(NumberLiterals, WholeNumbersGiveTheSameTextAsEveryOtherNumber) {
  const double values[] = {0,
                           -0.0,
                           1,
                           -1,
                           7,
                           100,
                           65536,
                           -32768,
                           123456789,
                           999999999999999,  //
                           -99999999999999,
                           1e15,
                           1e16,
                           -1e20,
                           4.0e64,
                           2.5,
                           -1234.75};
  for (double x : values) {
    std::string expected = x == 0 ? "0" : PlainNumber(x);
    EXPECT_EQ(DoubleLiteral(Variant::Number(x), Locale::Russian()).value_or("?"), expected) << x;
    EXPECT_EQ(IntegerLiteral(Variant::Number(x), Locale::Russian()).value_or("?"),
              x == 0 ? "0" : PlainNumber(RoundHalfEven(x, 0)))
        << x;
  }
}

TEST(NumberLiterals, ShortDecimalsGiveTheSameTextAsTheFullConversion) {
  std::vector<double> values = {0.1,
                                0.2,
                                0.3,
                                -0.05,
                                1500.25,
                                1500.5,
                                0.0001,
                                0.00015,
                                12345678901.2345,
                                99999999999.9999,
                                1e-5,
                                1.0 / 3,
                                2.675,
                                123456789012345.6,
                                0.1 + 0.2,
                                1e14 + 0.5,
                                -7.125};
  for (long k = -20000; k <= 20000; k += 7) {
    values.push_back(static_cast<double>(k) / 100);
    values.push_back(static_cast<double>(k) / 10000);
    values.push_back(static_cast<double>(k) * 1234.5678);
  }
  for (double x : values)
    ASSERT_EQ(DoubleLiteral(Variant::Number(x), Locale::Russian()).value_or("?"),
              x == 0 ? "0" : PlainNumber(x))
        << x;
}

// The server reads a literal back as a double; the literal of the largest
// number is rounded to 15 digits, above the largest double, and refused.
TEST(NumberLiterals, ALiteralTheServerCannotReadBackHasNoValue) {
  const double largest = std::numeric_limits<double>::max();
  const std::string literal = DoubleLiteral(Variant::Number(largest), Locale::Russian()).value();
  EXPECT_FALSE(LiteralValue(literal)) << literal;
  EXPECT_FALSE(LiteralValue(IntegerLiteral(Variant::Number(-largest), Locale::Russian()).value()));
  EXPECT_EQ(LiteralValue("1.5E+308"), 1.5e308);
  EXPECT_EQ(LiteralValue("-0.25"), -0.25);
  EXPECT_EQ(LiteralValue("1E-320").value_or(1), 1e-320);  // tiny, read as such
  EXPECT_FALSE(LiteralValue("12abc"));
  EXPECT_FALSE(LiteralValue(""));
}

TEST(NumberLiterals, TextThatIsNoNumberHasNoLiteral) {
  EXPECT_FALSE(DoubleLiteral(Variant::Text("abc"), Locale::Russian()));
  EXPECT_FALSE(IntegerLiteral(Variant::Text("12,5 руб"), Locale::Russian()));
}

TEST(QuoteText, EveryApostropheSingleOrDoubledBecomesOneDoubleQuote) {
  EXPECT_EQ(QuoteText("O'Brien"), "O\"Brien");
  EXPECT_EQ(QuoteText("a''b"), "a\"b");
  EXPECT_EQ(QuoteText("'''"), "\"\"");
  EXPECT_EQ(QuoteText("Иванов'ъ'"), "Иванов\"ъ\"");
  EXPECT_EQ(QuoteText("back\\slash"), "back\\slash");
  EXPECT_EQ(QuoteText("\xA1'"), "\xA1\"");        // a stray byte before an apostrophe
  EXPECT_EQ(QuoteText("1\x98'\""), "1\x98\"\"");  // found by fuzzing cell typing
}

// Every text of up to six pieces from a small alphabet (apostrophes, a
// letter, a stray byte, a Cyrillic letter, a double quote) quotes as the
// classic replacement does; a million apostrophes take one pass.
TEST(QuoteText, GivesWhatReplacingGivesInOnePass) {
  const std::string alphabet[] = {"'", "a", "\xA1", "ж", "\""};
  std::vector<std::string> level = {""};
  for (int length = 1; length <= 6; ++length) {
    std::vector<std::string> longer;
    for (const std::string& t : level)
      for (const std::string& a : alphabet) longer.push_back(t + a);
    for (const std::string& t : longer) ASSERT_EQ(QuoteText(t), QuoteByReplacing(t)) << t;
    level = std::move(longer);
  }
  EXPECT_EQ(QuoteText(std::string(1000000, '\'')), std::string(500000, '"'));
}

TEST(UpperCase, CoversLatinAndCyrillicLetters) {
  EXPECT_EQ(UpperCase("'ivanov'"), "'IVANOV'");
  EXPECT_EQ(UpperCase("петров ёлкин"), "ПЕТРОВ ЁЛКИН");
  EXPECT_EQ(UpperCase("12-ab"), "12-AB");
}

TEST(Cp1251, KnowsWhichCharactersTheLedgerDatabaseCanHold) {
  EXPECT_TRUE(FitsCp1251("Оплата №5 — «аванс» €"));
  EXPECT_FALSE(FitsCp1251("日本"));
  EXPECT_FALSE(FitsCp1251("emoji 😀"));
  EXPECT_EQ(CharCount("Ёж"), 2);
  // Two-byte characters outside cp1251 after Cyrillic text, and a
  // three-byte character after two-byte ones.
  EXPECT_TRUE(FitsCp1251("платёж Ѓ ў"));
  EXPECT_FALSE(FitsCp1251("платёж ǅ"));
  EXPECT_FALSE(FitsCp1251("Ωмега"));
  EXPECT_FALSE(FitsCp1251("ЁЖ ⅓"));
  EXPECT_TRUE(FitsCp1251("ЁЖ ™ №"));
  // A broken sequence stands for its bytes, as the character count takes it.
  EXPECT_FALSE(FitsCp1251(std::string("ab\xD0", 3)));
}

TEST(CopyFileName, IsFolderCopyBookDateAndTime) {
  EXPECT_EQ(Two_Digits(7), "07");
  EXPECT_EQ(Two_Digits(0), "00");
  EXPECT_EQ(Two_Digits(12), "12");
  EXPECT_EQ(CopyFileName("/home/b/Kassa", "Book.xls", MakeDate(2010, 2, 3, 14, 5, 0)),
            "/home/b/Kassa/Copy_Book.xls_030210_1405.xls");
  EXPECT_EQ(CopyFileName("/x", "Kassa.xls", MakeDate(2011, 3, 1, 9, 7, 59)),
            "/x/Copy_Kassa.xls_010311_0907.xls");
}

TEST(ProgressValue, RoundsHalvesToEvenAndStaysWithinTheBar) {
  EXPECT_EQ(ProgressValue(0), 1);
  EXPECT_EQ(ProgressValue(0.5), 50);
  EXPECT_EQ(ProgressValue(0.125), 12);
  EXPECT_EQ(ProgressValue(0.135), 14);
  EXPECT_EQ(ProgressValue(1.2), 100);
  EXPECT_EQ(ProgressValue(-3), 1);
  // 0.29 x 100 is 28.999999999999996 in binary: the bar shows 29, not 28.
  EXPECT_EQ(ProgressValue(58.0 / 200.0), 29);
  // Every step of a store's bar (row r of last) is 100 r / last rounded
  // exactly, halves to even.
  for (long last : {3L, 7L, 200L, 1001L, 65536L})
    for (long r = 2; r <= last; ++r) {
      long q = 100 * r / last;
      const long rest = 100 * r % last;
      if (2 * rest > last || (2 * rest == last && q % 2 == 1)) ++q;
      const double f = static_cast<double>(r) / static_cast<double>(last);
      ASSERT_EQ(ProgressValue(f), q < 1 ? 1 : q > 100 ? 100 : q) << r << "/" << last;
    }
}

}  // namespace
}  // namespace kassa::sheetsync
