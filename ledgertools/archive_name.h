// The archive copy's file name (pure).
#pragma once

#include <string>

namespace kassa::ledgertools {

// The decimal text of n with "0" put in front when n is below 10.
std::string Two_Digits(int n);

// folder + "/Archiv_" + book name without its last four characters + "_" +
// ddmmyy + ".xls", the date taken from the serial date `today`.
// Characters, not bytes, are removed from the book name; a name of four
// characters or fewer leaves nothing.
std::string Archive_File_Name(const std::string& folder, const std::string& book_name,
                              double today);

}  // namespace kassa::ledgertools
