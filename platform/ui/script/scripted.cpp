// The scripted backend: a recorded, scenario-driven user.
#include "platform/ui/script/scripted.h"

#include <algorithm>
#include <cmath>

namespace kassa::ui {
namespace {

bool Fits(Answer a, Buttons b) {
  switch (b) {
    case Buttons::OK:
      return a == Answer::OK;
    case Buttons::OKCancel:
      return a == Answer::OK || a == Answer::Cancel;
    case Buttons::YesNo:
      return a == Answer::Yes || a == Answer::No;
    case Buttons::YesNoCancel:
      return a != Answer::OK;
  }
  return false;
}

Answer FirstButton(Buttons b) {
  return b == Buttons::YesNo || b == Buttons::YesNoCancel ? Answer::Yes : Answer::OK;
}

const Control* FirstOfKind(const Form& f, ControlKind kind) {
  for (const Control& c : f.controls())
    if (c.kind == kind) return &c;
  return nullptr;
}

std::string LabelText(const Form& f) {
  const Control* label = FirstOfKind(f, ControlKind::Label);
  return label ? label->text : std::string();
}

}  // namespace

ScriptedBackend::ScriptedBackend(double start) : now_(start != 0 ? start : ConsoleBackend().Now()) {
  unanswered = [this](const RecordedMessage& m) {
    failures_.push_back("message box without an answer: " + Quote(m.text));
    return FirstButton(m.buttons);
  };
}

ScriptedBackend::~ScriptedBackend() {
  if (&Port() == this) Install(nullptr);
}

void ScriptedBackend::Emit(const std::string& line) {
  transcript_.push_back(line);
  if (on_line) on_line(line);
}

std::optional<Answer> ScriptedBackend::NextAnswer(Buttons buttons) {
  std::optional<Answer> a;
  if (!answers_.empty()) {
    a = answers_.front();
    answers_.pop_front();
  } else if (answer_source) {
    a = answer_source();
  }
  if (a && !Fits(*a, buttons)) {
    failures_.push_back(std::string("answer ") + ToString(*a) +
                        " is not a button of the message box (" + ToString(buttons) + ")");
    a.reset();
  }
  return a;
}

Answer ScriptedBackend::Message(const std::string& text, Buttons buttons,
                                const std::string& title) {
  Emit(std::string("MSG ") + ToString(buttons) + " " + Quote(title) + " " + Quote(text));
  RecordedMessage m{text, buttons, title, FirstButton(buttons)};
  std::optional<Answer> a = NextAnswer(buttons);
  m.answer = a ? *a : (unanswered ? unanswered(m) : FirstButton(buttons));
  messages_.push_back(m);
  Emit(std::string("ANSWER ") + ToString(m.answer));
  return m.answer;
}

void ScriptedBackend::EmitProgress(const Form& f) {
  std::string text = LabelText(f);
  const Control* bar = FirstOfKind(f, ControlKind::ProgressBar);
  bool with_bar = bar && bar->visible;
  // A line is written when the text or the bar's visibility changed; a
  // moving bar alone writes nothing.
  std::string key = text + (with_bar ? "\x01"
                                       "bar"
                                     : "\x01");
  auto seen = std::find_if(progress_seen_.begin(), progress_seen_.end(),
                           [&](const auto& p) { return p.first == &f; });
  if (seen != progress_seen_.end() && seen->second == key) return;
  if (seen == progress_seen_.end())
    progress_seen_.emplace_back(&f, key);
  else
    seen->second = key;
  std::string line = "PROGRESS " + Quote(text);
  if (with_bar) line += " bar " + std::to_string(bar->value);
  Emit(line);
}

void ScriptedBackend::ShowForm(Form& f) {
  bool was_shown = std::find(shown_.begin(), shown_.end(), &f) != shown_.end();
  if (!was_shown) shown_.push_back(&f);
  switch (f.role()) {
    case FormRole::Progress:
      EmitProgress(f);
      break;
    case FormRole::Wait: {
      // The wait text is written when the box appears or shows a new text.
      std::string text = LabelText(f);
      auto seen = std::find_if(progress_seen_.begin(), progress_seen_.end(),
                               [&](const auto& p) { return p.first == &f; });
      if (was_shown && seen != progress_seen_.end() && seen->second == text) break;
      if (seen == progress_seen_.end())
        progress_seen_.emplace_back(&f, text);
      else
        seen->second = text;
      Emit("WAIT " + Quote(text));
      break;
    }
    case FormRole::Dialog:
    case FormRole::Main:
      if (!was_shown) Emit("FORM-SHOW " + f.name());
      break;
  }
}

void ScriptedBackend::HideForm(Form& f) {
  auto it = std::find(shown_.begin(), shown_.end(), &f);
  if (it == shown_.end()) return;
  shown_.erase(it);
  progress_seen_.erase(std::remove_if(progress_seen_.begin(), progress_seen_.end(),
                                      [&](const auto& p) { return p.first == &f; }),
                       progress_seen_.end());
  switch (f.role()) {
    case FormRole::Progress:
      Emit("PROGRESS-HIDE");
      break;
    case FormRole::Wait:
      Emit("WAIT-CLOSE");
      break;
    case FormRole::Dialog:
    case FormRole::Main:
      Emit("FORM-HIDE " + f.name());
      break;
  }
}

void ScriptedBackend::RepaintForm(Form& f) {
  if (f.role() == FormRole::Progress && f.visible() &&
      std::find(shown_.begin(), shown_.end(), &f) != shown_.end())
    EmitProgress(f);
}

void ScriptedBackend::FormDestroyed(Form& f) {
  shown_.erase(std::remove(shown_.begin(), shown_.end(), &f), shown_.end());
  progress_seen_.erase(std::remove_if(progress_seen_.begin(), progress_seen_.end(),
                                      [&](const auto& p) { return p.first == &f; }),
                       progress_seen_.end());
}

void ScriptedBackend::Advance(double seconds) {
  if (!(seconds > 0)) return;
  now_ += seconds / 86400.0;
  monotonic_ += seconds;
}

void ScriptedBackend::SetNow(double serial) {
  now_ = serial;
}

void ScriptedBackend::Pause(int ms) {
  if (ms > 0) Advance(ms / 1000.0);
}

bool ScriptedBackend::WaitUntil(const std::function<bool()>& done) {
  while (!done()) {
    if (!action_source || !action_source()) return done();
  }
  return true;
}

double ScriptedBackend::TimeOfDay() {
  double day = std::floor(now_);
  double seconds = (now_ - day) * 86400.0;
  // Rounded to the millisecond so that whole seconds stay whole.
  seconds = std::round(seconds * 1000.0) / 1000.0;
  return seconds >= 86400.0 ? 0.0 : seconds;
}

double ScriptedBackend::Now() {
  return now_;
}

void ScriptedBackend::ReportError(const std::string& text) {
  Emit("ERROR " + text);
}

void ScriptedBackend::Note(const std::string& line) {
  Emit(line);
}

}  // namespace kassa::ui
