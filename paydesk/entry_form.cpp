#include "paydesk/entry_form.h"

#include <cmath>

#include "paydesk/controls.h"
#include "paydesk/entry_store.h"
#include "paydesk/texts.h"
#include "platform/ui/ui.h"

namespace kassa::paydesk {

namespace {

// Layout in twips: labels on the left, boxes on the right, "?" beside the
// employee and category boxes, the two buttons at the bottom.
constexpr int kWidth = 6000;
constexpr int kHeight = 3600;
constexpr int kLabelLeft = 120;
constexpr int kLabelWidth = 1320;
constexpr int kBoxLeft = 1560;
constexpr int kBoxWidth = 3780;
constexpr int kListLeft = 5430;
constexpr int kListWidth = 450;
constexpr int kRowHeight = 315;
constexpr int kPurposeHeight = 795;
constexpr int kButtonWidth = 1320;
constexpr int kButtonHeight = 375;

constexpr int RowTop(int row) {
  return 120 + row * 480;
}

}  // namespace

EntryForm::EntryForm(Program& program, Database& db, LedgerService& service)
    : program_(program),
      db_(db),
      form_(texts::kMainForm, texts::kMainCaption, kWidth, kHeight, ui::FormRole::Main),
      categories_(CategoryPicker(), program, db, service,
                  [this](const std::string& code) {
                    form_.control("Category_Payment").text = code;
                    form_.Repaint();
                  }),
      members_(MemberPicker(), program, db, service, [this](const std::string& name) {
        form_.control("Recipient").text = name;
        form_.Repaint();
      }) {
  using ui::ControlKind;
  using namespace texts;
  int tab = 0;
  const auto label = [&](const char* name, const char* text, int row) {
    form_.Add(MakeControl(name, ControlKind::Label, text, kLabelLeft, RowTop(row) + 30, kLabelWidth,
                          kRowHeight, tab++));
  };
  const auto box = [&](const char* name, ControlKind kind, int row, int width, int height) {
    return &form_.Add(MakeControl(name, kind, "", kBoxLeft, RowTop(row), width, height, tab++));
  };

  label("L_Date_On", kDateLabel, 0);
  ui::Control* date = box("Date_On", ControlKind::DatePicker, 0, 1500, kRowHeight);
  date->format = kDateFormat;

  label("L_Recipient", kRecipientLabel, 1);
  box("Recipient", ControlKind::TextBox, 1, kBoxWidth, kRowHeight);
  form_.Add(MakeControl("List_Members", ControlKind::Button, kListButton, kListLeft, RowTop(1),
                        kListWidth, kRowHeight, tab++));

  label("L_Category_Payment", kCategoryLabel, 2);
  box("Category_Payment", ControlKind::TextBox, 2, kBoxWidth, kRowHeight);
  form_.Add(MakeControl("List_Categories", ControlKind::Button, kListButton, kListLeft, RowTop(2),
                        kListWidth, kRowHeight, tab++));

  label("L_Establish_Payment", kPurposeLabel, 3);
  box("Establish_Payment", ControlKind::TextBox, 3, kBoxWidth + kListWidth + 90, kPurposeHeight)
      ->multiline = true;

  label("L_Sum_RUB", kSumLabel, 5);
  box("Sum_RUB", ControlKind::TextBox, 5, 1500, kRowHeight);

  const int buttons_top = kHeight - 120 - kButtonHeight;
  form_.Add(MakeControl("Button_Input_Nal", ControlKind::Button, kInputButton, kBoxLeft,
                        buttons_top, kButtonWidth, kButtonHeight, tab++));
  form_.Add(MakeControl("Button_Exit", ControlKind::Button, kExitButton,
                        kWidth - 120 - kButtonWidth, buttons_top, kButtonWidth, kButtonHeight,
                        tab++));

  form_.on_click = [this](const std::string& button) { OnClick(button); };
  form_.on_closed = [this] { program_.End(); };
}

void EntryForm::Show() {
  form_.control("Date_On").date = std::floor(ui::Port().Now());
  form_.Show();
}

void EntryForm::HideAll() {
  categories_.Hide();
  members_.Hide();
  form_.Hide();
}

void EntryForm::OnClick(const std::string& button) {
  if (program_.ended) return;
  if (button == "Button_Input_Nal") {
    Store();
  } else if (button == "Button_Exit") {
    program_.End();
  } else if (button == "List_Categories") {
    categories_.Show();
  } else if (button == "List_Members") {
    members_.Show();
  }
}

void EntryForm::Store() {
  if (storing_) {
    ui::Message(texts::kStoreRunning, ui::Buttons::OK);
    return;
  }
  storing_ = true;
  EntryInput in;
  in.date = form_.control("Date_On").date;
  in.recipient = form_.control("Recipient").text;
  in.category = form_.control("Category_Payment").text;
  in.purpose = form_.control("Establish_Payment").text;
  in.sum = form_.control("Sum_RUB").text;
  const StoreOutcome outcome = StoreEntry(in, db_, program_);
  storing_ = false;
  if (outcome == StoreOutcome::Done) program_.End();
}

}  // namespace kassa::paydesk
