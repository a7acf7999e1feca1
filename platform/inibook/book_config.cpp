// Parsing the workbook configuration file.
#include "platform/inibook/book_config.h"

#include <fstream>
#include <sstream>

#include "platform/inibook/texts.h"

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
    out = BookConfig{};
    error = texts::AtLine(n, what);
    return false;
  };
  while (std::getline(in, line)) {
    ++n;
    if (n == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);  // byte-order mark
    std::string t = Trim(line);
    if (t.empty() || t[0] == '#' || t[0] == ';') continue;
    if (t[0] == '[') {
      if (t.back() != ']' || t.size() < 3) return fail(texts::kBadSection);
      std::string name = Trim(t.substr(1, t.size() - 2));
      if (out.Find(name)) return fail(texts::kSheetTwice + name);
      out.sheets.push_back(SheetConfig{});
      sheet = &out.sheets.back();
      sheet->name = name;
      continue;
    }
    auto eq = t.find('=');
    if (eq == std::string::npos) return fail(texts::kNoEquals);
    if (!sheet) return fail(texts::kBeforeSheet);
    std::string key = Trim(t.substr(0, eq)), value = Trim(t.substr(eq + 1));
    if (key == "table") {
      sheet->table = value;
    } else if (key == "id") {
      sheet->id_column = value;
    } else if (key == "change" || key == "save" || key == "ask") {
      bool& sw = key == "change" ? sheet->sync_on_change
                 : key == "save" ? sheet->sync_on_save
                                 : sheet->ask_on_close;
      if (!ParseSwitch(value, sw)) return fail(texts::kBadSwitch + value);
    } else if (key == "column") {
      std::vector<std::string> f;
      size_t start = 0;
      for (;;) {
        size_t bar = value.find('|', start);
        f.push_back(Trim(value.substr(start, bar - start)));
        if (bar == std::string::npos) break;
        start = bar + 1;
      }
      if (f.size() != 2 && f.size() != 5) return fail(texts::kColumnFields);
      bool known = false;
      for (const char* type : kTypes) known = known || f[1] == type;
      if (!known) return fail(texts::kUnknownType + f[1]);
      if (f[0].empty() && f[1] != "Calc") return fail(texts::kNoField);
      ColumnDesc c;
      c.field = f[0];
      c.type = f[1];
      if (f.size() == 5) {
        if (f[2].empty() || f[3].empty() || f[4].empty()) return fail(texts::kIncompleteLookup);
        c.dict_table = f[2];
        c.dict_key = f[3];
        c.dict_value = f[4];
      }
      sheet->columns.push_back(c);
    } else {
      return fail(texts::kUnknownKey + key);
    }
  }
  return true;
}

std::optional<std::string> ReadConfigFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream ss;
  ss << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return ss.str();
}

std::string BookNameOf(const std::string& progid) {
  const std::string head = "INI_", tail = ".Ini_Book";
  if (progid.size() <= head.size() + tail.size()) return "";
  if (progid.compare(0, head.size(), head) != 0) return "";
  if (progid.compare(progid.size() - tail.size(), tail.size(), tail) != 0) return "";
  return progid.substr(head.size(), progid.size() - head.size() - tail.size());
}

}  // namespace kassa::inibook
