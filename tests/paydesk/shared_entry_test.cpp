// The entry program on a shared ledger, against the test server through a
// relay that can lose the server's answer to a statement: a payment is
// stored once and told as stored whatever happened to the answer, and a
// number another cashier took meanwhile does not turn into a failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "paydesk/paydesk.h"
#include "paydesk/texts.h"
#include "platform/ui/script/scripted.h"
#include "platform/variant/variant.h"
#include "tests/support/tcp_proxy.h"
#include "tests/support/testsupport.h"

namespace kassa::paydesk {
namespace {

namespace ts = kassa::testsupport;
using Rows = std::vector<std::vector<std::string>>;
using Lines = std::vector<std::string>;

class SharedEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ts::HaveTestEnv()) << "run through ctest (fixture db)";
    ASSERT_TRUE(ts::ResetDatabase());
    ASSERT_TRUE(ts::RootExec(
        "INSERT INTO OUR_MEMBERS VALUES (1, 'Иванов', 'Иванов', 'Петр', 'Сергеевич', 'Кассир')"));
    ASSERT_TRUE(ts::RootExec("INSERT INTO CATEGORY_NAL VALUES (1, 'ХОЗ', 'Хозяйственные')"));
    // The programs reach the server through the relay.
    connect_file_ = ts::TestEnv::FromEnvironment().connect_file();
    std::ifstream in(connect_file_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    saved_ = text.str();
    proxy_ = std::make_unique<ts::TcpProxy>(ts::RootParams().port);
    ASSERT_NE(proxy_->port(), 0u);
    const ts::ProcessResult r =
        ts::Run({"/bin/bash", ts::SourceDir() + "/scripts/testenv.sh", "connect-hosts",
                 connect_file_, "127.0.0.1:" + std::to_string(proxy_->port())});
    ASSERT_EQ(r.exit_code, 0) << r.error;
    ui::Install(&ui_);
    ui_.SetTrace(true);
    ui_.on_line = [this](const std::string& line) {
      if (on_line) on_line(line);
    };
    ui_.action_source = [this] {
      if (!pending_) return false;
      pending_ = false;
      ui::Form* f = ui::FindForm(texts::kMainForm);
      if (!f) return false;
      ui::ActFill(*f, "Recipient", "иванов");
      ui::ActFill(*f, "Category_Payment", "хоз");
      ui::ActFill(*f, "Establish_Payment", purpose_);
      ui::ActFill(*f, "Sum_RUB", "125,5");
      ui::ActPress(*f, "Button_Input_Nal");
      return true;
    };
  }
  void TearDown() override {
    on_line = nullptr;
    ui::Install(nullptr);
    std::ofstream out(connect_file_, std::ios::binary | std::ios::trunc);
    out << saved_;
  }

  // One run of the program entering one payment.
  void Enter(const std::string& purpose) {
    purpose_ = purpose;
    pending_ = true;
    EXPECT_EQ(RunPaydesk(), 0);
  }
  Lines Messages() const {
    Lines out;
    for (const auto& m : ui_.messages()) out.push_back(m.text);
    return out;
  }

  ui::ScriptedBackend ui_{MakeDate(2024, 6, 15, 10, 30, 0)};
  std::function<void(const std::string&)> on_line;
  std::unique_ptr<ts::TcpProxy> proxy_;
  std::string connect_file_, saved_, purpose_;
  bool pending_ = false;
  const std::string dbgate_give_up_ =
      "Команда к базе данных не была выполнена. Показать текст команды ?";
};

// The insert commits and the connection goes before its answer arrives: the
// retry meets the row it stored itself.
TEST_F(SharedEntryTest, AnEntryWhoseAnswerIsLostIsStoredOnceAndToldAsStored) {
  proxy_->LoseAnswerTo("Insert Into NAL_BUFFER");
  ui_.unanswered = [](const ui::RecordedMessage&) { return ui::Answer::Cancel; };
  Enter("платёж 1");
  EXPECT_EQ(proxy_->lost(), 1);
  EXPECT_EQ(Messages(), Lines{texts::kStored});
  EXPECT_EQ(ts::RootQuery("SELECT ID_NUM, ESTABLISH_PAYMENT, SUM_RUB FROM NAL_BUFFER"),
            (Rows{{"1", "платёж 1", "125.5"}}));
}

// Two entries, the first one's answer lost: the second takes the next
// number, and each payment is in the buffer once.
TEST_F(SharedEntryTest, AfterALostAnswerTheNextEntryTakesTheNextNumber) {
  proxy_->LoseAnswerTo("Insert Into NAL_BUFFER");
  ui_.unanswered = [](const ui::RecordedMessage&) { return ui::Answer::Cancel; };
  Enter("платёж 1");
  Enter("платёж 2");
  EXPECT_EQ(proxy_->lost(), 1);
  EXPECT_EQ(Messages(), (Lines{texts::kStored, texts::kStored}));
  EXPECT_EQ(ts::RootQuery("SELECT ID_NUM, ESTABLISH_PAYMENT FROM NAL_BUFFER ORDER BY ID_NUM"),
            (Rows{{"1", "платёж 1"}, {"2", "платёж 2"}}));
}

// Another cashier stored a payment under the number this entry counted:
// that payment stays as it is and this one takes the next number.
TEST_F(SharedEntryTest, ANumberAnotherCashierTookMeanwhileTakesTheNextOne) {
  bool raced = false;
  on_line = [&](const std::string& line) {
    if (!raced && line.rfind("SQL \"Insert Into NAL_BUFFER", 0) == 0)
      raced = ts::RootExec("INSERT INTO NAL_BUFFER VALUES (1, '2024-06-15', 1, 'чужой', 10, 1)");
  };
  ui_.unanswered = [](const ui::RecordedMessage&) { return ui::Answer::Cancel; };
  Enter("платёж 1");
  ASSERT_TRUE(raced);
  EXPECT_EQ(Messages(), Lines{texts::kStored});
  EXPECT_EQ(ts::RootQuery("SELECT ID_NUM, ESTABLISH_PAYMENT FROM NAL_BUFFER ORDER BY ID_NUM"),
            (Rows{{"1", "чужой"}, {"2", "платёж 1"}}));
}

// A number held by an older row (the buffer's count is below it) is not
// another cashier's race: nothing of the entry is stored and the user is
// told so, after the give-up prompt.
TEST_F(SharedEntryTest, ANumberHeldByAnOlderRowIsToldAsNotStored) {
  ASSERT_TRUE(ts::RootExec("INSERT INTO NAL_BUFFER VALUES (2, '2024-06-15', 1, 'старый', 10, 1)"));
  ui_.unanswered = [](const ui::RecordedMessage&) { return ui::Answer::Cancel; };
  Enter("платёж 1");
  EXPECT_EQ(Messages(), (Lines{dbgate_give_up_, texts::kNotStored}));
  EXPECT_EQ(ts::RootQuery("SELECT ID_NUM, ESTABLISH_PAYMENT FROM NAL_BUFFER ORDER BY ID_NUM"),
            (Rows{{"2", "старый"}}));
}

}  // namespace
}  // namespace kassa::paydesk
