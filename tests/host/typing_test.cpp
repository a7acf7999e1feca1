// Typed text becomes a number, a date, a time or text under the locale.
#include <gtest/gtest.h>

#include "platform/host/host.h"

namespace kassa::host {
namespace {

struct Typed {
  const char* text;
  Variant::Type type;
  double number;  // number or serial
  const char* as_text = nullptr;
};

TEST(HostTyping, RussianLocale) {
  const Typed cases[] = {
      {"12,5", Variant::Type::Number, 12.5},
      {"-3", Variant::Type::Number, -3},
      {"1 234,5", Variant::Type::Number, 1234.5},
      {"1\xC2\xA0"
       "234",
       Variant::Type::Number, 1234},
      {"  42 ", Variant::Type::Number, 42},
      {"0,25", Variant::Type::Number, 0.25},
      {"1,5E3", Variant::Type::Number, 1500},
      {"05.01.2010", Variant::Type::Date, MakeDate(2010, 1, 5)},
      {"5.1.10", Variant::Type::Date, MakeDate(2010, 1, 5)},
      {"31.12.99", Variant::Type::Date, MakeDate(1999, 12, 31)},
      {"29.02.2024", Variant::Type::Date, MakeDate(2024, 2, 29)},
      {"9:05", Variant::Type::Date, MakeDate(1899, 12, 30, 9, 5, 0)},
      {"23:59:59", Variant::Type::Date, MakeDate(1899, 12, 30, 23, 59, 59)},
      {"07.12.2026 14:30", Variant::Type::Date, MakeDate(2026, 12, 7, 14, 30, 0)},
      // Not numbers, dates or times: text as typed.
      {"12.5", Variant::Type::Text, 0, "12.5"},
      {"1 23,5", Variant::Type::Text, 0, "1 23,5"},
      {"29.02.2023", Variant::Type::Text, 0, "29.02.2023"},
      {"32.01.2010", Variant::Type::Text, 0, "32.01.2010"},
      {"5.1", Variant::Type::Text, 0, "5.1"},
      {"24:00", Variant::Type::Text, 0, "24:00"},
      {"9:5", Variant::Type::Text, 0, "9:5"},
      {"1,2,3", Variant::Type::Text, 0, "1,2,3"},
      {"-", Variant::Type::Text, 0, "-"},
      {"Иванов", Variant::Type::Text, 0, "Иванов"},
      {"'0012", Variant::Type::Text, 0, "0012"},
      {"'", Variant::Type::Text, 0, ""},
  };
  for (const Typed& c : cases) {
    Variant v = ParseTyped(c.text, Locale::Russian());
    EXPECT_EQ(v.type(), c.type) << c.text;
    if (c.type == Variant::Type::Text)
      EXPECT_EQ(v.text(), c.as_text) << c.text;
    else
      EXPECT_NEAR(v.number(), c.number, 1e-9) << c.text;
  }
  EXPECT_TRUE(ParseTyped("", Locale::Russian()).IsEmpty());
}

TEST(HostTyping, PointLocale) {
  EXPECT_EQ(ParseTyped("12.5", Locale::Point()).type(), Variant::Type::Number);
  EXPECT_DOUBLE_EQ(ParseTyped("12.5", Locale::Point()).number(), 12.5);
  EXPECT_EQ(ParseTyped("12,5", Locale::Point()).type(), Variant::Type::Text);
  EXPECT_EQ(ParseTyped("05.01.2010", Locale::Point()).type(), Variant::Type::Date);
}

TEST(HostTyping, TypedValuesShowAsTheDatabaseLayerWritesThem) {
  testing::internal::CaptureStderr();
  Application app;
  Worksheet& ws = app.Add().Sheets(1);
  user::Type(ws, 1, 1, "5.1.10");
  user::Type(ws, 2, 1, "9:05");
  user::Type(ws, 3, 1, "1 234,50");
  EXPECT_EQ(ws.Cells(1, 1).Text(), "05.01.2010");
  EXPECT_EQ(ws.Cells(2, 1).Text(), "9:05:00");
  EXPECT_EQ(ws.Cells(3, 1).Text(), "1234,5");
  EXPECT_EQ(ws.FindCell(1, 1)->format.number_format, "dd.mm.yyyy");
  EXPECT_EQ(ws.FindCell(2, 1)->format.number_format, "h:mm:ss");
  testing::internal::GetCapturedStderr();
}

}  // namespace
}  // namespace kassa::host
