// The host's own data (event sink, query tables, shapes, charts) as document
// properties.
#include <algorithm>
#include <cstdio>

#include "platform/host/host.h"
#include "platform/host/internal.h"
#include "platform/variant/text.h"

namespace kassa::host {

namespace {

constexpr size_t kChunk = 200;

// A byte that is no UTF-8 character is escaped too, so the properties hold
// well-formed text whatever a query or a name holds.
std::string Escape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const size_t len = CharLength(s, i);
    if (len > 1) {
      // A whole character of several bytes stays as it is.
      out.append(s, i, len);
      i += len;
      continue;
    }
    if (c == '%' || c == ';' || c == '|' || c < 0x20 || c == 0x7F || c >= 0x80) {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
    ++i;
  }
  return out;
}

std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t at = s.find(sep, start);
    out.push_back(s.substr(start, at - start));
    if (at == std::string::npos) break;
    start = at + 1;
  }
  return out;
}

std::string Record(const std::vector<std::string>& fields) {
  std::string r;
  for (size_t i = 0; i < fields.size(); ++i) r += (i ? ";" : "") + Escape(fields[i]);
  return r;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> EncodeHostData(const Workbook& book) {
  std::vector<std::string> records;
  if (!book.EventSinkProgId().empty()) records.push_back(Record({"sink", book.EventSinkProgId()}));
  auto& wb = const_cast<Workbook&>(book);
  for (int i = 1; i <= wb.SheetsCount(); ++i) {
    Worksheet& ws = wb.Sheets(i);
    std::string pos = std::to_string(i);
    if (ws.QueryTablesCount() > 0) {
      QueryTable& q = ws.QueryTables(1);
      records.push_back(Record({"query", pos, q.EnableRefresh() ? "1" : "0",
                                MaskPasswords(q.Connection()), q.CommandText()}));
    }
    for (const Shape& s : ws.shapes())
      records.push_back(
          Record({"shape", pos, s.name, s.caption, std::to_string(s.left), std::to_string(s.top),
                  std::to_string(s.width), std::to_string(s.height), s.progid, s.method}));
    for (const std::vector<std::string>& chart : ChartRecords(ws, i))
      records.push_back(Record(chart));
  }
  for (const auto& [key, value] : book.StoredTexts())
    records.push_back(Record({"text", key, value}));
  std::string text;
  for (size_t i = 0; i < records.size(); ++i) text += (i ? "|" : "") + records[i];
  std::vector<std::pair<std::string, std::string>> props;
  size_t at = 0;
  while (at < text.size()) {
    // Never cut inside a character or a %XX escape.
    size_t end = at;
    while (end < text.size() && end + CharLength(text, end) - at <= kChunk)
      end += CharLength(text, end);
    for (size_t k = 1; k <= 2 && end < text.size(); ++k)
      if (end >= k && text[end - k] == '%') {
        end -= k;
        break;
      }
    char name[32];
    std::snprintf(name, sizeof name, "%s%03zu", kHostDataProperty, props.size());
    props.emplace_back(name, text.substr(at, end - at));
    at = end;
  }
  return props;
}

bool DecodeHostData(const std::vector<std::pair<std::string, std::string>>& properties,
                    Workbook& book) {
  std::vector<std::pair<std::string, std::string>> mine;
  const std::string prefix = kHostDataProperty;
  for (auto& p : properties)
    if (p.first.rfind(prefix, 0) == 0) mine.push_back(p);
  std::sort(mine.begin(), mine.end());
  std::string text;
  for (auto& p : mine) text += p.second;
  if (text.empty()) return true;
  bool ok = true;
  for (const std::string& rec : Split(text, '|')) {
    std::vector<std::string> f = Split(rec, ';');
    try {
      for (auto& x : f) x = Unescape(x);
      if (f[0] == "sink" && f.size() == 2) {
        book.SetEventSinkProgId(f[1]);
      } else if (f[0] == "query" && f.size() == 5) {
        Worksheet& ws = book.Sheets(std::stoi(f[1]));
        QueryTable& q = ws.AddQueryTable(f[3], f[4]);
        q.EnableRefresh(f[2] == "1");
      } else if (f[0] == "text" && f.size() == 3) {
        book.StoredText(f[1], f[2]);
      } else if (f[0] == "shape" && f.size() == 10) {
        Worksheet& ws = book.Sheets(std::stoi(f[1]));
        Shape s;
        s.name = f[2];
        s.caption = f[3];
        s.left = std::stoi(f[4]);
        s.top = std::stoi(f[5]);
        s.width = std::stoi(f[6]);
        s.height = std::stoi(f[7]);
        s.progid = f[8];
        s.method = f[9];
        ws.shapes().push_back(s);
      } else if (f[0] == "chart") {
        ok = ApplyChartRecord(f, book) && ok;
      } else {
        ok = false;
      }
    } catch (const std::exception&) {
      ok = false;
    }
  }
  return ok;
}

}  // namespace kassa::host
