#include "platform/ui/qt/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

#include "platform/ui/qt/texts.h"

namespace kassa::ui::qt {
namespace {

struct ButtonSpec {
  Answer answer;
  const char* caption;
  QMessageBox::ButtonRole role;
};

std::vector<ButtonSpec> SpecsFor(Buttons buttons) {
  const ButtonSpec ok{Answer::OK, texts::kOK, QMessageBox::AcceptRole};
  const ButtonSpec cancel{Answer::Cancel, texts::kCancel, QMessageBox::RejectRole};
  const ButtonSpec yes{Answer::Yes, texts::kYes, QMessageBox::YesRole};
  const ButtonSpec no{Answer::No, texts::kNo, QMessageBox::NoRole};
  switch (buttons) {
    case Buttons::OK: return {ok};
    case Buttons::OKCancel: return {ok, cancel};
    case Buttons::YesNo: return {yes, no};
    case Buttons::YesNoCancel: return {yes, no, cancel};
  }
  return {ok};
}

// The answer when the box is closed without pressing a button.
Answer EscapeAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::OK: return Answer::OK;
    case Buttons::YesNo: return Answer::No;
    case Buttons::OKCancel:
    case Buttons::YesNoCancel: return Answer::Cancel;
  }
  return Answer::OK;
}

}  // namespace

Answer ShowMessageBox(const std::string& text, Buttons buttons, const std::string& title,
                      std::optional<Answer> default_answer) {
  QMessageBox box(QApplication::activeWindow());
  box.setIcon(QMessageBox::NoIcon);
  box.setWindowTitle(QString::fromStdString(title));
  box.setText(QString::fromStdString(text));
  box.setTextFormat(Qt::PlainText);
  std::vector<std::pair<QAbstractButton*, Answer>> made;
  QAbstractButton* escape = nullptr;
  for (const ButtonSpec& s : SpecsFor(buttons)) {
    QPushButton* b = box.addButton(QString::fromUtf8(s.caption), s.role);
    made.emplace_back(b, s.answer);
    if (s.answer == EscapeAnswer(buttons)) escape = b;
  }
  QAbstractButton* default_button = made.front().first;
  for (const auto& [button, answer] : made)
    if (default_answer && answer == *default_answer) default_button = button;
  box.setDefaultButton(static_cast<QPushButton*>(default_button));
  box.setEscapeButton(escape);
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  for (const auto& [button, answer] : made)
    if (button == clicked) return answer;
  return EscapeAnswer(buttons);
}

}  // namespace kassa::ui::qt
