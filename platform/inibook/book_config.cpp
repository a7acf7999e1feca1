// Parsing the workbook configuration file.
#include "platform/inibook/book_config.h"

#include <fstream>
#include <sstream>

namespace kassa::inibook {

namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n"), e = s.find_last_not_of(" \t\r\n");
  return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

bool ParseSwitch(const std::string& v, bool& out) {
  if (v == "yes" || v == "true" || v == "1" || v == "да") return out = true, true;
  if (v == "no" || v == "false" || v == "0" || v == "нет") return out = false, true;
  return false;
}

const char* const kTypes[] = {"Dat", "Str", "Doub", "Tim", "Integ", "Calc"};

}  // namespace

const SheetConfig* BookConfig::Find(const std::string& sheet_name) const {
  for (const SheetConfig& s : sheets)
    if (s.name == sheet_name) return &s;
  return nullptr;
}

bool ParseBookConfig(const std::string& text, BookConfig& out, std::string& error) {
  out = BookConfig{};
  std::istringstream in(text);
  std::string line;
  int n = 0;
  SheetConfig* sheet = nullptr;
  auto fail = [&](const std::string& what) {
    error = "line " + std::to_string(n) + ": " + what;
    return false;
  };
  while (std::getline(in, line)) {
    ++n;
    if (n == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);  // byte-order mark
    std::string t = Trim(line);
    if (t.empty() || t[0] == '#' || t[0] == ';') continue;
    if (t[0] == '[') {
      if (t.back() != ']' || t.size() < 3) return fail("bad section header");
      std::string name = Trim(t.substr(1, t.size() - 2));
      if (out.Find(name)) return fail("sheet listed twice: " + name);
      out.sheets.push_back(SheetConfig{});
      sheet = &out.sheets.back();
      sheet->name = name;
      continue;
    }
    auto eq = t.find('=');
    if (eq == std::string::npos) return fail("expected key = value");
    if (!sheet) return fail("a setting before the first [sheet]");
    std::string key = Trim(t.substr(0, eq)), value = Trim(t.substr(eq + 1));
    if (key == "table") {
      sheet->table = value;
    } else if (key == "id") {
      sheet->id_column = value;
    } else if (key == "change" || key == "save" || key == "ask") {
      bool& sw = key == "change" ? sheet->sync_on_change
                 : key == "save" ? sheet->sync_on_save
                                 : sheet->ask_on_close;
      if (!ParseSwitch(value, sw)) return fail("switch must be yes or no: " + value);
    } else if (key == "column") {
      std::vector<std::string> f;
      size_t start = 0;
      for (;;) {
        size_t bar = value.find('|', start);
        f.push_back(Trim(value.substr(start, bar - start)));
        if (bar == std::string::npos) break;
        start = bar + 1;
      }
      if (f.size() != 2 && f.size() != 5) return fail("column needs 2 or 5 fields");
      bool known = false;
      for (const char* type : kTypes) known = known || f[1] == type;
      if (!known) return fail("unknown column type: " + f[1]);
      if (f[0].empty() && f[1] != "Calc") return fail("column without a field");
      ColumnDesc c;
      c.field = f[0];
      c.type = f[1];
      if (f.size() == 5) {
        if (f[2].empty() || f[3].empty() || f[4].empty()) return fail("incomplete lookup");
        c.dict_table = f[2];
        c.dict_key = f[3];
        c.dict_value = f[4];
      }
      sheet->columns.push_back(c);
    } else {
      return fail("unknown key: " + key);
    }
  }
  return true;
}

bool LoadBookConfig(const std::string& path, BookConfig& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  std::stringstream ss;
  ss << in.rdbuf();
  if (!ParseBookConfig(ss.str(), out, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

std::string BookNameOf(const std::string& progid) {
  const std::string head = "INI_", tail = ".Ini_Book";
  if (progid.size() <= head.size() + tail.size()) return "";
  if (progid.compare(0, head.size(), head) != 0) return "";
  if (progid.compare(progid.size() - tail.size(), tail.size(), tail) != 0) return "";
  return progid.substr(head.size(), progid.size() - head.size() - tail.size());
}

}  // namespace kassa::inibook
