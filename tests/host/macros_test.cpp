// The workbook's macros: the event sink created by its ProgID when the file
// opens, sheet buttons calling their component's method with the sheet.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/component/component.h"
#include "platform/host/host.h"
#include "tests/host/recording.h"

namespace kassa::host {
namespace {

namespace fs = std::filesystem;

class HostMacros : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::path dir = fs::path(::testing::TempDir()) / "host_macros";
    fs::create_directories(dir);
    fs::path registry = dir / "components.conf";
    fs::remove(registry);
    setenv("KASSA_COMPONENTS", registry.c_str(), 1);
    std::string error;
    ASSERT_TRUE(component::Register("Hosttest.Events", KASSA_HOSTTEST_MODULE, error)) << error;
    ASSERT_TRUE(component::Register("Hosttest.Macros", KASSA_HOSTTEST_MODULE, error)) << error;
    path = (dir / "Macros.xls").string();
    Workbook& wb = app.Add();
    wb.Sheets(1).Name("Наличные");
    wb.AddSheet("Категории");
    wb.SetEventSinkProgId("Hosttest.Events");
    wb.Sheets(1).shapes().push_back(
        Shape{"B_Commom", "Меню", 0, 0, 60, 24, "Hosttest.Macros", "Action_Common"});
    wb.Sheets(2).shapes().push_back(
        Shape{"B_Category", "Меню", 0, 0, 60, 24, "Hosttest.Macros", "Action_Category"});
    wb.Sheets(2).shapes().push_back(
        Shape{"B_Fail", "Меню", 0, 0, 60, 24, "Hosttest.Macros", "Fail"});
    wb.Sheets(2).shapes().push_back(
        Shape{"B_Missing", "Меню", 0, 0, 60, 24, "Hosttest.Nothing", "X"});
    wb.SaveAs(path);
    wb.Close();
  }
  testing::RecordingUi ui;
  Application app;
  std::string path;
};

TEST_F(HostMacros, OpeningCreatesTheSinkAndRaisesOpen) {
  Workbook& wb = app.Open(path);
  ASSERT_NE(wb.EventSink(), nullptr);
  std::string first = wb.Sheets(1).Cells(1, 1).Text();
  EXPECT_EQ(first.rfind("opened ", 0), 0u);
  EXPECT_TRUE(ui.messages.empty());
  // Another open workbook from the same file gets its own sink.
  fs::copy_file(path, path + "2.xls", fs::copy_options::overwrite_existing);
  Workbook& other = app.Open(path + "2.xls");
  EXPECT_NE(other.EventSink(), wb.EventSink());
  EXPECT_NE(other.Sheets(1).Cells(1, 1).Text(), first);
}

TEST_F(HostMacros, ButtonsRunTheirMethodOnOneTargetPerWorkbook) {
  Workbook& wb = app.Open(path);
  user::Click(wb.Sheets(1), "B_Commom");
  std::string a = wb.Sheets(1).Cells(2, 1).Text();
  EXPECT_EQ(a.rfind("Action_Common ", 0), 0u);
  user::Click(wb.Sheets(2), "B_Category");
  std::string b = wb.Sheets(2).Cells(2, 1).Text();
  EXPECT_EQ(b.rfind("Action_Category ", 0), 0u);
  // The same target instance served both buttons.
  EXPECT_EQ(a.substr(a.find(' ')), b.substr(b.find(' ')));
  EXPECT_TRUE(ui.errors.empty());
  EXPECT_TRUE(ui.messages.empty());

  // A failing macro is reported with its error number; work goes on.
  user::Click(wb.Sheets(2), "B_Fail");
  ASSERT_EQ(ui.errors.size(), 1u);
  EXPECT_NE(ui.errors[0].find("1004"), std::string::npos);

  // A component that cannot be created is named in a message, each click.
  user::Click(wb.Sheets(2), "B_Missing");
  EXPECT_EQ(ui.messages,
            (std::vector<std::string>{"Компонент Hosttest.Nothing не может быть создан."}));

  // A closed workbook releases its targets; the next workbook makes its own.
  wb.Close();
  Workbook& again = app.Open(path);
  user::Click(again.Sheets(1), "B_Commom");
  std::string c = again.Sheets(1).Cells(2, 1).Text();
  EXPECT_NE(c.substr(c.find(' ')), a.substr(a.find(' ')));
}

}  // namespace
}  // namespace kassa::host
