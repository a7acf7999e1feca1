// Helpers shared by the Qt test programs (offscreen platform, one
// QApplication per program, made by qt_test_main.cpp).
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;
class QMessageBox;

namespace kassa::qttest {

// Writes `w` as <build>/screenshots/<name>.png; returns the file's path
// (empty when it could not be written).
QString Screenshot(QWidget* w, const QString& name);

// The first visible message box, or null.
QMessageBox* VisibleMessageBox();

// Texts of a message box's buttons, in the order they are shown.
QStringList ButtonTexts(QMessageBox* box);

// Clicks the button captioned `caption` of the next message box, from a
// zero-delay timer that keeps looking until the box is up; `inspect` (if
// set) sees the box first.
void ClickInNextMessageBox(const QString& caption,
                           std::function<void(QMessageBox*)> inspect = nullptr);

// While alive, answers every message box that shows up with its first
// button and keeps the texts.
class MessageBoxAutoAnswer {
 public:
  MessageBoxAutoAnswer();
  ~MessageBoxAutoAnswer();
  const QStringList& texts() const;

 private:
  struct Impl;
  Impl* impl_;
};

// Types `text` into `w` key by key, as a keyboard does (any script).
void TypeText(QWidget* w, const QString& text);

// Lets queued events run for `ms` milliseconds, then what they queued in turn.
void Spin(int ms = 50);

}  // namespace kassa::qttest
