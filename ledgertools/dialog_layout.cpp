#include "ledgertools/dialog_layout.h"

#include <string>
#include <utility>
#include <vector>

#include "ledgertools/texts.h"

namespace kassa::ledgertools {

namespace {

// Menu buttons: 950 x 435 twips at left 120, one column, 600 twips apart.
constexpr int kButtonLeft = 120;
constexpr int kButtonWidth = 950;
constexpr int kButtonHeight = 435;
constexpr int kButtonTop = 120;
constexpr int kButtonStep = 600;
constexpr int kMenuWidth = 1170;

// Entry dialogs: a label above each text box, the two buttons below.
constexpr int kFieldLeft = 120;
constexpr int kFieldWidth = 4200;
constexpr int kLabelHeight = 255;
constexpr int kBoxHeight = 315;
constexpr int kFieldStep = 720;  // label + box + gap
constexpr int kBoxOffset = 280;  // box top below its label's top
constexpr int kEntryWidth = kFieldLeft * 2 + kFieldWidth;

ui::Control Button(const char* name, const char* caption, int left, int top, int tab) {
  ui::Control c;
  c.name = name;
  c.kind = ui::ControlKind::Button;
  c.text = caption;
  c.left = left;
  c.top = top;
  c.width = kButtonWidth;
  c.height = kButtonHeight;
  c.tab_index = tab;
  return c;
}

std::unique_ptr<ui::Form> Menu(const char* name,
                               const std::vector<std::pair<const char*, const char*>>& buttons) {
  const int n = static_cast<int>(buttons.size());
  const int height = kButtonTop + (n - 1) * kButtonStep + kButtonHeight + kButtonTop;
  auto f = std::make_unique<ui::Form>(name, texts::kMenuCaption, kMenuWidth, height);
  for (int i = 0; i < n; ++i)
    f->Add(
        Button(buttons[i].first, buttons[i].second, kButtonLeft, kButtonTop + i * kButtonStep, i));
  return f;
}

struct Field {
  const char* label;
  const char* label_caption;
  const char* box;
};

std::unique_ptr<ui::Form> Entry(const char* name, const char* caption,
                                const std::vector<Field>& fields) {
  const int n = static_cast<int>(fields.size());
  const int buttons_top = kButtonTop + n * kFieldStep + 120;
  const int height = buttons_top + kButtonHeight + kButtonTop;
  auto f = std::make_unique<ui::Form>(name, caption, kEntryWidth, height);
  int tab = 0;
  for (int i = 0; i < n; ++i) {
    const int top = kButtonTop + i * kFieldStep;
    ui::Control label;
    label.name = fields[i].label;
    label.kind = ui::ControlKind::Label;
    label.text = fields[i].label_caption;
    label.left = kFieldLeft;
    label.top = top;
    label.width = kFieldWidth;
    label.height = kLabelHeight;
    label.tab_index = tab++;
    f->Add(label);
    ui::Control box;
    box.name = fields[i].box;
    box.kind = ui::ControlKind::TextBox;
    box.left = kFieldLeft;
    box.top = top + kBoxOffset;
    box.width = kFieldWidth;
    box.height = kBoxHeight;
    box.tab_index = tab++;
    f->Add(box);
  }
  f->Add(Button(texts::kBInput, texts::kCapInput, kFieldLeft, buttons_top, tab++));
  f->Add(Button(texts::kBExit, texts::kCapExit, kEntryWidth - kFieldLeft - kButtonWidth,
                buttons_top, tab++));
  return f;
}

}  // namespace

std::unique_ptr<ui::Form> Layout_Choice_Action_Common() {
  // Three buttons at tops 120, 720 and 1320; client area 1170 wide.
  return Menu(texts::kFormCommon, {{texts::kBSaveCommon, texts::kCapSave},
                                   {texts::kBRefreshCommon, texts::kCapRefresh},
                                   {texts::kBArchiveCommon, texts::kCapArchive}});
}

std::unique_ptr<ui::Form> Layout_Choice_Action_Expences() {
  // One button at top 120; client area 1170 by 675.
  return Menu(texts::kFormExpences, {{texts::kBRefreshExpences, texts::kCapRefresh}});
}

std::unique_ptr<ui::Form> Layout_Choice_Action_Category() {
  return Menu(texts::kFormCategoryMenu, {{texts::kBAddCategory, texts::kCapAdd},
                                         {texts::kBEditCategory, texts::kCapEdit},
                                         {texts::kBDelCategory, texts::kCapDelete},
                                         {texts::kBRefreshCategory, texts::kCapRefresh}});
}

std::unique_ptr<ui::Form> Layout_Choice_Action_Member() {
  return Menu(texts::kFormMemberMenu, {{texts::kBAddMember, texts::kCapAdd},
                                       {texts::kBEditMember, texts::kCapEdit},
                                       {texts::kBDelMember, texts::kCapDelete},
                                       {texts::kBRefreshMember, texts::kCapRefresh}});
}

std::unique_ptr<ui::Form> Layout_Input_Nal_Category() {
  return Entry(
      texts::kFormCategoryEntry, texts::kCategoryEntryCaption,
      {{texts::kLNameEncipher, texts::kCapNameEncipher, texts::kTBNameEncipher},
       {texts::kLDescriptionPayment, texts::kCapDescriptionPayment, texts::kTBDescriptionPayment}});
}

std::unique_ptr<ui::Form> Layout_Input_Nal_Member() {
  return Entry(texts::kFormMemberEntry, texts::kMemberEntryCaption,
               {{texts::kLNameShort, texts::kCapNameShort, texts::kTBNameShort},
                {texts::kLLastName, texts::kCapLastName, texts::kTBLastName},
                {texts::kLFirstName, texts::kCapFirstName, texts::kTBFirstName},
                {texts::kLMiddleName, texts::kCapMiddleName, texts::kTBMiddleName},
                {texts::kLPositionInFirm, texts::kCapPositionInFirm, texts::kTBPositionInFirm}});
}

}  // namespace kassa::ledgertools
