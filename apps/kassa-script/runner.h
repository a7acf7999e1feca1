// The headless scenario runner: the scripted user of the host, the
// components and the UI port.
//
// The runner reads the scenario's next line whenever the program waits for
// the user: at top level, inside a wait of the UI port, and at a message box
// that has no queued answer when the next line is an `answer`; never during
// a pause. Every executed line is echoed as "> <line>"; what the user sees
// follows as transcript lines on standard output. A message box nobody
// answers, a wait after the last line, an unknown command or a command that
// cannot be carried out ends the run: "FAIL <why>" and exit status 1.
//
// Conventions of the commands: cells and ranges are A1 addresses on the
// active sheet (a bare number names a whole row); `choose <form> <row>`
// counts the rows of the form's first grid from 1; forms are acted on only
// while shown; a "FILE <path>" line names a file inside the current folder
// as "./<path relative to it>"; `db` commands work as root in db_pnr_l with
// the port and password of <deploy>/Pass_Parametrs.ini.
#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "apps/kassa-script/database.h"
#include "apps/kassa-script/host_driver.h"
#include "apps/kassa-script/script.h"
#include "platform/host/host.h"
#include "platform/ui/script/scripted.h"

namespace kassa::script {

class Runner {
 public:
  // `deploy`: where the installer and Pass_Parametrs.ini live; `tools`:
  // the folder of the kassa-db control script; `driver`: the workbook host
  // (the in-memory host when null); `backend`: the scripted user interface
  // (a plain ScriptedBackend when null; a subclass may also show what it
  // records).
  Runner(Script script, const std::string& deploy, const std::string& tools,
         std::unique_ptr<HostDriver> driver = nullptr,
         std::unique_ptr<ui::ScriptedBackend> backend = nullptr);
  ~Runner();
  // Runs every line; returns 0 after the last one (failures end the process).
  int Run();
  // Ends the run early: "FAIL <why>" and exit status 1; never returns.
  [[noreturn]] void Fail(const std::string& why);
  // Writes one transcript line.
  void Out(const std::string& line);
  // Where transcript lines go (standard output unless set).
  void SetOutput(std::FILE* out) { out_ = out; }

 private:
  void Execute(const Line& line);
  void Arity(const Line& line, size_t min_words, size_t max_words);
  std::optional<ui::Answer> AnswerFromScript();
  bool NextAction();

  void DoDb(const Line& line);
  void DoClock(const Line& line);
  void DoHost(const Line& line);
  void DoShow(const Line& line);
  void DoForm(const Line& line);
  void DoPaydesk(const Line& line);

  void Address(const std::string& a1, long& r1, int& c1, long& r2, int& c2);
  ui::Form& VisibleForm(const std::string& name);

  Script script_;
  std::unique_ptr<ui::ScriptedBackend> own_backend_;
  ui::ScriptedBackend& backend_;
  Database db_;
  std::unique_ptr<HostDriver> driver_;
  const Line* current_ = nullptr;
  // `unasked <buttons> <answer>`: the standing answer of boxes of that kind.
  std::map<ui::Buttons, ui::Answer> unasked_;
  std::FILE* out_ = stdout;
};

}  // namespace kassa::script
