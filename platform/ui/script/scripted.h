// The scripted backend of the UI port, for tests and the scenario runner.
//
// Every message box is recorded (text, buttons, title) and answered from the
// queue of answers; with the queue empty the AnswerSource is asked (the
// runner reads its next line if it is an `answer`); with no answer at all
// the Unanswered handler decides (default: record a failure and take the
// first button). Pauses advance a virtual clock and consume no user action.
// WaitUntil runs the ActionSource (the runner's next lines) until the
// condition holds. Everything the user would see goes to the transcript:
//   MSG <buttons> "<title>" "<text>"   ANSWER <x>
//   WAIT "<text>"  WAIT-CLOSE          PROGRESS "<text>" [bar <n>]  PROGRESS-HIDE
//   FORM-SHOW <form>  FORM-HIDE <form> and every Note() line (SQL "...", FILE ...)
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/ui.h"

namespace kassa::ui {

struct RecordedMessage {
  std::string text;
  Buttons buttons;
  std::string title;
  Answer answer;
};

class ScriptedBackend : public Backend {
 public:
  // The virtual clock starts at `start` (a serial date and time; 0 = the
  // real current local time) and the monotonic clock at 1000 s.
  explicit ScriptedBackend(double start = 0);
  // Uninstalls itself when it is the backend in effect.
  ~ScriptedBackend() override;

  // Answers for the next message boxes, in order.
  void QueueAnswer(Answer a) { answers_.push_back(a); }
  std::deque<Answer>& queued_answers() { return answers_; }
  // Asked when the queue is empty: an answer, or nullopt.
  std::function<std::optional<Answer>()> answer_source;
  // Runs one more user action; false when there are none left.
  std::function<bool()> action_source;
  // Called for a message box nobody answered; returns the answer to take.
  // Default: records "message box without an answer" in failures() and
  // answers with the first button. An answer that is not one of the box's
  // buttons (Yes for an OK box) counts as no answer: it is recorded in
  // failures() and the box goes to this handler.
  std::function<Answer(const RecordedMessage&)> unanswered;

  const std::vector<RecordedMessage>& messages() const { return messages_; }
  const std::vector<std::string>& transcript() const { return transcript_; }
  const std::vector<std::string>& failures() const { return failures_; }
  void ClearTranscript() {
    transcript_.clear();
    messages_.clear();
  }
  // Each transcript line is also passed here as it is written (the runner prints it).
  std::function<void(const std::string&)> on_line;

  void SetTrace(bool on) { trace_ = on; }
  void Advance(double seconds);  // moves both clocks forward (never back)
  void SetNow(double serial);    // sets the wall clock (date and time)

  // Backend
  Answer Message(const std::string& text, Buttons buttons, const std::string& title) override;
  void ShowForm(Form& f) override;
  void HideForm(Form& f) override;
  void RepaintForm(Form& f) override;
  void FormDestroyed(Form& f) override;
  void Pause(int ms) override;
  bool WaitUntil(const std::function<bool()>& done) override;
  void ProcessEvents() override {}
  double TimeOfDay() override;
  double Now() override;
  double Monotonic() override { return monotonic_; }
  void ReportError(const std::string& text) override;
  void Note(const std::string& line) override;
  bool TraceSql() const override { return trace_; }

 private:
  void Emit(const std::string& line);
  void EmitProgress(const Form& f);
  std::optional<Answer> NextAnswer(Buttons buttons);
  std::deque<Answer> answers_;
  std::vector<RecordedMessage> messages_;
  std::vector<std::string> transcript_;
  std::vector<std::string> failures_;
  double now_;  // serial date and time
  double monotonic_ = 1000;
  bool trace_ = false;
  // last PROGRESS line written per form, to write only what changed
  std::vector<std::pair<const Form*, std::string>> progress_seen_;
  // forms whose FORM-SHOW / WAIT / PROGRESS was written and not yet hidden
  std::vector<const Form*> shown_;
};

}  // namespace kassa::ui
