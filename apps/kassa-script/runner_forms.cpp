// The runner's form commands and the cash entry program.
#include <cstdlib>

#include "apps/kassa-script/runner.h"
#include "apps/kassa-script/texts.h"

#ifdef KASSA_HAVE_PAYDESK
#include "paydesk/paydesk.h"
#endif

namespace kassa::script {

ui::Form& Runner::VisibleForm(const std::string& name) {
  ui::Form* f = ui::FindForm(name);
  if (!f) Fail("no form " + name);
  if (!f->visible()) Fail("form " + name + " is not shown");
  return *f;
}

void Runner::DoForm(const Line& line) {
  const std::string& cmd = line.words[0];
  if (cmd == "fill") {
    Arity(line, 4, 4);
    ui::Form& f = VisibleForm(line.words[1]);
    if (driver_->FormAction(f, line)) return;
    if (!ui::ActFill(f, line.words[2], line.words[3]))
      Fail("cannot fill " + line.words[2] + " of " + line.words[1] + " with " +
           ui::Quote(line.words[3]));
  } else if (cmd == "press") {
    Arity(line, 3, 3);
    ui::Form& f = VisibleForm(line.words[1]);
    if (driver_->FormAction(f, line)) return;
    if (!ui::ActPress(f, line.words[2]))
      Fail("no button " + line.words[2] + " on " + line.words[1]);
  } else if (cmd == "choose") {
    // Rows are counted from 1, as the user sees them; the first grid of the form.
    Arity(line, 3, 3);
    ui::Form& f = VisibleForm(line.words[1]);
    char* end = nullptr;
    long row = std::strtol(line.words[2].c_str(), &end, 10);
    if (line.words[2].empty() || *end != '\0' || row < 1) Fail("choose <form> <row from 1>");
    const ui::Control* grid = nullptr;
    for (const ui::Control& c : f.controls())
      if (c.kind == ui::ControlKind::Grid) {
        grid = &c;
        break;
      }
    if (!grid) Fail("form " + line.words[1] + " has no grid");
    std::string name = grid->name;
    if (driver_->FormAction(f, line)) return;
    if (!ui::ActChoose(f, name, static_cast<int>(row - 1)))
      Fail("grid " + name + " of " + line.words[1] + " has no row " + line.words[2]);
  } else if (cmd == "dismiss") {
    Arity(line, 2, 2);
    ui::Form& f = VisibleForm(line.words[1]);
    if (driver_->FormAction(f, line)) return;
    ui::ActDismiss(f);
  }
}

void Runner::DoPaydesk(const Line& line) {
  Arity(line, 1, 1);
#ifdef KASSA_HAVE_PAYDESK
  if (kassa::paydesk::RunPaydesk() != 0) Fail("paydesk: the program could not go on");
#else
  Fail(texts::kNoPaydesk);
#endif
}

}  // namespace kassa::script
