// kassa-mkbook <book description> <workbook file>
//
// Builds a workbook from its readable description (see Kassa.book for the
// format) with the spreadsheet host and writes it as a workbook file.
// Exit status 0 on success; 1 with a message on standard error otherwise.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/host/host.h"
#include "platform/inibook/ini_book.h"

namespace {

using kassa::host::Chart;
using kassa::host::Shape;
using kassa::host::Worksheet;

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r"), e = s.find_last_not_of(" \t\r");
  return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

std::vector<std::string> Fields(const std::string& value) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t bar = value.find('|', start);
    out.push_back(Trim(value.substr(start, bar - start)));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return out;
}

// Columns "C" or "A:B" -> first and last column; "-" (none) -> 0 and 0.
bool ParseColumns(const std::string& text, int& first, int& last) {
  if (text == "-") {
    first = last = 0;
    return true;
  }
  std::string a1 = text.find(':') == std::string::npos ? text + ":" + text : text;
  long r1, r2;
  return kassa::host::ParseAddress(a1, r1, first, r2, last) && r1 == 1 &&
         r2 == kassa::host::kMaxRows;
}

struct SheetDescription {
  std::string name, query;
  std::vector<std::string> headers;
  std::vector<double> widths;
  std::vector<std::string> formats;  // number format per column, "" = General
  std::vector<Shape> buttons;
  std::vector<Chart> charts;
  bool active = false;
};

struct BookDescription {
  std::string events, connection;
  std::string configuration;  // the text of the book's configuration file
  std::vector<SheetDescription> sheets;
};

// `folder`: where files the description names are found.
bool Parse(std::istream& in, const std::string& folder, BookDescription& book, std::string& error) {
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    ++n;
    std::string t = Trim(line);
    if (t.empty() || t[0] == '#') continue;
    auto fail = [&](const std::string& what) {
      error = "line " + std::to_string(n) + ": " + what;
      return false;
    };
    if (t[0] == '[') {
      if (t.back() != ']') return fail("bad section header");
      book.sheets.push_back(SheetDescription{});
      book.sheets.back().name = Trim(t.substr(1, t.size() - 2));
      continue;
    }
    auto eq = line.find('=');
    if (eq == std::string::npos) return fail("expected key = value");
    std::string key = Trim(line.substr(0, eq));
    // Values are taken as written after "= " (a trailing blank may matter).
    std::string value = line.substr(eq + 1);
    if (!value.empty() && value[0] == ' ') value.erase(0, value.find_first_not_of(' '));
    if (!value.empty() && value.back() == '\r') value.pop_back();
    if (book.sheets.empty()) {
      if (key == "events")
        book.events = Trim(value);
      else if (key == "connection")
        book.connection = value;
      else if (key == "configuration") {
        std::ifstream file(folder + "/" + Trim(value), std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        if (!file || text.str().empty()) return fail("cannot read " + Trim(value));
        book.configuration = text.str();
      } else
        return fail("unknown book setting: " + key);
      continue;
    }
    SheetDescription& s = book.sheets.back();
    if (key == "query") {
      s.query = Trim(value);
    } else if (key == "headers") {
      s.headers = Fields(value);
    } else if (key == "widths") {
      for (const std::string& w : Fields(value)) s.widths.push_back(std::stod(w));
    } else if (key == "formats") {
      s.formats = Fields(value);
    } else if (key == "active") {
      s.active = Trim(value) == "yes";
    } else if (key == "button") {
      std::vector<std::string> f = Fields(value);
      if (f.size() != 8) return fail("button needs 8 fields");
      Shape b;
      b.name = f[0];
      b.caption = f[1];
      b.progid = f[2];
      b.method = f[3];
      b.left = std::stoi(f[4]);
      b.top = std::stoi(f[5]);
      b.width = std::stoi(f[6]);
      b.height = std::stoi(f[7]);
      s.buttons.push_back(b);
    } else if (key == "chart") {
      std::vector<std::string> f = Fields(value);
      if (f.size() != 7) return fail("chart needs 7 fields");
      Chart c;
      c.name = f[0];
      c.title = f[1];
      int unused = 0;
      if (!ParseColumns(f[2], c.label_first, c.label_last) || c.label_first == 0 ||
          !ParseColumns(f[3], c.series_column, unused) ||
          !ParseColumns(f[4], c.value_column, unused) || c.value_column == 0)
        return fail("chart columns: letters such as A:B, C or -");
      c.width = std::stoi(f[5]);
      c.height = std::stoi(f[6]);
      if (c.width <= 0 || c.height <= 0) return fail("chart size must be positive");
      s.charts.push_back(c);
    } else {
      return fail("unknown sheet setting: " + key);
    }
  }
  if (book.sheets.empty()) {
    error = "no sheets";
    return false;
  }
  return true;
}

void Build(const BookDescription& description, kassa::host::Workbook& wb) {
  wb.SetEventSinkProgId(description.events);
  // The configuration travels inside the book, so a copy under another name
  // keeps its sheets synchronised.
  if (!description.configuration.empty())
    wb.StoredText(kassa::inibook::kStoredConfigKey, description.configuration);
  for (size_t i = 0; i < description.sheets.size(); ++i) {
    const SheetDescription& s = description.sheets[i];
    Worksheet& ws = i == 0 ? wb.Sheets(1) : wb.AddSheet(s.name);
    if (i == 0) ws.Name(s.name);
    for (size_t c = 0; c < s.headers.size(); ++c)
      ws.Cells(1, static_cast<int>(c) + 1).Value(kassa::Variant::Text(s.headers[c]));
    if (!s.headers.empty())
      ws.Range(ws.Cells(1, 1), ws.Cells(1, static_cast<int>(s.headers.size()))).Font().Bold(true);
    for (size_t c = 0; c < s.widths.size(); ++c)
      ws.ColumnWidth(static_cast<int>(c) + 1, s.widths[c]);
    for (size_t c = 0; c < s.formats.size(); ++c)
      ws.MutableColumnFormat(static_cast<int>(c) + 1).number_format = s.formats[c];
    if (!s.query.empty()) ws.AddQueryTable(description.connection, s.query);
    for (const Shape& b : s.buttons) ws.shapes().push_back(b);
    for (const Chart& c : s.charts) ws.charts().push_back(c);
  }
  for (size_t i = 0; i < description.sheets.size(); ++i)
    if (description.sheets[i].active) wb.Sheets(static_cast<int>(i) + 1).Activate();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: kassa-mkbook <book description> <workbook file>\n";
    return 1;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::cerr << "kassa-mkbook: cannot read " << argv[1] << "\n";
    return 1;
  }
  BookDescription description;
  std::string error;
  try {
    std::string folder = std::string(argv[1]);
    folder = folder.find('/') == std::string::npos ? "." : folder.substr(0, folder.rfind('/'));
    if (!Parse(in, folder, description, error)) {
      std::cerr << "kassa-mkbook: " << argv[1] << ": " << error << "\n";
      return 1;
    }
    kassa::host::Application app;
    kassa::host::Workbook& wb = app.Add();
    Build(description, wb);
    wb.SaveAs(argv[2]);
  } catch (const std::exception& e) {
    std::cerr << "kassa-mkbook: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
