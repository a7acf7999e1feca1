// The workbook window's test fixture: a private component registry naming
// the recording event sink, and a workbook file whose macros name the
// recorder and carry one sheet button, opened in a window for each test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QPointer>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "apps/kassa-book/book_window.h"
#include "apps/kassa-book/sheet_model.h"
#include "apps/kassa-book/sheet_page.h"
#include "platform/component/component.h"
#include "platform/host/host.h"
#include "tests/qt/qt_test_support.h"
#include "tests/qt/recorder.h"

namespace kassa::book {

namespace fs = std::filesystem;
using qttest::Screenshot;
using qttest::Spin;

// Sheet "Наличные": A1 "Дата", B1 "Сумма", A2 06.12.2026, B2 1234,5, B3 17,
// the button B_Commom; sheet "Категории": A1 "Код".
class BookWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = fs::temp_directory_path() / ("kassa-qt-book-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    std::string registry = (dir_ / "components.conf").string();
    setenv("KASSA_COMPONENTS", registry.c_str(), 1);
    std::string error;
    ASSERT_TRUE(component::Register(qttest::kRecorderProgId, KASSA_TEST_RECORDER, error)) << error;
    ASSERT_TRUE(component::Register(qttest::kMacrosProgId, KASSA_TEST_RECORDER, error)) << error;
  }
  static void TearDownTestSuite() { fs::remove_all(dir_); }

  void SetUp() override {
    path_ = (dir_ / ("book-" + std::to_string(++counter_) + ".xlsx")).string();
    {
      host::Application maker;
      host::Workbook& wb = maker.Add();
      host::Worksheet& first = wb.Sheets(1);
      first.Name("Наличные");
      first.Cells(1, 1).Value(Variant::Text("Дата"));
      first.Cells(1, 2).Value(Variant::Text("Сумма"));
      first.Cells(2, 1).Value(Variant::Date(MakeDate(2026, 12, 6)));
      first.Cells(2, 2).Value(Variant::Number(1234.5));
      first.Cells(3, 2).Value(Variant::Number(17));
      host::Shape button;
      button.name = "B_Commom";
      button.caption = "Меню";
      button.left = 300;
      button.top = 10;
      button.width = 60;
      button.height = 20;
      button.progid = qttest::kMacrosProgId;
      button.method = "Action_Common";
      first.shapes().push_back(button);
      wb.AddSheet("Категории").Cells(1, 1).Value(Variant::Text("Код"));
      wb.SetEventSinkProgId(qttest::kRecorderProgId);
      wb.SaveAs(path_);
      wb.Close();
    }
    window_ = BookWindow::OpenFile(app_, QString::fromStdString(path_));
    ASSERT_NE(window_, nullptr);
    ASSERT_NE(window_->book(), nullptr);
    auto* sink = dynamic_cast<qttest::RecordingSink*>(window_->book()->EventSink());
    ASSERT_NE(sink, nullptr);
    log_ = &sink->Log();
    Spin(10);
  }

  void TearDown() override {
    if (window_ && window_->book()) {
      window_->book()->Close();
      window_->WorkbookClosed();
    }
    Spin(10);
    if (log_) log_->clear();
  }

  // The lines logged since the last call.
  std::vector<std::string> Events() {
    std::vector<std::string> out(log_->begin() + static_cast<long>(taken_), log_->end());
    taken_ = log_->size();
    return out;
  }

  host::Worksheet& Sheet(int i) { return window_->book()->Sheets(i); }
  SheetPage* Page() { return window_->CurrentPage(); }
  QModelIndex Index(int row, int col) { return Page()->model()->index(row - 1, col - 1); }

  static inline fs::path dir_;
  static inline int counter_ = 0;
  host::Application app_;
  std::string path_;
  BookWindow* window_ = nullptr;
  std::vector<std::string>* log_ = nullptr;
  size_t taken_ = 0;
};

}  // namespace kassa::book
