// Cutting the text of a large XML part, block by block as it is inflated,
// into pieces that parse on their own, so that a worksheet's rows or a
// workbook's shared strings are never held whole, as text or as a tree.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kassa::host {

// The part is taken as: the text before a container element (`container`,
// such as "sheetData"), the container's start tag, its children, its end
// tag, and the rest. XmlRuns hands out the text before the container once
// the container's start tag is complete, then the children in runs: a run
// ends right after an end tag "</child>" and is handed out once at least
// `run_size` bytes wait; the last run ends at the container's end tag. The
// rest of the part (after the container's end tag) is kept as the tail. An
// empty container ("<sheetData/>") gives the head and no run.
//
// A run is cut after the last "</child>" that has arrived; when that text
// lies inside a comment, a CDATA section, an attribute or a nested element
// of the same name, the run does not parse on its own, the run callback
// refuses it and the part must be read whole instead (Finish is false).
class XmlRuns {
 public:
  // Each callback may change the text it is given (a parser may work in
  // place); false refuses it, and nothing more is handed out.
  using HeadFn = std::function<bool(std::string& head)>;
  using RunFn = std::function<bool(char* text, size_t size)>;

  XmlRuns(std::string container, std::string child, size_t run_size, HeadFn head, RunFn run);
  // The next block of the part's text.
  void Feed(std::string_view block);
  // After the last block: true when the container was found and ended, and
  // the head and every run were taken.
  bool Finish();
  // After Finish: the text after the container's end tag (the root's end
  // tag included); the caller may change it.
  std::string& Tail() { return tail_; }

 private:
  enum class State { Head, Runs, Done, Refused };
  void FindContainer();
  void TakeRuns();
  bool Hand(size_t size);  // hands the first `size` bytes as a run and drops them

  std::string start_, end_, child_end_;  // "<sheetData", "</sheetData", "</row>"
  size_t run_size_;
  HeadFn head_;
  RunFn run_;
  State state_ = State::Head;
  std::string pending_;
  std::string tail_;
  size_t searched_ = 0;        // pending_ before this holds no container tag
  size_t child_searched_ = 0;  // pending_ before this holds no child's end tag
};

}  // namespace kassa::host
