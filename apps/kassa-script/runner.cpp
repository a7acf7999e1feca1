#include "apps/kassa-script/runner.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "apps/kassa-script/texts.h"
#include "platform/variant/variant.h"

namespace kassa::script {
namespace {

std::optional<ui::Answer> ParseAnswer(const std::string& w) {
  if (w == "OK") return ui::Answer::OK;
  if (w == "Cancel") return ui::Answer::Cancel;
  if (w == "Yes") return ui::Answer::Yes;
  if (w == "No") return ui::Answer::No;
  return std::nullopt;
}

bool IsAnswerLine(const Line* l) {
  return l && l->words[0] == "answer";
}

// "FILE <path>" names a file inside the current folder as "./<relative path>",
// so a transcript does not depend on where the scenario ran.
std::string RelativeFileLine(const std::string& line) {
  static const std::string kFile = "FILE ";
  if (line.rfind(kFile + "/", 0) != 0) return line;
  std::error_code ec;
  std::string cwd = std::filesystem::current_path(ec).string();
  if (ec || cwd.empty()) return line;
  if (cwd.back() != '/') cwd += '/';
  std::string path = line.substr(kFile.size());
  if (path.rfind(cwd, 0) != 0 || path.size() == cwd.size()) return line;
  return kFile + "./" + path.substr(cwd.size());
}

}  // namespace

Runner::Runner(Script script, const std::string& deploy, const std::string& tools,
               std::unique_ptr<HostDriver> driver, std::unique_ptr<ui::ScriptedBackend> backend)
    : script_(std::move(script)),
      own_backend_(backend ? std::move(backend) : std::make_unique<ui::ScriptedBackend>()),
      backend_(*own_backend_),
      db_(deploy, tools),
      driver_(driver ? std::move(driver) : std::make_unique<ModelDriver>()) {
  driver_->fail = [this](const std::string& why) { Fail(why); };
  driver_->out = [this](const std::string& line) { Out(line); };
  backend_.on_line = [this](const std::string& l) { Out(RelativeFileLine(l)); };
  backend_.answer_source = [this] { return AnswerFromScript(); };
  backend_.action_source = [this] { return NextAction(); };
  backend_.unanswered = [this](const ui::RecordedMessage& m) -> ui::Answer {
    if (auto standing = unasked_.find(m.buttons); standing != unasked_.end())
      return standing->second;
    std::string why = texts::kUnansweredBox + ui::Quote(m.text);
    // An answer that does not fit the box was recorded as the reason.
    if (!backend_.failures().empty() && backend_.failures().back().rfind("answer ", 0) == 0)
      why = backend_.failures().back();
    Fail(why);
  };
  ui::Install(&backend_);
}

Runner::~Runner() {
  // The workbooks and their components go while the scripted port still
  // records; the port uninstalls itself afterwards.
  driver_->CloseAll();
}

void Runner::Out(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

void Runner::Fail(const std::string& why) {
  std::string where = current_ ? "line " + std::to_string(current_->number) + ": " : "";
  Out(texts::kFailPrefix + where + why);
  std::fprintf(stderr, "kassa-script: %s%s\n", where.c_str(), why.c_str());
  std::fflush(stderr);
  // The run ends here, whatever the program was doing: no unwinding through
  // the components, no destructors that could still talk to the user.
  std::_Exit(1);
}

void Runner::Arity(const Line& line, size_t min_words, size_t max_words) {
  size_t n = line.words.size();
  if (n < min_words || n > max_words)
    Fail("wrong number of words for " + line.words[0] + ": " + line.text);
}

std::optional<ui::Answer> Runner::AnswerFromScript() {
  if (!IsAnswerLine(script_.Peek())) return std::nullopt;
  const Line* line = script_.Take();
  const Line* outer = current_;
  current_ = line;
  Out("> " + line->text);
  Arity(*line, 2, 2);
  std::optional<ui::Answer> a = ParseAnswer(line->words[1]);
  if (!a) Fail("answer must be OK, Cancel, Yes or No: " + line->text);
  current_ = outer;
  return a;
}

bool Runner::NextAction() {
  const Line* line = script_.Take();
  if (!line) Fail(texts::kWaitAfterLastLine);
  Execute(*line);
  return true;
}

int Runner::Run() {
  // Whatever escapes a step (the host reports its own errors itself) ends
  // the run with the reason, never as an abort.
  try {
    while (const Line* line = script_.Take()) Execute(*line);
  } catch (const std::exception& e) {
    Fail(texts::kInternalError + std::string(e.what()));
  }
  return 0;
}

void Runner::Execute(const Line& line) {
  const Line* outer = current_;
  current_ = &line;
  Out("> " + line.text);
  const std::string& cmd = line.words[0];
  if (cmd == "db") {
    DoDb(line);
  } else if (cmd == "clock") {
    DoClock(line);
  } else if (cmd == "trace") {
    Arity(line, 2, 2);
    if (line.words[1] != "on" && line.words[1] != "off") Fail("trace on|off: " + line.text);
    backend_.SetTrace(line.words[1] == "on");
  } else if (cmd == "answer") {
    Arity(line, 2, 2);
    std::optional<ui::Answer> a = ParseAnswer(line.words[1]);
    if (!a) Fail("answer must be OK, Cancel, Yes or No: " + line.text);
    backend_.QueueAnswer(*a);
  } else if (cmd == "unasked") {
    // A box of these buttons that no line answers takes this answer (a user
    // working for a long time without a script for every question).
    Arity(line, 3, 3);
    static const std::map<std::string, ui::Buttons> kinds = {
        {"OK", ui::Buttons::OK},
        {"OKCancel", ui::Buttons::OKCancel},
        {"YesNo", ui::Buttons::YesNo},
        {"YesNoCancel", ui::Buttons::YesNoCancel}};
    auto kind = kinds.find(line.words[1]);
    std::optional<ui::Answer> a = ParseAnswer(line.words[2]);
    if (kind == kinds.end() || !a)
      Fail("unasked OK|OKCancel|YesNo|YesNoCancel OK|Cancel|Yes|No: " + line.text);
    unasked_[kind->second] = *a;
  } else if (cmd == "show") {
    DoShow(line);
  } else if (cmd == "copy") {
    // The user copies a file (a workbook) in the file manager.
    Arity(line, 3, 3);
    std::error_code ec;
    std::filesystem::copy_file(line.words[1], line.words[2],
                               std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) Fail(texts::kCannotCopy + line.words[1] + ": " + ec.message());
  } else if (cmd == "open" || cmd == "activate" || cmd == "select" || cmd == "type" ||
             cmd == "paste" || cmd == "clear" || cmd == "click" || cmd == "save" ||
             cmd == "saveas" || cmd == "close") {
    DoHost(line);
  } else if (cmd == "fill" || cmd == "press" || cmd == "choose" || cmd == "dismiss") {
    DoForm(line);
  } else if (cmd == "paydesk") {
    DoPaydesk(line);
  } else if (!driver_->Extra(line)) {
    Fail(texts::kUnknownCommand + cmd);
  }
  driver_->Settle();
  current_ = outer;
}

void Runner::DoClock(const Line& line) {
  Arity(line, 2, 2);
  const std::string& w = line.words[1];
  if (!w.empty() && w[0] == '+') {
    char* end = nullptr;
    double s = std::strtod(w.c_str() + 1, &end);
    if (w.size() < 2 || *end != '\0' || !(s >= 0)) Fail("clock +<seconds>: " + line.text);
    backend_.Advance(s);
    return;
  }
  int y, mo, d, h = 0, mi = 0, s = 0;
  char tail = 0;
  int n = std::sscanf(w.c_str(), "%d-%d-%d %d:%d:%d%c", &y, &mo, &d, &h, &mi, &s, &tail);
  if ((n != 3 && n != 6) || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 ||
      mi > 59 || s < 0 || s > 59)
    Fail("clock \"yyyy-mm-dd hh:mm:ss\": " + line.text);
  backend_.SetNow(MakeDate(y, mo, d, h, mi, s));
}

void Runner::DoDb(const Line& line) {
  if (line.words.size() < 2) Fail("db reset|exec|query|stop|start|kill: " + line.text);
  const std::string& sub = line.words[1];
  std::string error;
  bool ok = false;
  if (sub == "reset" || sub == "stop" || sub == "start" || sub == "kill") {
    Arity(line, 2, 2);
    if (sub == "reset") ok = db_.Reset(error);
    if (sub == "stop") ok = db_.StopServer(error);
    if (sub == "start") ok = db_.StartServer(error);
    if (sub == "kill") {
      int killed = 0;
      ok = db_.KillAppConnections(killed, error);
    }
  } else if (sub == "exec") {
    Arity(line, 3, 3);
    ok = db_.Exec(line.words[2], error);
  } else if (sub == "query") {
    Arity(line, 3, 3);
    std::vector<std::vector<std::string>> rows;
    ok = db_.Query(line.words[2], rows, error);
    for (const auto& row : rows) {
      std::string out = "ROW";
      for (size_t i = 0; i < row.size(); ++i) out += (i ? " | " : " ") + row[i];
      Out(out);
    }
  } else {
    Fail("db reset|exec|query|stop|start|kill: " + line.text);
  }
  if (!ok) Fail("db " + sub + ": " + error);
}

}  // namespace kassa::script
