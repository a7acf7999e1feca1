#include "tests/qt/qt_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace kassa::qttest {

QString Screenshot(QWidget* w, const QString& name) {
  QDir dir(QStringLiteral(KASSA_SCREENSHOT_DIR));
  if (!dir.mkpath(QStringLiteral("."))) return {};
  QString path = dir.filePath(name + QStringLiteral(".png"));
  QCoreApplication::processEvents();
  return w->grab().save(path, "PNG") ? path : QString();
}

QMessageBox* VisibleMessageBox() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box;
  return nullptr;
}

QStringList ButtonTexts(QMessageBox* box) {
  QStringList out;
  for (QAbstractButton* b : box->buttons()) out << b->text();
  return out;
}

namespace {

void TryClick(const QString& caption, std::function<void(QMessageBox*)> inspect, int tries) {
  QMessageBox* box = VisibleMessageBox();
  if (!box) {
    if (tries > 0)
      QTimer::singleShot(0, [caption, inspect, tries] { TryClick(caption, inspect, tries - 1); });
    return;
  }
  if (inspect) inspect(box);
  for (QAbstractButton* b : box->buttons())
    if (b->text() == caption) {
      b->click();
      return;
    }
  // No such button: take the escape way so the test cannot hang.
  box->reject();
}

}  // namespace

void ClickInNextMessageBox(const QString& caption, std::function<void(QMessageBox*)> inspect) {
  QTimer::singleShot(0, [caption, inspect] { TryClick(caption, inspect, 10000); });
}

struct MessageBoxAutoAnswer::Impl {
  QTimer timer;
  QStringList texts;
};

MessageBoxAutoAnswer::MessageBoxAutoAnswer() : impl_(new Impl) {
  QObject::connect(&impl_->timer, &QTimer::timeout, [this] {
    if (QMessageBox* box = VisibleMessageBox()) {
      impl_->texts << box->text();
      if (!box->buttons().isEmpty()) box->buttons().front()->click();
    }
  });
  impl_->timer.start(5);
}

MessageBoxAutoAnswer::~MessageBoxAutoAnswer() { delete impl_; }

const QStringList& MessageBoxAutoAnswer::texts() const { return impl_->texts; }

void TypeText(QWidget* w, const QString& text) {
  for (QChar ch : text) QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), {});
}

void Spin(int ms) {
  QTest::qWait(ms);
  // On a busy machine the wait may end after one pass of the event loop;
  // what that pass queued (an editor's commit queues the cell's change,
  // which queues the engine's work) still runs before the test looks.
  for (int round = 0; round < 10; ++round) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
  }
}

}  // namespace kassa::qttest
