// Workbooks another program shows (the host's side of the Calc host):
// opening from the program's document, the user's edits made there, and
// save and close going through the document.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/host/host.h"
#include "tests/host/recording.h"

namespace kassa::host {
namespace {

using testing::RecordingSink;
using testing::RecordingUi;

// The program's side: records what the host asks of it.
class FakeDocument : public WorkbookDocument {
 public:
  std::string Store(const std::vector<std::pair<std::string, std::string>>& host_data) override {
    ++stores;
    stored_data = host_data;
    return stored_as;
  }
  void Closed() override { ++closes; }
  std::string stored_as = "/office/folder/Kassa.xls";
  std::vector<std::pair<std::string, std::string>> stored_data;
  int stores = 0, closes = 0;
};

const std::vector<std::pair<std::string, std::string>> kProperties = {
    {"Author", "not the host's"},
    {"KassaHost.000",
     "query;1;1;DRIVER=x%3BPWD=xxx;SELECT 1|shape;2;B_Menu;Меню;10;4;60;24;Ledgertools.Special_"},
    {"KassaHost.001", "Function;Action_Common"},
};

struct Opened {
  RecordingUi ui;
  Application app;
  std::shared_ptr<RecordingSink> sink = std::make_shared<RecordingSink>();
  std::shared_ptr<FakeDocument> doc = std::make_shared<FakeDocument>();
  Workbook* wb = nullptr;
  explicit Opened(bool read_only = false) {
    wb = &app.OpenDocument(
        "/office/folder/./Kassa.xls", kProperties, doc,
        [&](Workbook& book) {
          book.AddSheet("Наличные").Cells(2, 3).Value(Variant::Text("из документа"));
          book.AddSheet("Категории");
          book.Sheets(2).Activate();  // the sheet the program shows
          book.SetEventSink(sink);
        },
        read_only);
  }
};

TEST(CalcDocument, OpensFromTheDocumentWithTheHostsData) {
  Opened o(true);
  EXPECT_EQ(o.wb->Name(), "Kassa.xls");
  EXPECT_EQ(o.wb->Path(), "/office/folder");
  EXPECT_TRUE(o.wb->ReadOnly());
  EXPECT_TRUE(o.wb->Saved());
  EXPECT_EQ(&o.app.ActiveWorkbook(), o.wb);
  EXPECT_EQ(o.wb->ActiveSheet().Name(), "Категории");
  EXPECT_EQ(o.wb->Sheets(1).Cells(2, 3).Text(), "из документа");
  // The host's data, cut over two properties, is read; others are ignored.
  ASSERT_EQ(o.wb->Sheets(1).QueryTablesCount(), 1);
  EXPECT_EQ(o.wb->Sheets(1).QueryTables(1).CommandText(), "SELECT 1");
  const Shape* menu = o.wb->Sheets(2).FindShape("B_Menu");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->method, "Action_Common");
  EXPECT_EQ(menu->progid, "Ledgertools.Special_Function");
  // The workbook's macros ran once, after it was built.
  EXPECT_EQ(o.sink->log, (std::vector<std::string>{"Open"}));
}

TEST(CalcDocument, AFillThatFailsOpensNothing) {
  RecordingUi ui;
  Application app;
  EXPECT_THROW(
      app.OpenDocument("/x/Empty.xls", {}, std::make_shared<FakeDocument>(), [](Workbook&) {}),
      HostError);
  EXPECT_TRUE(app.Workbooks().empty());
}

TEST(CalcDocument, TheUsersEditIsOneChangeEvent) {
  Opened o;
  Worksheet& ws = o.wb->Sheets(1);
  ws.CellAt(5, 1).value = Variant::Number(1);
  ws.CellAt(6, 2).value = Variant::Number(2);
  user::Changed(ws, Range(ws, 5, 1, 6, 2));
  EXPECT_EQ(o.sink->log, (std::vector<std::string>{"Open", "Change Наличные!A5:B6"}));
  EXPECT_FALSE(o.wb->Saved());
}

TEST(CalcDocument, SavingIsTheDocumentsStore) {
  Opened o;
  o.doc->stored_as = "/office/other/Копия.xls";  // saved under another name
  o.wb->MarkChanged();
  user::Save(*o.wb);
  EXPECT_EQ(o.doc->stores, 1);
  EXPECT_EQ(o.wb->Name(), "Копия.xls");
  EXPECT_EQ(o.wb->Path(), "/office/other");
  EXPECT_TRUE(o.wb->Saved());
  EXPECT_EQ(o.ui.notes, (std::vector<std::string>{"FILE /office/other/Копия.xls"}));
  // The host wrote no file of its own.
  EXPECT_FALSE(std::filesystem::exists("/office/other/Копия.xls"));
  // The file keeps the host's data as it is now: what the document held and
  // a text a component kept after the workbook opened (a configuration
  // travelling with the book), nothing of the document's other properties.
  Application check;
  Workbook& reread = check.OpenDocument("/office/other/Копия.xls", o.doc->stored_data,
                                        std::make_shared<FakeDocument>(), [](Workbook& book) {
                                          book.AddSheet("Наличные");
                                          book.AddSheet("Категории");
                                        });
  EXPECT_EQ(reread.Sheets(1).QueryTables(1).CommandText(), "SELECT 1");
  ASSERT_NE(reread.Sheets(2).FindShape("B_Menu"), nullptr);
  EXPECT_EQ(reread.StoredText("Sync.ini"), "");
  for (const auto& [name, value] : o.doc->stored_data) EXPECT_EQ(name.rfind("KassaHost.", 0), 0u);
  o.wb->StoredText("Sync.ini", "[Наличные]\nTable=NAL");
  user::Save(*o.wb);
  Application again;
  Workbook& with_text = again.OpenDocument("/office/other/Копия.xls", o.doc->stored_data,
                                           std::make_shared<FakeDocument>(), [](Workbook& book) {
                                             book.AddSheet("Наличные");
                                             book.AddSheet("Категории");
                                           });
  EXPECT_EQ(with_text.StoredText("Sync.ini"), "[Наличные]\nTable=NAL");
  EXPECT_EQ(o.doc->stores, 2);
  // A save cancelled by the event leaves the document alone.
  o.sink->cancel_save = true;
  user::Save(*o.wb);
  EXPECT_EQ(o.doc->stores, 2);
}

TEST(CalcDocument, CloseCancelledOrThroughTheEnginesOwnClose) {
  Opened o;
  o.sink->cancel_close = true;
  user::Close(*o.wb);
  EXPECT_FALSE(o.wb->closed());
  EXPECT_EQ(o.doc->closes, 0);
  // As the engine closes: from inside the close event, the window closes
  // saving the changed book; the events come again and the document is
  // stored once and closed once.
  o.sink->cancel_close = false;
  o.wb->MarkChanged();
  Application& app = o.app;
  o.sink->actions["BeforeClose"] = [&app] {
    app.ActiveWindowClose(true);
    return 0;
  };
  user::Close(*o.wb);
  EXPECT_TRUE(o.wb->closed());
  EXPECT_EQ(o.doc->stores, 1);
  EXPECT_EQ(o.doc->closes, 1);
  EXPECT_EQ(o.sink->log, (std::vector<std::string>{"Open", "BeforeClose", "BeforeClose",
                                                   "BeforeClose", "BeforeSave"}));
}

}  // namespace
}  // namespace kassa::host
