#include "platform/host/xml_runs.h"

#include <string_view>
#include <utility>

namespace kassa::host {

namespace {

bool Blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Where the start tag whose name ends at `from` ends: its '>' outside
// quoted attribute values; npos when that has not arrived yet.
size_t TagEnd(const std::string& s, size_t from) {
  char quote = 0;
  for (size_t i = from; i < s.size(); ++i) {
    const char c = s[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i;
    }
  }
  return std::string::npos;
}

// Where a search for `what` in `s` goes on after it found nothing: text that
// may still be the start of `what` is searched again.
size_t Resume(const std::string& s, const std::string& what) {
  return s.size() >= what.size() ? s.size() - what.size() + 1 : 0;
}

}  // namespace

XmlRuns::XmlRuns(std::string container, std::string child, size_t run_size, HeadFn head, RunFn run)
    : start_("<" + container),
      end_("</" + container),
      child_end_("</" + child + ">"),
      run_size_(run_size),
      head_(std::move(head)),
      run_(std::move(run)) {}

void XmlRuns::Feed(std::string_view block) {
  if (state_ == State::Refused) return;
  if (state_ == State::Done) {
    tail_.append(block);
    return;
  }
  pending_.append(block);
  if (state_ == State::Head) FindContainer();
  if (state_ == State::Runs) TakeRuns();
}

bool XmlRuns::Finish() {
  const bool taken = state_ == State::Done;
  pending_.clear();
  pending_.shrink_to_fit();
  return taken;
}

void XmlRuns::FindContainer() {
  for (;;) {
    const size_t p = pending_.find(start_, searched_);
    if (p == std::string::npos) {
      searched_ = Resume(pending_, start_);
      return;
    }
    const size_t name_end = p + start_.size();
    if (name_end >= pending_.size()) {  // the next character decides
      searched_ = p;
      return;
    }
    const char next = pending_[name_end];
    if (!Blank(next) && next != '/' && next != '>') {  // a longer name
      searched_ = p + 1;
      continue;
    }
    const size_t gt = TagEnd(pending_, name_end);
    if (gt == std::string::npos) {
      searched_ = p;
      return;
    }
    const bool empty = pending_[gt - 1] == '/';
    std::string head = pending_.substr(0, p);
    pending_.erase(0, gt + 1);
    searched_ = 0;
    if (!head_(head)) {
      state_ = State::Refused;
      pending_.clear();
      return;
    }
    state_ = empty ? State::Done : State::Runs;
    if (empty) {
      tail_ = std::move(pending_);
      pending_.clear();
    }
    return;
  }
}

void XmlRuns::TakeRuns() {
  // The container's end tag: "</sheetData", blanks, '>'.
  for (;;) {
    const size_t e = pending_.find(end_, searched_);
    if (e == std::string::npos) {
      searched_ = Resume(pending_, end_);
      break;
    }
    size_t i = e + end_.size();
    while (i < pending_.size() && Blank(pending_[i])) ++i;
    if (i >= pending_.size()) {  // the rest of the tag has not arrived
      searched_ = e;
      break;
    }
    if (pending_[i] != '>') {  // a longer name
      searched_ = e + 1;
      continue;
    }
    if (e > 0 && !Hand(e)) return;
    state_ = State::Done;
    tail_ = pending_.substr(i + 1 - e);  // Hand dropped the run before the end tag
    pending_.clear();
    return;
  }
  if (pending_.size() < run_size_) return;
  // Only text not searched before is searched: a part of blanks or of one
  // endless child costs its length, not its length times its blocks.
  const size_t from = child_searched_;
  const size_t cut = std::string_view(pending_).substr(from).rfind(child_end_);
  if (cut == std::string_view::npos) {
    child_searched_ = Resume(pending_, child_end_);
    return;
  }
  if (Hand(from + cut + child_end_.size())) child_searched_ = Resume(pending_, child_end_);
}

bool XmlRuns::Hand(size_t size) {
  if (!run_(pending_.data(), size)) {
    state_ = State::Refused;
    pending_.clear();
    return false;
  }
  pending_.erase(0, size);
  searched_ = searched_ > size ? searched_ - size : 0;
  return true;
}

}  // namespace kassa::host
