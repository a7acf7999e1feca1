#include "platform/ui/qt/form_window.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QDateEdit>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <algorithm>
#include <set>
#include <vector>

#include "platform/ui/qt/geometry.h"
#include "platform/ui/qt/grid_rows_model.h"
#include "platform/ui/qt/help_window.h"
#include "platform/ui/qt/texts.h"

namespace kassa::ui::qt {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Display format of a date picker: the control's own, or the day-first default.
QString DateFormatOf(const Control& c) {
  return c.format.empty() ? QStringLiteral("dd.MM.yyyy") : Q(c.format);
}

// The text ActFill takes for a date picker.
std::string FillTextOf(const QDate& d) {
  return d.toString(QStringLiteral("dd.MM.yyyy")).toStdString();
}

// Room the window frame takes beside the caption: the icon and the buttons
// of the title bar, and its margins.
constexpr int kTitleBarExtra = 120;

// True for the button that leaves a dialog (its name ends in "_Exit").
bool IsExitButton(const Control& c) {
  const std::string suffix = "_Exit";
  return c.kind == ControlKind::Button && c.visible && c.name.size() > suffix.size() &&
         c.name.compare(c.name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

FormWindow::FormWindow(Form& form) : QDialog(nullptr), form_(&form) {
  setObjectName(Q(form.name()));
  setModal(false);
  setSizeGripEnabled(false);
  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("client"));
  // The layouts are drawn for the classic 8-point dialog font.
  QFont small = client_->font();
  small.setPointSize(8);
  client_->setFont(small);
  if (form.role() == FormRole::Main) {
    // The program's own window carries the help menu.
    menu_ = new QMenuBar(this);
    QMenu* help = menu_->addMenu(QString::fromUtf8(texts::kMenuHelp));
    QAction* guide = help->addAction(QString::fromUtf8(texts::kGuide));
    guide->setShortcut(QKeySequence::HelpContents);
    connect(guide, &QAction::triggered, this, [] { ShowGuideWindow(); });
  } else if (form.role() == FormRole::Dialog) {
    auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(f1, &QShortcut::activated, this, [] { ShowGuideWindow(); });
  }
  Sync();
}

QWidget* FormWindow::ControlWidget(const std::string& name) const {
  auto it = widgets_.find(name);
  return it == widgets_.end() ? nullptr : it->second;
}

QWidget* FormWindow::Make(const Control& c) {
  const std::string name = c.name;
  QWidget* w = nullptr;
  switch (c.kind) {
    case ControlKind::Label: {
      auto* l = new QLabel(client_);
      l->setWordWrap(true);
      l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      l->setTextFormat(Qt::PlainText);
      w = l;
      break;
    }
    case ControlKind::TextBox:
      if (c.multiline) {
        auto* e = new QPlainTextEdit(client_);
        connect(e, &QPlainTextEdit::textChanged, this, [this, e, name] {
          if (syncing_ || !form_) return;
          ActFill(*form_, name, e->toPlainText().toStdString());
        });
        w = e;
      } else {
        auto* e = new QLineEdit(client_);
        connect(e, &QLineEdit::textEdited, this, [this, name](const QString& text) {
          if (syncing_ || !form_) return;
          ActFill(*form_, name, text.toStdString());
        });
        w = e;
      }
      break;
    case ControlKind::Button: {
      auto* b = new QPushButton(client_);
      // Enter in a text box presses no button.
      b->setAutoDefault(false);
      b->setDefault(false);
      connect(b, &QPushButton::clicked, this, [this, name] {
        if (syncing_ || !form_) return;
        ActPress(*form_, name);
      });
      w = b;
      break;
    }
    case ControlKind::ProgressBar: {
      auto* p = new QProgressBar(client_);
      p->setTextVisible(false);
      w = p;
      break;
    }
    case ControlKind::DatePicker: {
      auto* d = new QDateEdit(client_);
      d->setCalendarPopup(true);
      d->setLocale(QLocale());  // the default locale: Russian month and day names
      d->calendarWidget()->setLocale(QLocale());
      connect(d, &QDateEdit::dateChanged, this, [this, name](const QDate& date) {
        if (syncing_ || !form_) return;
        ActFill(*form_, name, FillTextOf(date));
      });
      w = d;
      break;
    }
    case ControlKind::Grid: {
      auto* v = new QTableView(client_);
      auto* m = new GridRowsModel(v);
      v->setModel(m);
      v->setSelectionBehavior(QAbstractItemView::SelectRows);
      v->setSelectionMode(QAbstractItemView::SingleSelection);
      v->setEditTriggers(QAbstractItemView::NoEditTriggers);
      v->verticalHeader()->setVisible(false);
      v->verticalHeader()->setDefaultSectionSize(20);
      v->horizontalHeader()->setStretchLastSection(true);
      auto choose = [this, v, name](const QModelIndex& index) {
        // A double click first chooses (hiding the window), then activates.
        if (syncing_ || !form_ || !index.isValid() || !v->isVisible()) return;
        ActChoose(*form_, name, index.row());
      };
      connect(v, &QTableView::clicked, this, choose);
      connect(v, &QTableView::activated, this, choose);
      grids_[name] = m;
      w = v;
      break;
    }
  }
  w->setObjectName(Q(name));
  tab_order_dirty_ = true;
  return w;
}

void FormWindow::SyncControl(const Control& c, QWidget* w) {
  w->setGeometry(Px(c.left), Px(c.top), Px(c.width), Px(c.height));
  if (!c.font.empty()) {
    QFont f = w->font();
    if (f.family() != Q(c.font)) {
      f.setFamily(Q(c.font));
      w->setFont(f);
    }
  }
  switch (c.kind) {
    case ControlKind::Label: {
      auto* l = static_cast<QLabel*>(w);
      if (l->text() != Q(c.text)) l->setText(Q(c.text));
      l->setWordWrap(true);
      break;
    }
    case ControlKind::TextBox:
      if (auto* e = qobject_cast<QLineEdit*>(w)) {
        if (e->text() != Q(c.text)) e->setText(Q(c.text));
      } else if (auto* p = qobject_cast<QPlainTextEdit*>(w)) {
        if (p->toPlainText() != Q(c.text)) p->setPlainText(Q(c.text));
      }
      break;
    case ControlKind::Button: {
      auto* b = static_cast<QPushButton*>(w);
      if (b->text() != Q(c.text)) b->setText(Q(c.text));
      break;
    }
    case ControlKind::ProgressBar: {
      auto* p = static_cast<QProgressBar*>(w);
      p->setRange(c.minimum, c.maximum);
      p->setValue(std::clamp(c.value, c.minimum, c.maximum));
      break;
    }
    case ControlKind::DatePicker: {
      auto* d = static_cast<QDateEdit*>(w);
      if (d->displayFormat() != DateFormatOf(c)) d->setDisplayFormat(DateFormatOf(c));
      QDate date = DateOfSerial(c.date);
      if (d->date() != date) d->setDate(date);
      break;
    }
    case ControlKind::Grid: {
      auto* v = static_cast<QTableView*>(w);
      if (grids_[c.name]->SetFrom(c)) {
        v->resizeColumnsToContents();
        v->horizontalHeader()->setStretchLastSection(true);
      }
      int current = v->currentIndex().isValid() ? v->currentIndex().row() : -1;
      if (c.current_row >= 0 && c.current_row < static_cast<int>(c.rows.size())) {
        if (current != c.current_row) v->selectRow(c.current_row);
      } else if (current >= 0) {
        v->clearSelection();
        v->setCurrentIndex(QModelIndex());
      }
      break;
    }
  }
  if (w->isVisibleTo(this) != c.visible) w->setVisible(c.visible);
}

void FormWindow::SyncTabOrder() {
  if (!form_ || !tab_order_dirty_) return;
  tab_order_dirty_ = false;
  std::vector<const Control*> order;
  for (const Control& c : form_->controls()) order.push_back(&c);
  std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
    return a->tab_index < b->tab_index;
  });
  QWidget* previous = nullptr;
  for (const Control* c : order) {
    QWidget* w = ControlWidget(c->name);
    if (!w || c->kind == ControlKind::Label || c->kind == ControlKind::ProgressBar) continue;
    if (previous) setTabOrder(previous, w);
    previous = w;
  }
}

void FormWindow::Sync() {
  if (!form_) return;
  syncing_ = true;
  setWindowTitle(Q(form_->caption()));
  // The client area keeps the form's size; the window is at least wide
  // enough for its caption in the title bar, the client area centred in it.
  const int client_width = Px(form_->width()), client_height = Px(form_->height());
  const int menu_height = menu_ ? menu_->sizeHint().height() : 0;
  const int caption_width =
      QFontMetrics(QApplication::font()).horizontalAdvance(Q(form_->caption())) + kTitleBarExtra;
  const int width = std::max(client_width, caption_width);
  if (menu_) menu_->setGeometry(0, 0, width, menu_height);
  client_->setGeometry((width - client_width) / 2, menu_height, client_width, client_height);
  setFixedSize(width, client_height + menu_height);
  std::set<std::string> present;
  for (const Control& c : form_->controls()) {
    present.insert(c.name);
    QWidget* w = ControlWidget(c.name);
    if (!w) w = widgets_[c.name] = Make(c);
    SyncControl(c, w);
  }
  for (auto it = widgets_.begin(); it != widgets_.end();) {
    if (present.count(it->first)) {
      ++it;
      continue;
    }
    grids_.erase(it->first);
    it->second->deleteLater();
    it = widgets_.erase(it);
  }
  SyncTabOrder();
  syncing_ = false;
}

void FormWindow::closeEvent(QCloseEvent* event) {
  if (form_ && form_->visible()) {
    // Closing by the frame: the model hides the form and tells its owner.
    event->ignore();
    ActDismiss(*form_);
    return;
  }
  QDialog::closeEvent(event);
}

void FormWindow::reject() {
  // Escape leaves a dialog as its exit button does, or, without one, as its
  // frame's close box does. The program's own window and the progress and
  // wait windows stay.
  if (!form_ || !form_->visible() || form_->role() != FormRole::Dialog) return;
  for (const Control& c : form_->controls())
    if (IsExitButton(c)) {
      ActPress(*form_, c.name);
      return;
    }
  close();
}

}  // namespace kassa::ui::qt
