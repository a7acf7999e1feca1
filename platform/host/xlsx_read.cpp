// Reading a workbook from an .xlsx file (minizip + pugixml): values, number
// formats, font colour and bold, column widths and formats, sheet order and
// names, the active sheet, and the host's own data.
#include <unzip.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <pugixml.hpp>

#include "platform/host/host.h"
#include "platform/host/internal.h"
#include "platform/host/texts.h"
#include "platform/host/xml_runs.h"

namespace kassa::host {

namespace {

class Zip {
 public:
  static constexpr size_t kBlock = 64 * 1024;
  explicit Zip(const std::string& path) : f_(unzOpen64(path.c_str())) {}
  ~Zip() {
    if (f_) unzClose(f_);
  }
  bool ok() const { return f_ != nullptr; }
  // Inflates the part `name` block by block into `sink`; false when the
  // part is missing or cannot be inflated.
  bool ReadBlocks(const std::string& name, const std::function<void(std::string_view)>& sink) {
    if (unzLocateFile(f_, name.c_str(), 0) != UNZ_OK) return false;
    if (unzOpenCurrentFile(f_) != UNZ_OK) return false;
    struct Closer {
      unzFile f;
      ~Closer() { unzCloseCurrentFile(f); }
    } closer{f_};
    std::vector<char> buf(kBlock);
    int n;
    while ((n = unzReadCurrentFile(f_, buf.data(), static_cast<unsigned>(buf.size()))) > 0)
      sink(std::string_view(buf.data(), static_cast<size_t>(n)));
    return n == 0;
  }
  std::optional<std::string> Read(const std::string& name) {
    if (unzLocateFile(f_, name.c_str(), 0) != UNZ_OK) return std::nullopt;
    if (unzOpenCurrentFile(f_) != UNZ_OK) return std::nullopt;
    std::string out;
    char buf[65536];
    int n;
    while ((n = unzReadCurrentFile(f_, buf, sizeof buf)) > 0)
      out.append(buf, static_cast<size_t>(n));
    unzCloseCurrentFile(f_);
    if (n < 0) return std::nullopt;
    return out;
  }

 private:
  unzFile f_;
};

struct Xf {
  CellFormat format;
  bool is_date = false;
};

std::string BuiltinFormat(int id) {
  switch (id) {
    case 1:
      return "0";
    case 2:
      return "0.00";
    case 3:
      return "#,##0";
    case 4:
      return "#,##0.00";
    case 9:
      return "0%";
    case 10:
      return "0.00%";
    case 14:
      return "dd.mm.yyyy";
    case 15:
      return "d-mmm-yy";
    case 16:
      return "d-mmm";
    case 17:
      return "mmm-yy";
    case 18:
      return "h:mm AM/PM";
    case 19:
      return "h:mm:ss AM/PM";
    case 20:
      return "h:mm";
    case 21:
      return "h:mm:ss";
    case 22:
      return "dd.mm.yyyy h:mm";
    case 45:
      return "mm:ss";
    case 46:
      return "[h]:mm:ss";
    case 47:
      return "mm:ss.0";
    case 49:
      return "@";
    default:
      return "";
  }
}

// A format shows a date or time when, outside quoted text, brackets and
// escaped characters, it uses d, m, y, h or s.
bool IsDateFormat(const std::string& code) {
  bool quoted = false, bracket = false;
  for (size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    if (quoted) {
      if (c == '"') quoted = false;
      continue;
    }
    if (bracket) {
      if (c == ']') bracket = false;
      // Elapsed-time sections such as [h] count as time.
      if (c == 'h' || c == 'H' || c == 's' || c == 'S') {
        if (code.find(']', i) != std::string::npos && code[i - 1] == '[') return true;
      }
      continue;
    }
    if (c == '"')
      quoted = true;
    else if (c == '[')
      bracket = true;
    else if (c == '\\' || c == '_' || c == '*')
      ++i;
    else if (std::strchr("dDmMyYhHsS", c))
      return true;
  }
  return false;
}

int IndexOfRgb(std::string rgb) {
  if (rgb.size() == 8) rgb = rgb.substr(2);
  for (char& c : rgb) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const std::map<std::string, int> kPalette = {
      {"FF0000", 3}, {"969696", 48}, {"FFFFFF", 2},  {"00FF00", 4},  {"0000FF", 5}, {"FFFF00", 6},
      {"FF00FF", 7}, {"00FFFF", 8},  {"008000", 10}, {"C0C0C0", 15}, {"808080", 16}};
  auto it = kPalette.find(rgb);
  return it == kPalette.end() ? kColorAutomatic : it->second;
}

// A stored column width includes the cell padding (5 pixels at a maximum
// digit width of 7 pixels); the model counts characters.
double CharactersOf(double stored) {
  double chars = static_cast<long>((stored * 7 - 5) / 7 * 100 + 0.5) / 100.0;
  return chars > 0 ? chars : 0;
}

bool TrueAttr(const pugi::xml_node& n, const char* name, bool absent) {
  pugi::xml_attribute a = n.attribute(name);
  if (!a) return absent;
  std::string v = a.value();
  return !(v == "0" || v == "false");
}

std::vector<Xf> ReadStyles(Zip& zip) {
  std::vector<Xf> xfs;
  auto text = zip.Read("xl/styles.xml");
  if (!text) return xfs;
  pugi::xml_document doc;
  if (!doc.load_string(text->c_str())) return xfs;
  pugi::xml_node ss = doc.child("styleSheet");
  std::map<int, std::string> numfmts;
  for (auto f : ss.child("numFmts").children("numFmt"))
    numfmts[f.attribute("numFmtId").as_int()] = f.attribute("formatCode").value();
  struct FontInfo {
    int color = kColorAutomatic;
    bool bold = false;
  };
  std::vector<FontInfo> fonts;
  for (auto f : ss.child("fonts").children("font")) {
    FontInfo fi;
    pugi::xml_node b = f.child("b");
    fi.bold = b && TrueAttr(b, "val", true);
    pugi::xml_node color = f.child("color");
    if (color) {
      if (color.attribute("rgb")) {
        fi.color = IndexOfRgb(color.attribute("rgb").value());
      } else if (color.attribute("indexed")) {
        int idx = color.attribute("indexed").as_int();
        fi.color = idx >= 8 && idx <= 63 ? idx - 7 : kColorAutomatic;
      }
    }
    fonts.push_back(fi);
  }
  for (auto x : ss.child("cellXfs").children("xf")) {
    Xf xf;
    int numfmt = x.attribute("numFmtId").as_int();
    auto it = numfmts.find(numfmt);
    std::string code = it != numfmts.end() ? it->second : BuiltinFormat(numfmt);
    if (code == "General" || code == "@") code.clear();
    xf.format.number_format = code;
    xf.is_date = (numfmt >= 14 && numfmt <= 22) || (numfmt >= 45 && numfmt <= 47) ||
                 (it != numfmts.end() && IsDateFormat(code));
    size_t font = x.attribute("fontId").as_uint();
    if (font < fonts.size()) {
      xf.format.color_index = fonts[font].color;
      xf.format.bold = fonts[font].bold;
    }
    xfs.push_back(xf);
  }
  return xfs;
}

std::string ItemText(const pugi::xml_node& si) {
  std::string out;
  if (pugi::xml_node t = si.child("t")) out += t.child_value();
  for (auto r : si.children("r")) out += r.child("t").child_value();
  return out;
}

constexpr unsigned kPartFlags = pugi::parse_default | pugi::parse_ws_pcdata_single;
// A run of a large part is parsed once this much of it has arrived.
constexpr size_t kRunSize = 256 * 1024;

// The name of the first element of an XML text (its root), "" when none.
std::string RootName(const std::string& text) {
  for (size_t i = text.find('<'); i != std::string::npos; i = text.find('<', i + 1)) {
    if (i + 1 >= text.size() || text[i + 1] == '?' || text[i + 1] == '!') continue;
    size_t end = text.find_first_of(" \t\r\n/>", i + 1);
    return text.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
  }
  return "";
}

// The text before a container element as a document: its open elements
// closed again. False when the root is not `root` or the text does not
// parse.
bool ParseHead(std::string& head, const char* root, pugi::xml_document& doc) {
  if (RootName(head) != root) return false;
  head += "</";
  head += root;
  head += ">";
  return static_cast<bool>(doc.load_buffer_inplace(head.data(), head.size(), kPartFlags));
}

bool ParseRun(char* text, size_t size, pugi::xml_document& doc) {
  return static_cast<bool>(doc.load_buffer_inplace(text, size, kPartFlags | pugi::parse_fragment));
}

std::vector<std::string> ReadSharedStringsWhole(Zip& zip) {
  std::vector<std::string> out;
  auto text = zip.Read("xl/sharedStrings.xml");
  if (!text) return out;
  pugi::xml_document doc;
  if (!doc.load_string(text->c_str(), kPartFlags)) return out;
  for (auto si : doc.child("sst").children("si")) out.push_back(ItemText(si));
  return out;
}

// The shared strings, read in runs of items; a part that cannot be read so
// is read whole.
std::vector<std::string> ReadSharedStrings(Zip& zip) {
  std::vector<std::string> out;
  XmlRuns runs(
      "sst", "si", kRunSize,
      [](std::string&) { return true; },  // the list is the root: nothing before it counts
      [&out](char* text, size_t size) {
        pugi::xml_document doc;
        if (!ParseRun(text, size, doc)) return false;
        for (auto si : doc.children("si")) out.push_back(ItemText(si));
        return true;
      });
  if (!zip.ReadBlocks("xl/sharedStrings.xml", [&runs](std::string_view b) { runs.Feed(b); }))
    return {};
  if (runs.Finish()) return out;
  return ReadSharedStringsWhole(zip);
}

int ErrorCode(const std::string& s) {
  static const std::map<std::string, int> kErrors = {
      {"#NULL!", 2000}, {"#DIV/0!", 2007}, {"#VALUE!", 2015}, {"#REF!", 2023},
      {"#NAME?", 2029}, {"#NUM!", 2036},   {"#N/A", 2042}};
  auto it = kErrors.find(s);
  return it == kErrors.end() ? 2015 : it->second;
}

// "2026-12-07T10:30:00" -> serial date.
std::optional<double> IsoDate(const std::string& s) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0;
  if (std::sscanf(s.c_str(), "%d-%d-%dT%d:%d:%d", &y, &mo, &d, &h, &mi, &se) >= 3)
    return MakeDate(y, mo, d, h, mi, se);
  if (std::sscanf(s.c_str(), "%d:%d:%d", &h, &mi, &se) >= 2)
    return MakeDate(1899, 12, 30, h, mi, se);
  return std::nullopt;
}

// The part name a relationship target points at, seen from "xl/".
std::string PartName(const std::string& target) {
  if (!target.empty() && target[0] == '/') return target.substr(1);
  return "xl/" + target;
}

// Columns and rows of one sheet, taken in document order.
class SheetReader {
 public:
  SheetReader(Worksheet& ws, const std::vector<Xf>& xfs, const std::vector<std::string>& strings,
              double date_offset)
      : ws_(ws), xfs_(xfs), strings_(strings), date_offset_(date_offset) {}

  void Columns(const pugi::xml_node& cols) {
    for (auto col : cols.children("col")) {
      int from = col.attribute("min").as_int(), to = col.attribute("max").as_int();
      if (from < 1) continue;
      to = std::min(to, kMaxColumns);
      for (int c = from; c <= to; ++c) {
        if (col.attribute("width") && TrueAttr(col, "customWidth", true))
          ws_.ColumnWidth(c, CharactersOf(col.attribute("width").as_double()));
        if (col.attribute("style")) {
          int s = col.attribute("style").as_int();
          column_style_[c] = s;
          if (s >= 0 && static_cast<size_t>(s) < xfs_.size())
            ws_.MutableColumnFormat(c) = xfs_[s].format;
        }
      }
    }
  }

  // The <row> children of `parent`, numbered on from the rows before.
  void Rows(const pugi::xml_node& parent) {
    for (auto row : parent.children("row")) {
      row_no_ = row.attribute("r") ? row.attribute("r").as_int() : row_no_ + 1;
      ws_.ReserveCells(row_no_, row_no_, Width(row));
      int col_no = 0;
      for (auto c : row.children("c")) Cell(c, col_no);
    }
  }

  // The number of columns a row's cells reach: its last cell's column, or
  // the count of its cells when that has no address.
  static int Width(const pugi::xml_node& row) {
    int count = 0;
    for (auto c = row.child("c"); c; c = c.next_sibling("c")) ++count;
    pugi::xml_node last = row.last_child();
    while (last && std::strcmp(last.name(), "c") != 0) last = last.previous_sibling();
    long r1, r2;
    int c1, c2;
    if (last && last.attribute("r") && ParseAddress(last.attribute("r").value(), r1, c1, r2, c2))
      return std::max(count, c2);
    return count;
  }

 private:
  void Cell(const pugi::xml_node& c, int& col_no) {
    long r = row_no_;
    if (c.attribute("r")) {
      long rr;
      int cc, c2;
      long r2;
      if (!ParseAddress(c.attribute("r").value(), rr, cc, r2, c2)) return;
      r = rr;
      col_no = cc;
    } else {
      ++col_no;
    }
    if (r < 1 || r > kMaxRows || col_no < 1 || col_no > kMaxColumns) return;
    int style = c.attribute("s").as_int(0);
    const Xf* xf = style >= 0 && static_cast<size_t>(style) < xfs_.size() ? &xfs_[style] : nullptr;
    std::string type = c.attribute("t").value();
    pugi::xml_node v = c.child("v");
    Variant value;
    if (type == "s") {
      size_t i = v.text().as_uint();
      if (v && i < strings_.size()) value = Variant::Text(strings_[i]);
    } else if (type == "inlineStr") {
      value = Variant::Text(ItemText(c.child("is")));
    } else if (type == "str") {
      value = Variant::Text(v.child_value());
    } else if (type == "b") {
      if (v) value = Variant::Boolean(v.text().as_int() != 0);
    } else if (type == "e") {
      if (v) value = Variant::Error(ErrorCode(v.child_value()));
    } else if (type == "d") {
      if (auto d = IsoDate(v.child_value())) value = Variant::Date(*d);
    } else if (v) {
      double n = v.text().as_double();
      value = xf && xf->is_date ? Variant::Date(n + date_offset_) : Variant::Number(n);
    }
    auto cs = column_style_.find(col_no);
    int col_style = cs == column_style_.end() ? 0 : cs->second;
    if (value.IsEmpty() && style == col_style) return;
    host::Cell& cell = ws_.CellAt(r, col_no);
    cell.value = std::move(value);
    if (style != col_style) {
      cell.own_format = true;
      cell.format = xf ? xf->format : CellFormat{};
    }
  }

  Worksheet& ws_;
  const std::vector<Xf>& xfs_;
  const std::vector<std::string>& strings_;
  double date_offset_;
  std::map<int, int> column_style_;
  long row_no_ = 0;
};

void ReadSheetWhole(Zip& zip, const std::string& part, SheetReader& reader) {
  auto xml = zip.Read(part);
  if (!xml) throw HostError(1004, texts::kCannotRead);
  pugi::xml_document doc;
  if (!doc.load_string(xml->c_str(), kPartFlags)) throw HostError(1004, texts::kCannotRead);
  pugi::xml_node root = doc.child("worksheet");
  reader.Columns(root.child("cols"));
  reader.Rows(root.child("sheetData"));
}

// Reads a sheet in runs of rows as it is inflated, so neither its text nor
// its tree is ever held whole. False when the sheet cannot be cut into runs
// (see XmlRuns); what was read of it then stays in `ws`.
bool ReadSheetInRuns(Zip& zip, const std::string& part, SheetReader& reader) {
  XmlRuns runs(
      "sheetData", "row", kRunSize,
      [&reader](std::string& head) {
        pugi::xml_document doc;
        if (!ParseHead(head, "worksheet", doc)) return false;
        reader.Columns(doc.child("worksheet").child("cols"));
        return true;
      },
      [&reader](char* text, size_t size) {
        pugi::xml_document doc;
        if (!ParseRun(text, size, doc)) return false;
        reader.Rows(doc);
        return true;
      });
  if (!zip.ReadBlocks(part, [&runs](std::string_view b) { runs.Feed(b); }))
    throw HostError(1004, texts::kCannotRead);
  return runs.Finish();
}

}  // namespace

void WorkbookFile::Read(const std::string& path, Workbook& book) {
  Zip zip(path);
  if (!zip.ok()) throw HostError(1004, std::string(texts::kCannotRead) + path);
  auto wbxml = zip.Read("xl/workbook.xml");
  auto relsxml = zip.Read("xl/_rels/workbook.xml.rels");
  if (!wbxml || !relsxml) throw HostError(1004, std::string(texts::kCannotRead) + path);
  pugi::xml_document wbdoc, relsdoc;
  if (!wbdoc.load_string(wbxml->c_str()) || !relsdoc.load_string(relsxml->c_str()))
    throw HostError(1004, std::string(texts::kCannotRead) + path);
  std::map<std::string, std::string> targets;
  for (auto rel : relsdoc.child("Relationships").children("Relationship"))
    targets[rel.attribute("Id").value()] = rel.attribute("Target").value();
  pugi::xml_node wbroot = wbdoc.child("workbook");
  double date_offset = TrueAttr(wbroot.child("workbookPr"), "date1904", false) ? 1462 : 0;
  std::vector<Xf> xfs = ReadStyles(zip);
  std::vector<std::string> strings = ReadSharedStrings(zip);
  try {
    for (auto s : wbroot.child("sheets").children("sheet")) {
      std::string name = s.attribute("name").value();
      std::string rid = s.attribute("r:id").value();
      if (rid.empty()) {
        for (auto a : s.attributes())
          if (std::string(a.name()).size() > 3 && std::string(a.name()).ends_with(":id"))
            rid = a.value();
      }
      auto t = targets.find(rid);
      if (t == targets.end()) throw HostError(1004, std::string(texts::kCannotRead) + path);
      Worksheet& ws = book.AddSheet(name);
      const std::string part = PartName(t->second);
      bool taken;
      {
        SheetReader reader(ws, xfs, strings, date_offset);
        taken = ReadSheetInRuns(zip, part, reader);
      }
      if (!taken) {  // read again, whole
        ws.rows_.clear();
        ws.rows_.shrink_to_fit();
        ws.column_formats_.clear();
        ws.column_widths_.clear();
        SheetReader reader(ws, xfs, strings, date_offset);
        ReadSheetWhole(zip, part, reader);
      }
    }
  } catch (const HostError&) {
    throw HostError(1004, std::string(texts::kCannotRead) + path);
  }
  if (book.SheetsCount() == 0) throw HostError(1004, std::string(texts::kCannotRead) + path);
  int active = wbroot.child("bookViews").child("workbookView").attribute("activeTab").as_int(0);
  book.active_ = active >= 0 && active < book.SheetsCount() ? active : 0;
  // The host's own data.
  if (auto custom = zip.Read("docProps/custom.xml")) {
    pugi::xml_document doc;
    if (doc.load_string(custom->c_str(), pugi::parse_default | pugi::parse_ws_pcdata_single)) {
      std::vector<std::pair<std::string, std::string>> props;
      for (auto p : doc.child("Properties").children("property"))
        props.emplace_back(p.attribute("name").value(), p.first_child().child_value());
      DecodeHostData(props, book);
    }
  }
  for (int i = 1; i <= book.SheetsCount(); ++i) book.Sheets(i).revision_ = 0;
}

}  // namespace kassa::host
