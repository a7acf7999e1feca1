// Test helper: the text of every part of an .xlsx file, joined (to look for
// what must not be in the file, whatever part it would be in).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace kassa::host::testing {

inline std::string AllPartsText(const std::string& path, const std::string& scratch_dir) {
  namespace fs = std::filesystem;
  fs::remove_all(scratch_dir);
  std::string cmd =
      "python3 -c \"import zipfile,sys; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])\" '" +
      path + "' '" + scratch_dir + "'";
  if (std::system(cmd.c_str()) != 0) return "";
  std::string all;
  for (auto& e : fs::recursive_directory_iterator(scratch_dir))
    if (e.is_regular_file()) {
      std::ifstream in(e.path(), std::ios::binary);
      std::stringstream ss;
      ss << in.rdbuf();
      all += ss.str();
    }
  return all;
}

}  // namespace kassa::host::testing
