// Events: order, re-entrancy of activation and of the window close from
// inside before-close, change events of user actions, errors that escape.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/host/host.h"
#include "tests/host/recording.h"

namespace kassa::host {
namespace {

using Log = std::vector<std::string>;

class HostEvents : public ::testing::Test {
 protected:
  HostEvents() {
    wb.Sheets(1).Name("A");
    wb.AddSheet("B");
    wb.AddSheet("C");
    wb.SetEventSink(sink);
  }
  testing::RecordingUi ui;
  Application app;
  Workbook& wb = app.Add();
  std::shared_ptr<testing::RecordingSink> sink = std::make_shared<testing::RecordingSink>();
};

TEST_F(HostEvents, ActivateRaisesDeactivateThenActivate) {
  user::Activate(wb.Sheets("B"));
  EXPECT_EQ(sink->log, (Log{"Deactivate", "Activate B"}));
  EXPECT_EQ(wb.ActiveSheet().Name(), "B");
  sink->log.clear();
  user::Activate(wb.Sheets("B"));  // the active sheet: nothing
  EXPECT_TRUE(sink->log.empty());
}

TEST_F(HostEvents, ActivationFromInsideAnEventReentersTheSink) {
  // The engine activates sheets from inside its own events.
  sink->actions["Activate B"] = [&] {
    wb.Sheets("C").Activate();
    EXPECT_EQ(wb.ActiveSheet().Name(), "C");
    return 0;
  };
  user::Activate(wb.Sheets("B"));
  EXPECT_EQ(sink->log, (Log{"Deactivate", "Activate B", "Deactivate", "Activate C"}));
  EXPECT_EQ(wb.ActiveSheet().Name(), "C");
}

TEST_F(HostEvents, WindowCloseFromInsideBeforeCloseReentersAndSaves) {
  std::string dir = ::testing::TempDir() + "host_events";
  std::filesystem::create_directories(dir);
  wb.SaveAs(dir + "/events_close.xlsx");
  wb.Sheets(1).Cells(2, 1).Value(Variant::Number(1));  // a change to save
  ui.notes.clear();
  sink->actions["BeforeClose"] = [&] {
    // The engine closes the window itself from inside its before-close.
    sink->cancel_close = false;
    app.ActiveWindowClose(true);
    EXPECT_TRUE(wb.closed());
    return 0;
  };
  user::Close(wb);
  EXPECT_EQ(sink->log, (Log{"BeforeClose", "BeforeClose", "BeforeSave"}));
  EXPECT_TRUE(wb.closed());
  EXPECT_EQ(ui.notes, (Log{"FILE " + dir + "/events_close.xlsx"}));
  EXPECT_TRUE(ui.errors.empty());
  // The sink was released with the workbook once the event was over.
  EXPECT_EQ(sink.use_count(), 1);
  EXPECT_THROW(app.ActiveWorkbook(), HostError);
}

TEST_F(HostEvents, CancelledCloseKeepsTheWorkbookAndAsksAgain) {
  sink->cancel_close = true;
  user::Close(wb);
  EXPECT_FALSE(wb.closed());
  user::Close(wb);
  EXPECT_EQ(sink->log, (Log{"BeforeClose", "BeforeClose"}));
  sink->cancel_close = false;
  user::Close(wb);
  EXPECT_TRUE(wb.closed());
}

TEST_F(HostEvents, WindowCloseWithoutSavingRaisesNoSave) {
  wb.Sheets(1).Cells(1, 1).Value(Variant::Number(1));
  app.ActiveWindowClose(false);
  EXPECT_EQ(sink->log, (Log{"BeforeClose"}));
  EXPECT_TRUE(wb.closed());
}

TEST_F(HostEvents, SaveRaisesBeforeSaveAndHonoursCancelAndReadOnly) {
  std::string path = ::testing::TempDir() + "events_save.xlsx";
  wb.SaveAs(path);
  ui.notes.clear();
  sink->cancel_save = true;
  user::Save(wb);
  EXPECT_TRUE(ui.notes.empty());
  sink->cancel_save = false;
  wb.SetReadOnly(true);
  user::Save(wb);
  EXPECT_TRUE(ui.notes.empty());
  wb.SetReadOnly(false);
  user::Save(wb);
  EXPECT_EQ(ui.notes, (Log{"FILE " + path}));
  EXPECT_EQ(sink->log, (Log{"BeforeSave", "BeforeSave", "BeforeSave"}));
}

TEST_F(HostEvents, UserEditsRaiseOneChangeEventEach) {
  Worksheet& a = wb.Sheets("A");
  user::Type(a, 7, 2, "12,5");
  user::Paste(a, 3, 1, "1\t2\t3\n4\t5");
  user::Clear(a, 2, 1, 9, 3);
  EXPECT_EQ(sink->log, (Log{"Change A!B7", "Change A!A3:C4", "Change A!A2:C9"}));
  EXPECT_TRUE(a.Cells(3, 1).Value().IsEmpty());
  user::Paste(a, 3, 1, "1\t2\t3\n4\t5");
  EXPECT_EQ(a.Cells(4, 2).Text(), "5");
  EXPECT_TRUE(a.Cells(4, 3).Value().IsEmpty());
  EXPECT_EQ(a.Selection().Address(), "A3:C4");
  user::Type(a, 8, 1, "");
  EXPECT_EQ(sink->log.back(), "Change A!A8");
}

TEST_F(HostEvents, ModelWritesRaiseNoEvents) {
  Worksheet& a = wb.Sheets("A");
  a.Cells(1, 1).Value(Variant::Number(3));
  a.Range("A1:B2").Value(Variant());
  a.Columns(1).Font().Bold(true);
  EXPECT_TRUE(sink->log.empty());
}

TEST_F(HostEvents, EscapingErrorsAreReportedAndWorkGoesOn) {
  sink->actions["Change A!A1"] = [] { return 1004; };
  user::Type(wb.Sheets("A"), 1, 1, "x");
  sink->actions["Change A!A2"] = [&]() -> int {
    wb.Sheets(9);
    return 0;
  };
  user::Type(wb.Sheets("A"), 2, 1, "y");
  ASSERT_EQ(ui.errors.size(), 2u);
  EXPECT_NE(ui.errors[0].find("1004"), std::string::npos);
  EXPECT_NE(ui.errors[1].find("9"), std::string::npos);
  // The values were entered all the same.
  EXPECT_EQ(wb.Sheets("A").Cells(2, 1).Text(), "y");
  // A user action that fails by itself is shown too.
  user::Click(wb.Sheets("A"), "No_Such_Button");
  EXPECT_EQ(ui.errors.size(), 3u);
  // Any other exception escaping a sink is shown and does not end the program.
  sink->actions["Change A!A3"] = []() -> int { throw std::out_of_range("bad index"); };
  user::Type(wb.Sheets("A"), 3, 1, "z");
  ASSERT_EQ(ui.errors.size(), 4u);
  EXPECT_NE(ui.errors[3].find("bad index"), std::string::npos);
}

TEST_F(HostEvents, ClosedWorkbookObjectsStayValid) {
  Workbook* closed = &wb;
  sink->actions["BeforeClose"] = [&] {
    app.ActiveWindowClose(false);
    // Still readable from inside the event that closed it.
    EXPECT_EQ(closed->Sheets(1).Name(), "A");
    return 0;
  };
  closed->Sheets(1).Cells(2, 2).Value(Variant::Number(5));
  user::Close(wb);
  EXPECT_TRUE(closed->closed());
  EXPECT_EQ(closed->SheetsCount(), 3);
  EXPECT_EQ(closed->Sheets(1).Cells(2, 2).Text(), "5");
  EXPECT_TRUE(app.Workbooks().empty());
  // The next workbook releases the contents; the object stays valid.
  app.Add();
  EXPECT_EQ(app.Workbooks().size(), 1u);
  EXPECT_EQ(closed->Sheets(1).Name(), "A");
  EXPECT_TRUE(closed->Sheets(1).Cells(2, 2).Value().IsEmpty());
}

// As in a spreadsheet program, closing a workbook brings back the one that
// was active before it, not the one opened last.
TEST_F(HostEvents, ClosingAWorkbookActivatesTheOneActiveBeforeIt) {
  Workbook& second = app.Add();
  user::Activate(wb.Sheets("B"));  // the first workbook is active again
  ASSERT_EQ(&app.ActiveWorkbook(), &wb);
  wb.Sheets(1).Copy();  // a new workbook, active
  Workbook& copy = app.ActiveWorkbook();
  copy.Close();
  EXPECT_EQ(&app.ActiveWorkbook(), &wb);
  second.Activate();
  EXPECT_TRUE(sink->log == Log({"Deactivate", "Activate B"}));  // no sheet events
  wb.Close();
  EXPECT_EQ(&app.ActiveWorkbook(), &second);
  EXPECT_THROW(wb.Activate(), HostError);
  second.Close();
  EXPECT_THROW(app.ActiveWorkbook(), HostError);
}

TEST_F(HostEvents, SelectAndActiveCell) {
  user::Select(wb.Sheets("B"), 5, 2, 6, 3);
  EXPECT_EQ(wb.ActiveSheet().Name(), "B");
  EXPECT_EQ(app.ActiveCell().Row(), 5);
  EXPECT_EQ(app.ActiveCell().Column(), 2);
  wb.Sheets("B").Cells(9, 1).Select();
  EXPECT_EQ(app.ActiveCell().Address(), "A9");
  EXPECT_THROW(wb.Sheets("C").Cells(1, 1).Select(), HostError);  // not the active sheet
}

}  // namespace
}  // namespace kassa::host
