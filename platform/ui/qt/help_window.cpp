#include "platform/ui/qt/help_window.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QPointer>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/ui/qt/qt_ui.h"
#include "platform/ui/qt/texts.h"

namespace kassa::ui::qt {
namespace {

QPointer<QDialog>& Window() {
  static QPointer<QDialog> window;
  return window;
}

}  // namespace

QString GuideFile() {
  const QString named = qEnvironmentVariable("KASSA_GUIDE");
  if (!named.isEmpty() && QFileInfo::exists(named)) return QFileInfo(named).canonicalFilePath();
  const QString name = QString::fromUtf8(texts::kGuideFileName);
  const QDir here(QCoreApplication::applicationDirPath());
  for (const QString& candidate : {here.filePath(QStringLiteral("doc/") + name),
                                   here.filePath(QStringLiteral("../share/doc/kassa/") + name)})
    if (QFileInfo::exists(candidate)) return QFileInfo(candidate).canonicalFilePath();
  return QString();
}

QTextBrowser* GuideBrowser() {
  return Window() ? Window()->findChild<QTextBrowser*>() : nullptr;
}

void ShowGuideWindow() {
  QPointer<QDialog>& w = Window();
  if (!w) {
    w = new QDialog(nullptr, Qt::Window);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setObjectName(QStringLiteral("guide_window"));
    w->setWindowTitle(QString::fromUtf8(texts::kGuideTitle));
    auto* layout = new QVBoxLayout(w);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* browser = new QTextBrowser(w);
    browser->setOpenExternalLinks(true);
    layout->addWidget(browser);
    const QString file = GuideFile();
    if (file.isEmpty())
      browser->setPlainText(QString::fromUtf8(texts::kGuideMissing) +
                            QString::fromUtf8(texts::kGuideFileName));
    else
      browser->setSource(QUrl::fromLocalFile(file), QTextDocument::MarkdownResource);
    w->resize(760, 640);
  }
  w->show();
  w->raise();
  w->activateWindow();
}

}  // namespace kassa::ui::qt
