// The entry program run on the scripted user interface against the test
// server: its windows, the pickers' lists, missing libraries, and clicks
// ("Ввести" again, "Выход") while an entry is being stored.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>

#include "paydesk/paydesk.h"
#include "paydesk/texts.h"
#include "platform/ui/script/scripted.h"
#include "platform/variant/variant.h"
#include "tests/support/testsupport.h"

namespace kassa::paydesk {
namespace {

namespace ts = kassa::testsupport;
using Lines = std::vector<std::string>;

class PaydeskRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ts::HaveTestEnv()) << "run through ctest (fixture db)";
    ui::Install(&ui);
    ui.action_source = [this] {
      if (actions.empty()) return false;
      auto action = std::move(actions.front());
      actions.pop_front();
      action();
      return true;
    };
    ASSERT_TRUE(ts::RootExec("DELETE FROM NAL_BUFFER"));
    ASSERT_TRUE(ts::RootExec("DELETE FROM OUR_MEMBERS"));
    ASSERT_TRUE(ts::RootExec("DELETE FROM CATEGORY_NAL"));
    ASSERT_TRUE(ts::RootExec(
        "INSERT INTO OUR_MEMBERS VALUES (1, 'Иванов', 'Иванов', 'Петр', 'Сергеевич', 'Кассир'), "
        "(2, 'Петрова', 'Петрова', 'Анна', NULL, 'Бухгалтер'), (3, 'Smith', 'Smith', 'John', "
        "NULL, NULL)"));
    ASSERT_TRUE(ts::RootExec(
        "INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', 'Хозяйственные расходы'), (2, 'ТР', "
        "'Транспорт'), (3, 'РЕМ', 'Ремонт 100%'), (4, 'БЕЗ', NULL)"));
  }
  void TearDown() override {
    if (!saved_registry.empty()) setenv("KASSA_COMPONENTS", saved_registry.c_str(), 1);
    if (!temp_registry.empty()) std::filesystem::remove(temp_registry);
    ui::Install(nullptr);
  }

  // What the user does next, in order, whenever the program waits.
  void Then(std::function<void()> action) { actions.push_back(std::move(action)); }
  static ui::Form& Shown(const std::string& name) {
    ui::Form* f = ui::FindForm(name);
    if (!f) throw std::runtime_error("no form " + name);
    EXPECT_TRUE(f->visible()) << name;
    return *f;
  }
  static void Fill(const std::string& form, const std::string& control, const std::string& text) {
    EXPECT_TRUE(ui::ActFill(Shown(form), control, text)) << control;
  }
  static void Press(const std::string& form, const std::string& button) {
    EXPECT_TRUE(ui::ActPress(Shown(form), button)) << button;
  }
  // Column `column` of the grid's rows.
  static Lines Column(const std::string& form, const std::string& grid, size_t column = 0) {
    Lines out;
    for (const auto& row : Shown(form).control(grid).rows) out.push_back(row.at(column));
    return out;
  }
  Lines Messages() const {
    Lines out;
    for (const auto& m : ui.messages()) out.push_back(m.text);
    return out;
  }
  // A registry holding only the given ProgIDs of the test environment's.
  void RegistryWith(const Lines& progids) {
    saved_registry = std::getenv("KASSA_COMPONENTS");
    std::ifstream in(saved_registry);
    temp_registry = saved_registry + ".paydesk-test";
    std::ofstream out(temp_registry);
    for (std::string line; std::getline(in, line);)
      for (const auto& p : progids)
        if (line.rfind(p + "=", 0) == 0) out << line << "\n";
    setenv("KASSA_COMPONENTS", temp_registry.c_str(), 1);
  }

  const double start = MakeDate(2024, 6, 15, 10, 30, 0);
  ui::ScriptedBackend ui{start};
  std::deque<std::function<void()>> actions;
  std::string saved_registry, temp_registry;
};

TEST_F(PaydeskRunTest, TheMainWindowAsItOpens) {
  Then([&] {
    ui::Form& f = Shown(texts::kMainForm);
    EXPECT_EQ(f.caption(), "Форма ввода Kassa");
    EXPECT_EQ(f.control("Date_On").kind, ui::ControlKind::DatePicker);
    EXPECT_EQ(f.control("Date_On").date, std::floor(start));  // today
    EXPECT_EQ(f.control("Date_On").format, "dd.MM.yyyy");  // the Russian short date
    const Lines labels{"Дата", "Сотрудник", "Категория", "Назначение", "Сумма руб. "};
    Lines shown;
    for (const auto& c : f.controls())
      if (c.kind == ui::ControlKind::Label) shown.push_back(c.text);
    EXPECT_EQ(shown, labels);
    for (const char* box : {"Recipient", "Category_Payment", "Establish_Payment", "Sum_RUB"}) {
      EXPECT_EQ(f.control(box).kind, ui::ControlKind::TextBox);
      EXPECT_EQ(f.control(box).text, "");
    }
    EXPECT_EQ(f.control("List_Members").text, "?");
    EXPECT_EQ(f.control("List_Categories").text, "?");
    EXPECT_EQ(f.control("Button_Input_Nal").text, "Ввести");
    EXPECT_EQ(f.control("Button_Exit").text, "Выход");
    for (const auto& c : f.controls()) {  // everything inside the window
      EXPECT_GE(c.left, 0);
      EXPECT_LE(c.left + c.width, f.width()) << c.name;
      EXPECT_LE(c.top + c.height, f.height()) << c.name;
    }
    ui::ActDismiss(f);  // closing the window ends the program
  });
  EXPECT_EQ(RunPaydesk(), 0);
  EXPECT_TRUE(actions.empty());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PaydeskRunTest, TheEmployeePickerListsFiltersAndClears) {
  const std::string form = texts::kMemberForm, grid = "Grid_List_Member",
                    filter = "Find_Input_Member";
  Then([&] { Press(texts::kMainForm, "List_Members"); });
  Then([&] {
    ui::Form& f = Shown(form);
    EXPECT_EQ(f.caption(), "Список");
    const auto& columns = f.control(grid).columns;
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0].caption, "Сокр.");
    EXPECT_EQ(columns[1].caption, "            ФИО");
    EXPECT_EQ(columns[2].caption, " Должность");
    EXPECT_EQ(f.control("Add_Button_Member").text, "Добавить");
    // Ordered by last name; the full name leaves out what is NULL.
    EXPECT_EQ(Column(form, grid), (Lines{"Smith", "Иванов", "Петрова"}));
    EXPECT_EQ(Column(form, grid, 1),
              (Lines{"Smith John", "Иванов Петр Сергеевич", "Петрова Анна"}));
    EXPECT_EQ(Column(form, grid, 2), (Lines{"", "Кассир", "Бухгалтер"}));
    Fill(form, filter, "анна");  // by the first name alone
    EXPECT_EQ(Column(form, grid), (Lines{"Петрова"}));
    Fill(form, filter, "ПЕТР");
    EXPECT_EQ(Column(form, grid), (Lines{"Иванов", "Петрова"}));
    Fill(form, filter, "");
    EXPECT_EQ(Column(form, grid), (Lines{"Smith", "Иванов", "Петрова"}));
    Fill(form, filter, "петр");
    EXPECT_TRUE(ui::ActChoose(f, grid, 1));  // chosen under the filter
    EXPECT_FALSE(f.visible());
    EXPECT_EQ(f.control(filter).text, "");
    EXPECT_EQ(Shown(texts::kMainForm).control("Recipient").text, "Петрова");
  });
  Then([&] { Press(texts::kMainForm, "List_Members"); });
  Then([&] {
    EXPECT_EQ(Shown(form).control(filter).text, "");  // shown again: unfiltered
    EXPECT_EQ(Column(form, grid), (Lines{"Smith", "Иванов", "Петрова"}));
    ui::ActDismiss(Shown(form));  // closed by its frame: loaded anew next time
    ASSERT_TRUE(
        ts::RootExec("INSERT INTO OUR_MEMBERS (ID_RESPONSIBLE, NAME_SHORT, LAST_NAME) "
                     "VALUES (4, 'Алексеев', 'Алексеев')"));
    Press(texts::kMainForm, "List_Members");
    EXPECT_EQ(Column(form, grid), (Lines{"Smith", "Алексеев", "Иванов", "Петрова"}));
    Press(texts::kMainForm, "Button_Exit");
  });
  EXPECT_EQ(RunPaydesk(), 0);
  EXPECT_TRUE(actions.empty());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PaydeskRunTest, TheCategoryFilterMatchesTheTextLiterally) {
  const std::string form = texts::kCategoryForm, grid = "Grid_List_Category",
                    filter = "Find_Input_Category";
  Then([&] { Press(texts::kMainForm, "List_Categories"); });
  Then([&] {
    ui::Form& f = Shown(form);
    ASSERT_EQ(f.control(grid).columns.size(), 2u);
    EXPECT_EQ(f.control(grid).columns[0].caption, "Катег.");
    EXPECT_EQ(f.control(grid).columns[1].caption, "  Описание");
    EXPECT_EQ(Column(form, grid), (Lines{"БЕЗ", "РЕМ", "ТР", "ХОЗ"}));
    Fill(form, filter, "расх");
    EXPECT_EQ(Column(form, grid), (Lines{"ХОЗ"}));
    Fill(form, filter, "_");  // not a wildcard
    EXPECT_TRUE(Column(form, grid).empty());
    Fill(form, filter, "0%");
    EXPECT_EQ(Column(form, grid), (Lines{"РЕМ"}));
    Fill(form, filter, "'");
    EXPECT_TRUE(Column(form, grid).empty());
    Fill(form, filter, "😀");  // no row can hold it
    EXPECT_TRUE(Column(form, grid).empty());
    Fill(form, filter, "");  // every category again, the one without description too
    EXPECT_EQ(Column(form, grid), (Lines{"БЕЗ", "РЕМ", "ТР", "ХОЗ"}));
    EXPECT_TRUE(ui::ActChoose(f, grid, 2));
    EXPECT_EQ(Shown(texts::kMainForm).control("Category_Payment").text, "ТР");
    Press(texts::kMainForm, "Button_Exit");
  });
  EXPECT_EQ(RunPaydesk(), 0);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PaydeskRunTest, ChoosingARowReadsTheListAgainOnlyWhenTheFilterHeldText) {
  const std::string form = texts::kCategoryForm, grid = "Grid_List_Category",
                    filter = "Find_Input_Category";
  const auto reads = [this] {
    return std::count_if(ui.transcript().begin(), ui.transcript().end(),
                         [](const std::string& l) { return l.rfind("SQL ", 0) == 0; });
  };
  ui.SetTrace(true);
  Then([&] { Press(texts::kMainForm, "List_Categories"); });
  Then([&] {
    EXPECT_EQ(reads(), 1);  // loaded on the first showing
    EXPECT_TRUE(ui::ActChoose(Shown(form), grid, 0));
    EXPECT_EQ(reads(), 1);  // the filter was empty already: nothing read again
    EXPECT_EQ(Shown(texts::kMainForm).control("Category_Payment").text, "БЕЗ");
    Press(texts::kMainForm, "List_Categories");  // shown again, not loaded again
    EXPECT_EQ(reads(), 1);
    Fill(form, filter, "транс");
    EXPECT_EQ(reads(), 2);
    EXPECT_TRUE(ui::ActChoose(Shown(form), grid, 0));
    EXPECT_EQ(reads(), 3);  // the filter emptied: the whole list read again
    EXPECT_EQ(Shown(texts::kMainForm).control("Category_Payment").text, "ТР");
    EXPECT_EQ(ui::FindForm(form)->control(grid).rows.size(), 4u);
    Press(texts::kMainForm, "Button_Exit");
  });
  EXPECT_EQ(RunPaydesk(), 0);
  EXPECT_TRUE(actions.empty());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PaydeskRunTest, ASecondClickWhileStoringIsRefused) {
  ASSERT_TRUE(ts::RootExec("INSERT INTO NAL_BUFFER (ID_NUM) VALUES (1), (3)"));  // 3 is taken
  bool clicked = false;
  ui.answer_source = [&]() -> std::optional<ui::Answer> {
    if (!clicked) {  // at the first message of the store: the user clicks again
      clicked = true;
      ui.QueueAnswer(ui::Answer::OK);
      Press(texts::kMainForm, "Button_Input_Nal");
    }
    return ui::Answer::OK;
  };
  Then([&] {
    Fill(texts::kMainForm, "Recipient", "Smith");
    Fill(texts::kMainForm, "Category_Payment", "ХОЗ");
    Fill(texts::kMainForm, "Establish_Payment", "Вода");
    Fill(texts::kMainForm, "Sum_RUB", "5");
    Press(texts::kMainForm, "Button_Input_Nal");
  });
  EXPECT_EQ(RunPaydesk(), 0);
  const Lines shown = Messages();
  EXPECT_EQ(std::count(shown.begin(), shown.end(), texts::kStoreRunning), 1);
  EXPECT_EQ(shown.back(), texts::kNotStored);
  EXPECT_EQ(ts::RootQuery("SELECT ID_NUM FROM NAL_BUFFER ORDER BY 1"),
            (std::vector<Lines>{{"1"}, {"3"}}));
}

TEST_F(PaydeskRunTest, ExitClickedWhileTheDatabaseIsBusyWritesNothing) {
  bool pressed = false;
  ui.on_line = [&](const std::string& line) {
    // "Выход" clicked while the wait message of the first check is up.
    if (!pressed && line.rfind("WAIT \"", 0) == 0) {
      pressed = true;
      Press(texts::kMainForm, "Button_Exit");
    }
  };
  Then([&] {
    Fill(texts::kMainForm, "Recipient", "Smith");
    Fill(texts::kMainForm, "Category_Payment", "ХОЗ");
    Fill(texts::kMainForm, "Establish_Payment", "Вода");
    Fill(texts::kMainForm, "Sum_RUB", "5");
    Press(texts::kMainForm, "Button_Input_Nal");
  });
  EXPECT_EQ(RunPaydesk(), 0);
  EXPECT_TRUE(pressed);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(ts::RootQuery("SELECT COUNT(*) FROM NAL_BUFFER"), (std::vector<Lines>{{"0"}}));
}

TEST_F(PaydeskRunTest, APurposeOf1500CyrillicLettersIsStoredWhole) {
  std::string purpose;
  for (int i = 0; i < 1500; ++i) purpose += "я";
  Then([&] {
    Fill(texts::kMainForm, "Recipient", "Петрова");
    Fill(texts::kMainForm, "Category_Payment", "ТР");
    Fill(texts::kMainForm, "Establish_Payment", purpose);
    Fill(texts::kMainForm, "Sum_RUB", "0,01");
    Press(texts::kMainForm, "Button_Input_Nal");
  });
  ui.QueueAnswer(ui::Answer::OK);
  EXPECT_EQ(RunPaydesk(), 0);
  EXPECT_EQ(Messages(), (Lines{texts::kStored}));
  EXPECT_EQ(ts::RootQuery("SELECT ID_NUM, DATE_ON, RECIPIENT_ID, CHAR_LENGTH(ESTABLISH_PAYMENT), "
                          "ESTABLISH_PAYMENT = CONCAT('я', REPEAT('я', 1499)), SUM_RUB, "
                          "CATEGORY_PAYMENT_ID FROM NAL_BUFFER"),
            (std::vector<Lines>{{"1", "2024-06-15", "2", "1500", "1", "0.01", "2"}}));
}

// Amounts far longer than any sum of money, and names far longer than the
// database keeps, are refused with the typed texts kept; the program neither
// crashes nor sends them to the server.
TEST_F(PaydeskRunTest, OverlongInputIsRefusedWithTheTextsKept) {
  const std::string amount = "1," + std::string(40000, '5');
  const std::string name = "Иванов" + std::string(100000, ' ') + "x";
  Then([&] {
    Fill(texts::kMainForm, "Recipient", "Иванов");
    Fill(texts::kMainForm, "Category_Payment", "ХОЗ");
    Fill(texts::kMainForm, "Establish_Payment", "Вода");
    Fill(texts::kMainForm, "Sum_RUB", amount);
    Press(texts::kMainForm, "Button_Input_Nal");
  });
  Then([&] {
    const ui::Form& f = Shown(texts::kMainForm);
    EXPECT_EQ(f.control("Sum_RUB").text, amount);
    EXPECT_EQ(f.control("Recipient").text, "Иванов");
    EXPECT_EQ(f.control("Establish_Payment").text, "Вода");
    Fill(texts::kMainForm, "Sum_RUB", "-" + std::string(64, '7'));
    Press(texts::kMainForm, "Button_Input_Nal");
  });
  Then([&] {
    Fill(texts::kMainForm, "Sum_RUB", "12,5");
    Fill(texts::kMainForm, "Recipient", name);
    ui.SetTrace(true);
    Press(texts::kMainForm, "Button_Input_Nal");
  });
  Then([&] {
    EXPECT_EQ(Shown(texts::kMainForm).control("Recipient").text, name);
    Press(texts::kMainForm, "Button_Exit");
  });
  ui.QueueAnswer(ui::Answer::OK);
  ui.QueueAnswer(ui::Answer::OK);
  ui.QueueAnswer(ui::Answer::OK);
  EXPECT_EQ(RunPaydesk(), 0);
  EXPECT_EQ(Messages(),
            (Lines{texts::kBadSum, texts::kBadSum,
                   texts::kRecipientMissingPrefix + name + texts::kRecipientMissingSuffix}));
  // The overlong name never went to the server.
  for (const std::string& line : ui.transcript())
    EXPECT_EQ(line.find("SQL "), std::string::npos) << line.substr(0, 200);
  EXPECT_EQ(ts::RootQuery("SELECT COUNT(*) FROM NAL_BUFFER"), (std::vector<Lines>{{"0"}}));
}

TEST_F(PaydeskRunTest, WithoutTheDatabaseLibraryTheProgramEnds) {
  RegistryWith({"Waitbox.clsMsgBox", "Ledgertools.Special_Function"});
  Then([&] {
    Fill(texts::kMainForm, "Recipient", "Smith");
    Fill(texts::kMainForm, "Category_Payment", "ХОЗ");
    Press(texts::kMainForm, "Button_Input_Nal");
  });
  Then([&] { ADD_FAILURE() << "the program went on"; });
  ui.QueueAnswer(ui::Answer::OK);
  EXPECT_EQ(RunPaydesk(), 0);
  EXPECT_EQ(Messages(), (Lines{"Библиотека Dbgate не установлена"}));
  EXPECT_EQ(actions.size(), 1u);

  actions.clear();
  ui.ClearTranscript();
  Then([&] { Press(texts::kMainForm, "List_Categories"); });
  ui.QueueAnswer(ui::Answer::OK);
  EXPECT_EQ(RunPaydesk(), 0);
  EXPECT_EQ(Messages(), (Lines{"Библиотека Dbgate не установлена"}));
  EXPECT_FALSE(ui::FindForm(texts::kCategoryForm) && ui::FindForm(texts::kCategoryForm)->visible());
}

TEST_F(PaydeskRunTest, WithoutTheLedgerLibraryAddingEndsTheProgram) {
  RegistryWith({"Waitbox.clsMsgBox", "Dbgate.ADB_cls"});
  Then([&] { Press(texts::kMainForm, "List_Members"); });
  Then([&] { Press(texts::kMemberForm, "Add_Button_Member"); });
  Then([&] { ADD_FAILURE() << "the program went on"; });
  ui.QueueAnswer(ui::Answer::OK);
  EXPECT_EQ(RunPaydesk(), 0);
  EXPECT_EQ(Messages(), (Lines{"Библиотека Ledgertools не загружена."}));
  EXPECT_EQ(actions.size(), 1u);
}

}  // namespace
}  // namespace kassa::paydesk
