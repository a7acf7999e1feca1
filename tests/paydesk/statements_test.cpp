// What the entry program puts into SQL: upper case, literal safety, filter
// patterns, the cp1251 limits, and the statements of one stored entry.
#include <gtest/gtest.h>

#include <cmath>

#include "paydesk/entry_sql.h"
#include "paydesk/picker_kind.h"
#include "paydesk/sql_text.h"
#include "platform/variant/variant.h"

namespace kassa::paydesk {
namespace {

TEST(SqlText, UpperCaseCoversLatinAndCyrillic) {
  EXPECT_EQ(UpperCase("ivanov ИВ"), "IVANOV ИВ");
  EXPECT_EQ(UpperCase("иванов ёжик"), "ИВАНОВ ЁЖИК");
  EXPECT_EQ(UpperCase("їжак ґанок ўсё"), "ЇЖАК ҐАНОК ЎСЁ");
  EXPECT_EQ(UpperCase("1-2_3 %'\"\\"), "1-2_3 %'\"\\");
  EXPECT_EQ(UpperCase("\xff\xfe ok"), "\xff\xfe OK");  // malformed bytes kept
}

TEST(SqlText, LiteralsCannotBeLeft) {
  EXPECT_EQ(DoubledApostrophes("O'Brien''"), "O''Brien''''");
  EXPECT_EQ(ApostrophesAsQuotes("д'Артаньян's"), "д\"Артаньян\"s");
  bool escaped = true;
  EXPECT_EQ(LikeLiteral("РЕМОНТ", escaped), "РЕМОНТ");
  EXPECT_FALSE(escaped);
  EXPECT_EQ(LikeLiteral("50%_a\\b'c", escaped), "50\\%\\_a\\\\b''c");
  EXPECT_TRUE(escaped);
}

TEST(SqlText, Cp1251LimitsAndCharacterCount) {
  EXPECT_TRUE(FitsCp1251("Оплата № 5 — «аванс» €, ё, Ї, ў"));
  EXPECT_FALSE(FitsCp1251("emoji 😀"));
  EXPECT_FALSE(FitsCp1251("日本"));
  EXPECT_FALSE(FitsCp1251("bad \xc3"));
  EXPECT_EQ(CharacterCount("абв"), 3u);
  EXPECT_EQ(CharacterCount(std::string(1500, 'x') + "я"), 1501u);
}

TEST(EntryStatements, LookupsAreUpperCasedAndSafe) {
  EXPECT_EQ(MemberCountQuery("ivanov"),
            " SELECT count(*)  FROM OUR_MEMBERS Where Ucase (Name_Short) = 'IVANOV' ");
  EXPECT_EQ(CategoryCountQuery("хоз"),
            " SELECT count(*)  From CATEGORY_NAL  Where Ucase (NAME_ENCIPHER) = 'ХОЗ' ");
  EXPECT_EQ(RecipientIdQuery("o'neil"),
            " SELECT ID_RESPONSIBLE  FROM OUR_MEMBERS Where ucase(NAME_SHORT) = 'O''NEIL'");
  EXPECT_EQ(CategoryIdQuery("тр"),
            " SELECT ID_CATEGORY_PAYMENT  FROM CATEGORY_NAL Where ucase(NAME_ENCIPHER) = 'ТР'");
  EXPECT_EQ(BufferCountQuery(), " select Size_Nal_Buffer from Count_NAL_BUFFER");
}

TEST(EntryStatements, PiecesAndTheInsert) {
  EXPECT_EQ(DateLiteral(MakeDate(2024, 3, 9)), "'2024-03-09'");
  EXPECT_EQ(DateLiteral(MakeDate(1999, 12, 31, 23, 59, 59)), "'1999-12-31'");
  EXPECT_EQ(PurposeLiteral("it's"), "'it\"s'");
  EXPECT_EQ(AmountLiteral("1234,50", 1234.5), "1234.50");
  EXPECT_EQ(AmountLiteral("-7", -7), "-7");
  EXPECT_EQ(AmountLiteral("1 234,5", 1234.5), "1234.5");  // not plain: the number's own text
  EXPECT_EQ(AmountLiteral("1e3", 1000), "1000");
  // Long plain decimals are read in one pass (no recursion on the typed text).
  const std::string digits(40000, '5');
  EXPECT_EQ(AmountLiteral("1," + digits, 1.5), "1." + digits);
  EXPECT_EQ(AmountLiteral("1," + digits + "x", 1.5), "1.5");
  EXPECT_EQ(AmountLiteral("-", 0), "0");
  EXPECT_EQ(AmountLiteral("5,", 5), "5");
  EXPECT_EQ(AmountLiteral(",5", 0.5), "0.5");
  EntryPieces p{"4", "'2024-03-09'", "2", "'Аванс'", "1234.50", "1"};
  EXPECT_EQ(InsertStatement(p),
            "Insert Into NAL_BUFFER  (ID_Num, DATE_ON, RECIPIENT_ID, Establish_Payment,  Sum_RUB, "
            "CATEGORY_PAYMENT_ID )  Values (4, '2024-03-09', 2, 'Аванс', 1234.50, 1 ) ");
}

TEST(EntryStatements, WholeNumbers) {
  EXPECT_EQ(WholeNumber("3"), 3);
  EXPECT_EQ(WholeNumber("0"), 0);
  EXPECT_EQ(WholeNumber(""), std::nullopt);
  EXPECT_EQ(WholeNumber("Null"), std::nullopt);
  EXPECT_EQ(WholeNumber("3,5"), std::nullopt);
}

TEST(PickerSources, FiltersMatchLiterally) {
  EXPECT_EQ(*FilterSource(CategoryPicker(), ""), CategoryPicker().load_source);
  EXPECT_EQ(*FilterSource(CategoryPicker(), "рем"),
            "   Select NAME_ENCIPHER, DESCRIPTION_PAYMENT From CATEGORY_NAL where "
            " ucase(DESCRIPTION_PAYMENT) like '%РЕМ%' order by NAME_ENCIPHER ");
  EXPECT_EQ(*FilterSource(CategoryPicker(), "5%'"),
            "   Select NAME_ENCIPHER, DESCRIPTION_PAYMENT From CATEGORY_NAL where "
            " ucase(DESCRIPTION_PAYMENT) like '%5\\%''%' ESCAPE '\\' order by NAME_ENCIPHER ");
  const std::string member = *FilterSource(MemberPicker(), "петр");
  EXPECT_NE(member.find("LIKE '%ПЕТР%' ORDER BY Last_Name ;"), std::string::npos);
  EXPECT_EQ(member.rfind("SELECT Name_Short,CONCAT(", 0), 0u);
  EXPECT_EQ(FilterSource(MemberPicker(), "😀"), std::nullopt);
}

}  // namespace
}  // namespace kassa::paydesk
