#include "ledgertools/archive_name.h"

#include "ledgertools/texts.h"
#include "platform/variant/text.h"
#include "platform/variant/variant.h"

namespace kassa::ledgertools {

namespace {

// The text without its last `count` characters.
std::string DropLastChars(const std::string& s, int count) {
  const std::size_t chars = CharCount(s);
  const std::size_t keep = chars > static_cast<std::size_t>(count) ? chars - count : 0;
  return s.substr(0, CharOffset(s, keep));
}

}  // namespace

std::string Two_Digits(int n) {
  std::string t = std::to_string(n);
  if (n < 10) t = "0" + t;
  return t;
}

std::string Archive_File_Name(const std::string& folder, const std::string& book_name,
                              double today) {
  const DateParts d = SplitDate(today);
  return folder + texts::kArchivePrefix + DropLastChars(book_name, 4) + texts::kArchiveSeparator +
         Two_Digits(d.day) + Two_Digits(d.month) + Two_Digits(d.year - 2000) +
         texts::kArchiveExtension;
}

}  // namespace kassa::ledgertools
