// Cutting a large XML part into runs of whole children as it arrives.
#include "platform/host/xml_runs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kassa::host {
namespace {

struct Taken {
  std::vector<std::string> heads, runs;
  std::string tail;
  bool finished = false;
};

// Feeds `text` in blocks of `block` bytes.
Taken Cut(const std::string& text, size_t block, size_t run_size, bool refuse_second_run = false) {
  Taken t;
  XmlRuns runs(
      "sheetData", "row", run_size,
      [&t](std::string& head) {
        t.heads.push_back(head);
        return true;
      },
      [&t, refuse_second_run](char* text, size_t size) {
        if (refuse_second_run && t.runs.size() == 1) return false;
        t.runs.emplace_back(text, size);
        return true;
      });
  for (size_t at = 0; at < text.size(); at += block)
    runs.Feed(std::string_view(text).substr(at, block));
  t.finished = runs.Finish();
  t.tail = runs.Tail();
  return t;
}

std::string Joined(const std::vector<std::string>& runs) {
  std::string all;
  for (const std::string& r : runs) all += r;
  return all;
}

const std::string kHead =
    "<?xml version=\"1.0\"?>\n<worksheet><cols><col min=\"1\" max=\"1\"/></cols>"
    "<sheetDataX>not this</sheetDataX>";
const std::string kRows =
    "\n<row r=\"1\"><c><v>1</v></c></row><row r=\"2\"/>"
    "<row r=\"3\"><c t=\"inlineStr\"><is><t>a &lt;b&gt;</t></is></c></row>\n"
    "<row r=\"4\"><c><v>4</v></c></row >\n";

TEST(XmlRuns, RunsAreWholeChildrenWhateverTheBlocks) {
  const std::string text = kHead + "<sheetData a=\"x>y\">" + kRows + "</sheetData >" +
                           "<sheetData><row>ignored</row></sheetData></worksheet>";
  for (size_t block : {size_t{1}, size_t{3}, size_t{17}, text.size()}) {
    for (size_t run_size : {size_t{1}, size_t{40}, size_t{1} << 20}) {
      SCOPED_TRACE("block " + std::to_string(block) + ", run size " + std::to_string(run_size));
      Taken t = Cut(text, block, run_size);
      EXPECT_TRUE(t.finished);
      ASSERT_EQ(t.heads.size(), 1u);
      EXPECT_EQ(t.heads[0], kHead);
      EXPECT_EQ(Joined(t.runs), kRows);  // nothing lost, nothing after the container
      // What follows the container's end tag is kept whole.
      EXPECT_EQ(t.tail, "<sheetData><row>ignored</row></sheetData></worksheet>");
      for (size_t i = 0; i + 1 < t.runs.size(); ++i)
        EXPECT_TRUE(t.runs[i].ends_with("</row>")) << t.runs[i];
      if (run_size == 1 && block == 1) {
        EXPECT_EQ(t.runs.size(), 3u);  // after each "</row>" ("</row >" is left to the end)
      }
      if (run_size > text.size()) {
        EXPECT_EQ(t.runs.size(), 1u);
      }
    }
  }
}

TEST(XmlRuns, AnEmptyContainerGivesTheHeadOnly) {
  Taken t = Cut(kHead + "<sheetData/><other/></worksheet>", 5, 1);
  EXPECT_TRUE(t.finished);
  ASSERT_EQ(t.heads.size(), 1u);
  EXPECT_EQ(t.heads[0], kHead);
  EXPECT_TRUE(t.runs.empty());
  EXPECT_EQ(t.tail, "<other/></worksheet>");
}

TEST(XmlRuns, AMissingOrUnendedContainerOrARefusedRunIsNotTaken) {
  EXPECT_FALSE(Cut(kHead + "</worksheet>", 4, 1).finished);
  Taken unended = Cut(kHead + "<sheetData>" + kRows, 4, 1);
  EXPECT_FALSE(unended.finished);
  Taken refused = Cut(kHead + "<sheetData>" + kRows + "</sheetData>", 1, 1, true);
  EXPECT_FALSE(refused.finished);
  EXPECT_EQ(refused.runs.size(), 1u);  // nothing is handed out after the refusal
}

}  // namespace
}  // namespace kassa::host
