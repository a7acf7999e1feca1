#include "ledgertools/archive_name.h"

#include "ledgertools/texts.h"
#include "platform/variant/variant.h"

namespace kassa::ledgertools {

namespace {

// The text without its last `count` UTF-8 characters.
std::string DropLastChars(const std::string& s, int count) {
  std::size_t end = s.size();
  while (count > 0 && end > 0) {
    --end;
    // step back over continuation bytes to the start of the character
    while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
    --count;
  }
  return s.substr(0, end);
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
