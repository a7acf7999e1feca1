// The test bench of the ledger service against the real stack: the
// component "Ledgertools.Special_Function" loaded by ProgID from the test
// registry, the real database object and server, the in-memory host and the
// scripted user. The user's actions during a wait for a dialog are queued in
// `actions`; every statement sent to the server is collected in `sql`.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ledgertools/special_function.h"
#include "platform/component/component.h"
#include "platform/host/host.h"
#include "platform/ui/form.h"
#include "platform/ui/script/scripted.h"
#include "platform/variant/variant.h"
#include "tests/support/testsupport.h"

namespace kassa::ledgertools::testing {

namespace ts = kassa::testsupport;

// The text of a transcript word written by ui::Quote.
inline std::string Unquote(const std::string& q) {
  std::string out;
  if (q.size() < 2 || q.front() != '"') return q;
  for (size_t i = 1; i + 1 < q.size(); ++i) {
    if (q[i] == '\\' && i + 2 < q.size()) {
      const char e = q[++i];
      out += e == 't' ? '\t' : e == 'n' ? '\n' : e;
    } else {
      out += q[i];
    }
  }
  return out;
}

inline bool IsQuery(const std::string& s) {
  size_t i = s.find_first_not_of(' ');
  return i != std::string::npos &&
         (s.compare(i, 6, "select") == 0 || s.compare(i, 6, "Select") == 0 ||
          s.compare(i, 6, "SELECT") == 0);
}

class Ledger : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ts::HaveTestEnv()) GTEST_SKIP() << "needs the database test environment";
    ui::Install(&ui_);
    ui_.SetTrace(true);
    ui_.action_source = [this] {
      if (actions.empty()) return false;
      auto a = std::move(actions.front());
      actions.pop_front();
      a();
      return true;
    };
    ui_.on_line = [this](const std::string& l) {
      if (l.rfind("SQL ", 0) == 0) sql.push_back(Unquote(l.substr(4)));
      if (on_line) on_line(l);
    };
    for (const char* t : {"NAL", "NAL_BUFFER", "CATEGORY_NAL", "OUR_MEMBERS"})
      Exec(std::string("DELETE FROM ") + t);
    sf_ = component::Create<Special_Function>("Ledgertools.Special_Function");
    ASSERT_TRUE(sf_) << "Ledgertools.Special_Function cannot be created";
    dir_ = std::filesystem::temp_directory_path() /
           ("kassa-ledgertools-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }

  void TearDown() override {
    for (host::Workbook* wb : app.Workbooks()) wb->Close();
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  static void Exec(const std::string& statement) {
    std::string error;
    ASSERT_TRUE(ts::RootExec(statement, &error)) << statement << ": " << error;
  }
  static std::vector<std::vector<std::string>> Query(const std::string& q) {
    return ts::RootQuery(q);
  }

  // A workbook saved in the test folder whose sheets each show `query`
  // (empty: no query table).
  host::Workbook& Book(const std::string& name,
                       const std::vector<std::pair<std::string, std::string>>& sheets) {
    host::Workbook& wb = app.Add();
    for (size_t i = 0; i < sheets.size(); ++i) {
      host::Worksheet& s = i == 0 ? wb.Sheets(1) : wb.AddSheet(sheets[i].first);
      if (i == 0) s.Name(sheets[i].first);
      if (!sheets[i].second.empty()) s.AddQueryTable("ODBC;DSN=kassa", sheets[i].second);
    }
    wb.SaveAs((dir_ / name).string());
    return wb;
  }

  ui::Form& Form(const std::string& name) {
    ui::Form* f = ui::FindForm(name);
    if (!f) throw std::runtime_error("no form " + name);
    return *f;
  }
  // The user presses a button of a shown form now.
  void Press(const std::string& form, const std::string& button) {
    ASSERT_TRUE(Form(form).visible()) << form;
    ASSERT_TRUE(ui::ActPress(Form(form), button)) << form << "." << button;
  }
  // Queued user actions for a later wait.
  void Fill(const std::string& form, const std::string& box, const std::string& text) {
    actions.push_back([=, this] {
      ASSERT_TRUE(Form(form).visible()) << form;
      ASSERT_TRUE(ui::ActFill(Form(form), box, text));
    });
  }
  void Then(std::function<void()> f) { actions.push_back(std::move(f)); }
  void ThenPress(const std::string& form, const std::string& button) {
    actions.push_back([=, this] { Press(form, button); });
  }

  // Selects the cell (row, 1) of the active sheet as the user does.
  void SelectRow(host::Worksheet& sheet, long row) {
    host::user::Activate(sheet);
    host::user::Select(sheet, row, 1, row, 1);
  }

  std::vector<std::string> Changes() const {
    std::vector<std::string> out;
    for (const std::string& s : sql)
      if (!IsQuery(s)) out.push_back(s);
    return out;
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const auto& m : ui_.messages()) out.push_back(m.text);
    return out;
  }
  std::string Cell(host::Worksheet& s, long r, int c) { return s.Cells(r, c).Text(); }
  static std::string Box(ui::Form& f, const std::string& name) { return f.control(name).text; }

  ui::ScriptedBackend ui_{MakeDate(2026, 12, 6, 10, 0, 0)};
  host::Application app;
  std::shared_ptr<Special_Function> sf_;
  std::deque<std::function<void()>> actions;
  std::vector<std::string> sql;
  std::function<void(const std::string&)> on_line;
  std::filesystem::path dir_;
};

}  // namespace kassa::ledgertools::testing
