// How the grid lays a value out by its number format. The expected texts are
// what LibreOffice Calc shows for the same value and format code in the
// Russian locale (its "as shown" export), so a workbook looks the same in
// both programs.
#include "apps/kassa-book/display_format.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/host/host.h"

namespace kassa::book {
namespace {

const std::string kNbsp = "\xC2\xA0";

struct Case {
  double value;
  const char* format;
  std::string shown;
};

TEST(DisplayFormat, NumbersAsTheSpreadsheetShowsThem) {
  const Case cases[] = {
      {18264.72, "#,##0.00", "18" + kNbsp + "264,72"},
      {9047, "#,##0.00", "9" + kNbsp + "047,00"},
      {-1234.5, "#,##0.00", "-1" + kNbsp + "234,50"},
      {1234567.891, "#,##0", "1" + kNbsp + "234" + kNbsp + "568"},
      {0.5, "0.00", "0,50"},
      {2.675, "0.00", "2,68"},   // half away from zero on the decimal digits
      {-0.001, "0.00", "0,00"},  // no minus before a zero
      {0.125, "0%", "13%"},
      {0.125, "0.00%", "12,50%"},
      {1186.41, "#,##0.00 [$₽-419];[RED]-#,##0.00 [$₽-419]", "1" + kNbsp + "186,41 ₽"},
      {-1186.41, "#,##0.00 [$₽-419];[RED]-#,##0.00 [$₽-419]", "-1" + kNbsp + "186,41 ₽"},
      {1186.41, "#,##0.00\\ \"₽\"", "1" + kNbsp + "186,41 ₽"},
      {1186.41, "#,##0.00 \"руб.\"", "1" + kNbsp + "186,41 руб."},
      {1186.41, "[$-419]#,##0.00", "1" + kNbsp + "186,41"},
      {12345.678, "0.00E+00", "1,23E+04"},
      {0.000123, "0.0E+00", "1,2E-04"},
      {0, "#,##0.00;-#,##0.00;\"—\"", "—"},
      {-1234.5, "#,##0.00;-#,##0.00", "-1" + kNbsp + "234,50"},
      {5, "00000", "00005"},
      {0.5, "#.00", ",50"},
      {12, "#,##0,", "0"},
      {1234567, "#,##0,,\"M\"", "1M"},
      {0.123, "?.??", " ,12"},
      {3.1, "0.0??", "3,1  "},
      {-5, "0;(0)", "(5)"},
      {1234.5, "General", "1234,5"},
      {1234.5, "#,##0.00_-", "1" + kNbsp + "234,50 "},
      {150, "[<100]0;[>=100]0.0", "150,0"},
      {50, "[<100]0;[>=100]0.0", "50"},
      {-7, "[<0]\"минус \"0;0", "минус 7"},
      {0.000123, "0.00E-00", "1,23E-04"},
      {1e20, "#,##0",
       "100" + kNbsp + "000" + kNbsp + "000" + kNbsp + "000" + kNbsp + "000" + kNbsp + "000" +
           kNbsp + "000"},
      {1234.5678, "0.0#", "1234,57"},
      {5, "0.##", "5"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DisplayText(Variant::Number(c.value), c.format), c.shown) << c.format;
}

TEST(DisplayFormat, DatesAndTimesWithRussianNames) {
  const double monday = MakeDate(2026, 12, 7);
  const Case cases[] = {
      {monday, "MMMM YYYY", "Декабрь 2026"},
      {monday, "[$-419]MMMM YYYY;@", "Декабрь 2026"},
      {monday, "DD.MM.YYYY", "07.12.2026"},
      {monday, "dd.mm.yyyy", "07.12.2026"},
      {monday, "D MMMM YYYY", "7 декабря 2026"},
      {monday, "DD MMM YYYY", "07 дек 2026"},
      {monday, "DDDD", "понедельник"},
      {monday, "DDD", "Пн"},
      {monday, "NN", "Пн"},
      {monday, "NNN", "понедельник"},
      {monday, "MMM", "дек"},
      {monday, "MMMMM", "Д"},
      {monday, "YYYY-MM-DD", "2026-12-07"},
      {monday, "[$-F800]DDDD, MMMM DD, YYYY", "понедельник, 07 декабря, 2026"},
      {monday, "[$-F400]HH:MM:SS", "00:00:00"},
      {monday + 0.5, "DD.MM.YY HH:MM", "07.12.26 12:00"},
      {monday + 0.5, "HH:MM:SS", "12:00:00"},
      {monday + 0.25, "D MMMM YYYY \"г.\" H:MM", "7 декабря 2026 г. 6:00"},
      {monday + 0.75, "H:MM AM/PM", "6:00 PM"},
      {0.75, "H:MM", "18:00"},
      {1.75, "[H]:MM", "42:00"},
      {0.5 + 5.25 / 86400, "hh:mm:ss.00", "12:00:05,25"},
      {-1, "DD.MM.YYYY", "###"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DisplayText(Variant::Number(c.value), c.format), c.shown) << c.format;
  // A date value is laid out the same way, and General shows it as typed.
  EXPECT_EQ(DisplayText(Variant::Date(monday), "MMMM YYYY"), "Декабрь 2026");
  EXPECT_EQ(DisplayText(Variant::Date(monday), ""), "07.12.2026");
  EXPECT_TRUE(IsDateFormat("[$-419]MMMM YYYY;@"));
  EXPECT_TRUE(IsDateFormat("h:mm:ss"));
  EXPECT_FALSE(IsDateFormat("#,##0.00 [$₽-419]"));
  EXPECT_FALSE(IsDateFormat(""));
}

TEST(DisplayFormat, TextsEmptyCellsAndBooleans) {
  EXPECT_EQ(DisplayText(Variant::Text("текст"), "@"), "текст");
  EXPECT_EQ(DisplayText(Variant::Text("текст"), "0.00;-0.00;0;\"[\" @ \"]\""), "[ текст ]");
  EXPECT_EQ(DisplayText(Variant::Text("текст"), "#,##0.00"), "текст");
  EXPECT_EQ(DisplayText(Variant(), "#,##0.00"), "");
  EXPECT_EQ(DisplayText(Variant::Boolean(true), "0.00"), "Истина");
  EXPECT_EQ(DisplayText(Variant::Number(7), "\"шт.\""), "шт.");
}

TEST(DisplayFormat, FixedFormatsShowWhatTheEngineReads) {
  // For the fixed formats the host itself knows, the grid shows the text the
  // engine compares with the database.
  host::Application app;
  host::Worksheet& ws = app.Add().Sheets(1);
  for (const char* format : {"0", "0.00", "0.000"})
    for (double v : {0.0, 1.5, -2.25, 1234.5678, 1e-3, 99999.995}) {
      host::Cell& cell = ws.CellAt(1, 1);
      cell.value = Variant::Number(v);
      cell.own_format = true;
      cell.format.number_format = format;
      EXPECT_EQ(DisplayText(cell.value, format), ws.Cells(1, 1).Text()) << format << " " << v;
    }
}

TEST(DisplayFormat, EditTextTypesBackToTheSameValue) {
  const Variant values[] = {
      Variant::Number(18264.72),
      Variant::Number(-0.1),
      Variant::Number(1e15),
      Variant::Number(1.5e-5),
      Variant::Date(MakeDate(2026, 12, 7)),
      Variant::Date(MakeDate(2026, 12, 7, 9, 5, 0)),
      Variant::Date(MakeDate(1899, 12, 30, 17, 30, 15)),
      Variant::Text("Хлеб и молоко"),
      Variant::Text("0012"),
      Variant::Text("07.12.2026"),
      Variant::Text("'в кавычке"),
      Variant::Text(" 5 "),
      Variant::Text(""),
  };
  for (const Variant& v : values) EXPECT_EQ(host::ParseTyped(EditText(v)), v) << EditText(v);
  EXPECT_EQ(EditText(Variant::Number(18264.72)), "18264,72");
  EXPECT_EQ(EditText(Variant::Text("0012")), "'0012");
  EXPECT_EQ(EditText(Variant()), "");
}

}  // namespace
}  // namespace kassa::book
