// The runner's scenario syntax and its cell report.
#include "apps/kassa-script/script.h"

#include <gtest/gtest.h>

#include "apps/kassa-script/cell_report.h"
#include "platform/ui/script/scripted.h"

namespace kassa::script {
namespace {

using Words = std::vector<std::string>;

Words Split(const std::string& line) {
  std::string error;
  auto w = SplitWords(line, error);
  EXPECT_TRUE(w.has_value()) << line << ": " << error;
  return w.value_or(Words{});
}

std::string SplitError(const std::string& line) {
  std::string error;
  EXPECT_FALSE(SplitWords(line, error).has_value()) << line;
  return error;
}

TEST(ScenarioSyntax, WordsAreSplitAtBlanksAndQuotedWordsKeepThem) {
  EXPECT_EQ(Split("db reset"), (Words{"db", "reset"}));
  EXPECT_EQ(Split("  \ttype  B2\t\"Иванов И.И.\"  "), (Words{"type", "B2", "Иванов И.И."}));
  EXPECT_EQ(Split("fill Input_Nal_Pay Sum_RUB \"\""),
            (Words{"fill", "Input_Nal_Pay", "Sum_RUB", ""}));
  EXPECT_EQ(Split("db exec \"insert into t values ('a#b')\""),
            (Words{"db", "exec", "insert into t values ('a#b')"}));
  EXPECT_EQ(Split("show A1#x"), (Words{"show", "A1#x"}));  // '#' only starts a comment line
  EXPECT_EQ(Split("paydesk\r"), (Words{"paydesk"}));       // CR LF files
}

TEST(ScenarioSyntax, EscapesInsideQuotes) {
  EXPECT_EQ(Split(R"(paste A2 "a\tb\nc\td")"), (Words{"paste", "A2", "a\tb\nc\td"}));
  EXPECT_EQ(Split(R"(type A1 "say \"hi\" \\ there")"),
            (Words{"type", "A1", "say \"hi\" \\ there"}));
  // Outside quotes a backslash is a plain character.
  EXPECT_EQ(Split(R"(open C:\x.xls)"), (Words{"open", "C:\\x.xls"}));
}

TEST(ScenarioSyntax, CommentsAndBlankLinesHoldNoWords) {
  EXPECT_TRUE(Split("").empty());
  EXPECT_TRUE(Split("   ").empty());
  EXPECT_TRUE(Split("# db reset").empty());
  EXPECT_TRUE(Split("   # indented comment \"unterminated").empty());
}

TEST(ScenarioSyntax, MalformedQuotesAreErrors) {
  EXPECT_EQ(SplitError(R"(type A1 "open)"), "unterminated quote");
  EXPECT_EQ(SplitError(R"(type A1 "ends in backslash\)"), "unterminated quote");
  EXPECT_EQ(SplitError(R"(type A1 "bad \x escape")"), "unknown escape \\x");
  EXPECT_EQ(SplitError(R"(type A1 "a"b)"), "text right after a closing quote");
  EXPECT_EQ(SplitError(R"(type A1 a"b")"), "a quote inside a word");
}

TEST(ScenarioSyntax, ScriptKeepsLineNumbersAndTextOfCommandLines) {
  Script s;
  std::string error;
  ASSERT_TRUE(s.Parse("# demo\n\ndb reset\r\n  answer OK  \n", error)) << error;
  const Line* first = s.Take();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->number, 3);
  EXPECT_EQ(first->text, "db reset");
  ASSERT_NE(s.Peek(), nullptr);
  EXPECT_EQ(s.Peek()->text, "answer OK");
  EXPECT_EQ(s.Take()->number, 4);
  EXPECT_TRUE(s.AtEnd());
  EXPECT_EQ(s.Take(), nullptr);
  EXPECT_EQ(s.Peek(), nullptr);
}

TEST(ScenarioSyntax, AScriptWithASyntaxErrorNamesTheLine) {
  Script s;
  std::string error;
  EXPECT_FALSE(s.Parse("db reset\n\ntype A1 \"x\n", error));
  EXPECT_EQ(error, "line 3: unterminated quote");
}

class CellReportTest : public ::testing::Test {
 protected:
  CellReportTest() { ui::Install(&backend); }
  ui::ScriptedBackend backend{1};
  host::Application app;
};

TEST_F(CellReportTest, ListsValuesAndMarksWithTheirTypes) {
  host::Workbook& wb = app.Add();
  host::Worksheet& sh = wb.ActiveSheet();
  sh.Cells(1, 1).Value(Variant::Text("ID_EXL"));
  sh.Cells(1, 1).Font().Bold(true);
  sh.Cells(2, 1).Value(Variant::Number(1234.5));
  sh.Cells(2, 2).Value(Variant::Date(MakeDate(2026, 12, 6)));
  sh.Cells(2, 3).Value(Variant::Date(0.5));
  sh.Cells(2, 4).Value(Variant::Text("Иванов \"И\""));
  sh.Cells(2, 4).Font().ColorIndex(host::kColorRed);
  sh.Cells(3, 2).Font().ColorIndex(host::kColorGrey);  // empty but marked
  sh.Cells(3, 3).Value(Variant::Error(2007));
  std::vector<std::string> lines = CellLines(sh);
  std::string name = sh.Name();
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "CELL " + name + "!A1 \"ID_EXL\" text bold",
                       "CELL " + name + "!A2 \"1234,5\" number",
                       "CELL " + name + "!B2 \"06.12.2026\" date",
                       "CELL " + name + "!C2 \"12:00:00\" time",
                       "CELL " + name + "!D2 \"Иванов \\\"И\\\"\" text red",
                       "CELL " + name + "!B3 \"\" empty grey",
                       "CELL " + name + "!C3 \"#DIV/0!\" error",
                   }));
  // A part of the sheet, and a whole column clipped to the used rows.
  EXPECT_EQ(CellLines(sh, 2, 2, 2, 3).size(), 2u);
  EXPECT_EQ(CellLines(sh, 1, 1, host::kMaxRows, 1).size(), 2u);
}

}  // namespace
}  // namespace kassa::script
