// Reading a workbook from an .xlsx file (minizip + pugixml): values, number
// formats, font colour and bold, column widths and formats, sheet order and
// names, the active sheet, and the host's own data. Sheets and shared
// strings are read in runs as they inflate (xml_runs.h). The reader also notes
// every kind of content the model cannot keep (formulas, merged cells,
// fills, ...): such a workbook is never written over. What it inflates is
// capped per part and in total, so a small file cannot claim unbounded memory.
#include <unzip.h>

#include <algorithm>
#include <bitset>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <pugixml.hpp>

#include "platform/host/host.h"
#include "platform/host/internal.h"
#include "platform/host/texts.h"
#include "platform/host/xml_runs.h"

namespace kassa::host {

namespace {

// Thrown when a part, or all parts together, inflate beyond the caps.
struct TooLarge {};

class Zip {
 public:
  static constexpr size_t kBlock = 64 * 1024;
  explicit Zip(const std::string& path) : f_(unzOpen64(path.c_str())) {}
  ~Zip() {
    if (f_) unzClose(f_);
  }
  bool ok() const { return f_ != nullptr; }
  bool Has(const std::string& name) { return unzLocateFile(f_, name.c_str(), 0) == UNZ_OK; }
  // Throws TooLarge when the parts named, as their sizes are declared, would
  // not fit together; absent parts count nothing.
  void CheckDeclared(const std::vector<std::string>& names) {
    uint64_t total = 0;
    for (const std::string& name : names) {
      if (unzLocateFile(f_, name.c_str(), 0) != UNZ_OK) continue;
      unz_file_info64 info{};
      if (unzGetCurrentFileInfo64(f_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        continue;
      if (!Fits(info.uncompressed_size, info.uncompressed_size)) throw TooLarge{};
      total += info.uncompressed_size;
      if (!Fits(0, total)) throw TooLarge{};
    }
  }
  // Inflates the part `name` block by block into `sink`, within the same
  // caps as Read (TooLarge beyond them); false when the part is absent or
  // damaged.
  bool ReadBlocks(const std::string& name, const std::function<void(std::string_view)>& sink) {
    if (unzLocateFile(f_, name.c_str(), 0) != UNZ_OK) return false;
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(f_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
      return false;
    if (!Fits(info.uncompressed_size, info.uncompressed_size)) throw TooLarge{};
    if (unzOpenCurrentFile(f_) != UNZ_OK) return false;
    std::vector<char> buf(kBlock);
    size_t part = 0;
    int n;
    try {
      while ((n = unzReadCurrentFile(f_, buf.data(), static_cast<unsigned>(buf.size()))) > 0) {
        const auto got = static_cast<size_t>(n);
        if (!Fits(part + got, got)) throw TooLarge{};
        part += got;
        inflated_ += got;
        sink(std::string_view(buf.data(), got));
      }
    } catch (...) {
      unzCloseCurrentFile(f_);
      throw;
    }
    // A part whose data do not match its checksum is damaged.
    return unzCloseCurrentFile(f_) == UNZ_OK && n == 0;
  }
  // The inflated part; nullopt when absent or damaged. Throws TooLarge when
  // the part would inflate beyond kMaxInflatedPart, or all parts read so far
  // beyond kMaxInflatedBook: refused from the sizes the file declares before
  // anything is inflated, and from what is actually inflated.
  std::optional<std::string> Read(const std::string& name) {
    if (unzLocateFile(f_, name.c_str(), 0) != UNZ_OK) return std::nullopt;
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(f_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
      return std::nullopt;
    if (!Fits(info.uncompressed_size, info.uncompressed_size)) throw TooLarge{};
    if (unzOpenCurrentFile(f_) != UNZ_OK) return std::nullopt;
    std::string out;
    out.reserve(static_cast<size_t>(info.uncompressed_size));
    char buf[65536];
    int n;
    while ((n = unzReadCurrentFile(f_, buf, sizeof buf)) > 0) {
      const auto got = static_cast<size_t>(n);
      if (!Fits(out.size() + got, got)) {
        unzCloseCurrentFile(f_);
        throw TooLarge{};
      }
      out.append(buf, got);
      inflated_ += got;
    }
    // A part whose data do not match its checksum is damaged.
    if (unzCloseCurrentFile(f_) != UNZ_OK || n < 0) return std::nullopt;
    return out;
  }

 private:
  // Whether a part of `part` bytes fits, `more` of them not yet counted.
  bool Fits(uint64_t part, uint64_t more) const {
    return part <= WorkbookFile::kMaxInflatedPart &&
           more <= WorkbookFile::kMaxInflatedBook - inflated_;
  }
  unzFile f_;
  size_t inflated_ = 0;
};

// What the file holds that the model does not keep, by kind (see
// texts::kUnkeptKinds for the names the user reads, in this order).
enum Unkept : size_t {
  kFormulas,
  kMergedCells,
  kFills,
  kBorders,
  kFonts,
  kAlignment,
  kNumberFormats,
  kRichText,
  kComments,
  kFilters,
  kPanes,
  kDrawings,
  kHyperlinks,
  kValidation,
  kConditionalFormats,
  kTables,
  kNames,
  kHiddenSheets,
  kOtherSheets,
  kRowsAndColumns,
  kProtection,
  kMacros,
  kPivotTables,
  kExternalLinks,
  kErrorValues,
  kOutsideGrid,
  kUnkeptCount
};
static_assert(kUnkeptCount == std::size(texts::kUnkeptKinds));

using UnkeptSet = std::bitset<kUnkeptCount>;

struct Xf {
  CellFormat format;
  bool is_date = false;
  UnkeptSet loses;  // what a cell of this style loses in the model
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
// digit width of 7 pixels); the model counts characters. A column is at
// most 255 characters wide; a negative width or one that is no number is
// no width (nullopt).
std::optional<double> CharactersOf(double stored) {
  if (!(stored >= 0)) return std::nullopt;
  stored = std::min(stored, 255.0 + 5.0 / 7);
  double chars = static_cast<long>((stored * 7 - 5) / 7 * 100 + 0.5) / 100.0;
  return chars > 0 ? chars : 0;
}

bool TrueAttr(const pugi::xml_node& n, const char* name, bool absent) {
  pugi::xml_attribute a = n.attribute(name);
  if (!a) return absent;
  std::string v = a.value();
  return !(v == "0" || v == "false");
}

// Whether a font colour comes out of the model as it went in: automatic and
// black, or a palette colour the writer writes back.
bool KeptColor(const pugi::xml_node& color, int index) {
  if (!color || TrueAttr(color, "auto", false)) return true;
  if (color.attribute("tint") && color.attribute("tint").as_double() != 0) return false;
  if (color.attribute("theme")) return color.attribute("theme").as_int() == 1;  // dark text
  if (color.attribute("indexed")) {
    int idx = color.attribute("indexed").as_int();
    if (idx == 0 || idx == 8 || idx == 64) return true;  // black; 64: the system's text colour
    return index != kColorAutomatic && WrittenColorIndex(index);
  }
  if (color.attribute("rgb")) {
    std::string rgb = color.attribute("rgb").value();
    if (rgb.size() == 8) rgb = rgb.substr(2);
    return rgb == "000000" || index != kColorAutomatic;
  }
  return true;
}

// What a font holds besides bold and a kept colour, compared with the
// workbook's default font (attributes a font leaves out are the default's).
bool FontKept(const pugi::xml_node& f, const pugi::xml_node& base, int color_index) {
  for (const char* flag : {"i", "strike", "outline", "shadow", "condense", "extend"})
    if (pugi::xml_node n = f.child(flag); n && TrueAttr(n, "val", true)) return false;
  if (pugi::xml_node u = f.child("u"); u && std::string(u.attribute("val").value()) != "none")
    return false;
  if (pugi::xml_node va = f.child("vertAlign")) {
    std::string v = va.attribute("val").value();
    if (!v.empty() && v != "baseline") return false;
  }
  for (const char* what : {"name", "sz"}) {
    pugi::xml_node mine = f.child(what), theirs = base.child(what);
    if (mine && theirs &&
        std::string(mine.attribute("val").value()) != theirs.attribute("val").value())
      return false;
  }
  return KeptColor(f.child("color"), color_index);
}

bool FillShows(const pugi::xml_node& fill, size_t index) {
  if (fill.child("gradientFill")) return true;
  std::string pattern = fill.child("patternFill").attribute("patternType").value();
  if (pattern.empty() || pattern == "none") return false;
  return !(index == 1 && pattern == "gray125");  // the reserved second fill
}

bool BorderShows(const pugi::xml_node& border) {
  for (auto side : border.children()) {
    std::string style = side.attribute("style").value();
    if (!style.empty() && style != "none") return true;
  }
  return false;
}

bool AlignmentKept(const pugi::xml_node& a) {
  if (!a) return true;
  std::string h = a.attribute("horizontal").value(), v = a.attribute("vertical").value();
  if (!h.empty() && h != "general") return false;
  if (!v.empty() && v != "bottom") return false;
  if (TrueAttr(a, "wrapText", false) || TrueAttr(a, "shrinkToFit", false)) return false;
  return a.attribute("indent").as_int() == 0 && a.attribute("textRotation").as_int() == 0;
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
    bool kept = true;
  };
  std::vector<FontInfo> fonts;
  pugi::xml_node base_font = ss.child("fonts").child("font");
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
    fi.kept = FontKept(f, base_font, fi.color);
    fonts.push_back(fi);
  }
  std::vector<bool> fills, borders;
  size_t n = 0;
  for (auto f : ss.child("fills").children("fill")) fills.push_back(FillShows(f, n++));
  for (auto b : ss.child("borders").children("border")) borders.push_back(BorderShows(b));
  auto shows = [](const std::vector<bool>& list, size_t i) { return i < list.size() && list[i]; };
  for (auto x : ss.child("cellXfs").children("xf")) {
    Xf xf;
    int numfmt = x.attribute("numFmtId").as_int();
    auto it = numfmts.find(numfmt);
    std::string code = it != numfmts.end() ? it->second : BuiltinFormat(numfmt);
    if (numfmt != 0 && (code.empty() || code == "@")) xf.loses.set(kNumberFormats);
    if (code == "General" || code == "@") code.clear();
    xf.format.number_format = code;
    xf.is_date = (numfmt >= 14 && numfmt <= 22) || (numfmt >= 45 && numfmt <= 47) ||
                 (it != numfmts.end() && IsDateFormat(code));
    size_t font = x.attribute("fontId").as_uint();
    if (font < fonts.size()) {
      xf.format.color_index = fonts[font].color;
      xf.format.bold = fonts[font].bold;
      if (!fonts[font].kept) xf.loses.set(kFonts);
    }
    if (shows(fills, x.attribute("fillId").as_uint())) xf.loses.set(kFills);
    if (shows(borders, x.attribute("borderId").as_uint())) xf.loses.set(kBorders);
    if (!AlignmentKept(x.child("alignment"))) xf.loses.set(kAlignment);
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

// A text with runs of their own formatting (only the characters are kept).
bool RichText(const pugi::xml_node& si) {
  for (auto r : si.children("r"))
    if (r.child("rPr")) return true;
  return false;
}

struct SharedStrings {
  std::vector<std::string> text;
  std::vector<bool> rich;
};

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

// The text after a container element (its siblings that follow, and the
// root's end tag) as a document with the root `root`. False when it does
// not parse so.
bool ParseTail(std::string& tail, const char* root, pugi::xml_document& doc) {
  const std::string end = std::string("</") + root;
  const size_t at = tail.rfind(end);
  if (at == std::string::npos) return false;
  tail.erase(at);
  tail.insert(0, std::string("<") + root + ">");
  tail += end + ">";
  return static_cast<bool>(doc.load_buffer_inplace(tail.data(), tail.size(), kPartFlags));
}

bool ParseRun(char* text, size_t size, pugi::xml_document& doc) {
  return static_cast<bool>(doc.load_buffer_inplace(text, size, kPartFlags | pugi::parse_fragment));
}

SharedStrings ReadSharedStringsWhole(Zip& zip) {
  SharedStrings out;
  auto text = zip.Read("xl/sharedStrings.xml");
  if (!text) return out;
  pugi::xml_document doc;
  if (!doc.load_buffer_inplace(text->data(), text->size(),
                               pugi::parse_default | pugi::parse_ws_pcdata_single))
    return out;
  for (auto si : doc.child("sst").children("si")) {
    out.text.push_back(ItemText(si));
    out.rich.push_back(RichText(si));
  }
  return out;
}

// The shared strings, read in runs of items; a part that cannot be read so
// is read whole.
SharedStrings ReadSharedStrings(Zip& zip) {
  SharedStrings out;
  XmlRuns runs(
      "sst", "si", kRunSize,
      [](std::string&) { return true; },  // the list is the root: nothing before it counts
      [&out](char* text, size_t size) {
        pugi::xml_document doc;
        if (!ParseRun(text, size, doc)) return false;
        for (auto si : doc.children("si")) {
          out.text.push_back(ItemText(si));
          out.rich.push_back(RichText(si));
        }
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

// A number stored as a cell's value; nullopt for an empty or malformed text.
std::optional<double> StoredNumber(const pugi::xml_node& v) {
  const char* text = v.child_value();
  if (!*text) return std::nullopt;
  char* end = nullptr;
  double d = std::strtod(text, &end);
  while (end && (*end == ' ' || *end == '\t' || *end == '\n' || *end == '\r')) ++end;
  if (end == text || *end != '\0') return std::nullopt;
  return d;
}

// What the file's sheets hold beyond cells: one kind per element.
void NoteSheetContent(const pugi::xml_node& root, UnkeptSet& unkept) {
  if (root.child("mergeCells").child("mergeCell")) unkept.set(kMergedCells);
  if (root.child("autoFilter")) unkept.set(kFilters);
  for (auto view : root.child("sheetViews").children("sheetView"))
    if (view.child("pane")) unkept.set(kPanes);
  // A sheet's drawing part is judged with its relations (NoteSheetRelations).
  if (root.child("picture") || root.child("oleObjects") || root.child("controls"))
    unkept.set(kDrawings);
  if (root.child("hyperlinks")) unkept.set(kHyperlinks);
  if (root.child("dataValidations").child("dataValidation")) unkept.set(kValidation);
  if (root.child("conditionalFormatting")) unkept.set(kConditionalFormats);
  if (root.child("tableParts").child("tablePart")) unkept.set(kTables);
  if (TrueAttr(root.child("sheetProtection"), "sheet", false) ||
      root.child("protectedRanges").child("protectedRange"))
    unkept.set(kProtection);
}

// The relationships of a part: "xl/worksheets/sheet1.xml" ->
// "xl/worksheets/_rels/sheet1.xml.rels".
std::string RelsOf(const std::string& part) {
  size_t slash = part.rfind('/');
  std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
  return folder + "_rels/" + part.substr(slash == std::string::npos ? 0 : slash + 1) + ".rels";
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The part a relationship of `from` targets: "../drawings/drawing1.xml"
// from "xl/worksheets/sheet1.xml" is "xl/drawings/drawing1.xml".
std::string TargetOf(const std::string& from, const std::string& target) {
  if (!target.empty() && target[0] == '/') return target.substr(1);
  std::string path = from.substr(0, from.rfind('/') + 1) + target, out;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    std::string piece = path.substr(start, slash == std::string::npos ? slash : slash - start);
    if (piece == "..") {
      size_t cut = out.rfind('/', out.empty() ? 0 : out.size() - 2);
      out.erase(cut == std::string::npos ? 0 : cut + 1);
    } else if (!piece.empty() && piece != ".") {
      out += piece + (slash == std::string::npos ? "" : "/");
    }
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return out;
}

std::string LocalName(const char* name) {
  const char* colon = std::strrchr(name, ':');
  return colon ? colon + 1 : name;
}

// How many charts a drawing part holds when it holds charts only (the
// host writes a sheet's charts so); nullopt when it holds anything else.
std::optional<size_t> ChartsOnly(Zip& zip, const std::string& drawing) {
  auto xml = zip.Read(drawing);
  if (!xml) return std::nullopt;
  pugi::xml_document doc;
  if (!doc.load_string(xml->c_str())) return std::nullopt;
  size_t charts = 0;
  for (auto anchor : doc.first_child().children()) {
    bool chart = false;
    for (auto frame : anchor.children())
      if (LocalName(frame.name()) == "graphicFrame")
        chart = static_cast<bool>(frame.find_node(
            [](const pugi::xml_node& n) { return LocalName(n.name()) == "chart"; }));
    if (!chart) return std::nullopt;
    ++charts;
  }
  return charts;
}

// What a sheet's relations bring that the model does not keep. A drawing
// is left to the caller: it is the host's own when it holds just the
// sheet's charts (`charts` is set to their number, nullopt otherwise).
void NoteSheetRelations(Zip& zip, const std::string& part, UnkeptSet& unkept,
                        std::optional<size_t>& charts) {
  auto rels = zip.Read(RelsOf(part));
  if (!rels) return;
  pugi::xml_document doc;
  if (!doc.load_string(rels->c_str())) return;
  for (auto rel : doc.child("Relationships").children("Relationship")) {
    std::string type = rel.attribute("Type").value();
    if (EndsWith(type, "/comments") || type.find("threadedComment") != std::string::npos) {
      unkept.set(kComments);
    } else if (EndsWith(type, "/drawing")) {
      // A sheet has one drawing; the host's own holds only the sheet's charts.
      std::optional<size_t> only;
      if (!charts) only = ChartsOnly(zip, TargetOf(part, rel.attribute("Target").value()));
      if (only)
        charts = only;
      else
        unkept.set(kDrawings);
    } else if (EndsWith(type, "/image") || EndsWith(type, "/oleObject")) {
      unkept.set(kDrawings);
    } else if (EndsWith(type, "/pivotTable")) {
      unkept.set(kPivotTables);
    } else if (EndsWith(type, "/table")) {
      unkept.set(kTables);
    }
  }
}

// Columns and rows of one sheet, taken in document order, and what the
// sheet holds that the model does not keep.
class SheetReader {
 public:
  SheetReader(Worksheet& ws, const std::vector<Xf>& xfs, const SharedStrings& strings,
              double date_offset, UnkeptSet& unkept)
      : ws_(ws), xfs_(xfs), strings_(strings), date_offset_(date_offset), unkept_(unkept) {}

  // The elements of the sheet besides its rows: before them (columns,
  // views) or after them (merged cells, filters, ...).
  void Around(const pugi::xml_node& root) {
    NoteSheetContent(root, unkept_);
    Columns(root.child("cols"));
  }

  // The <row> children of `parent`, numbered on from the rows before.
  void Rows(const pugi::xml_node& parent) {
    for (auto row : parent.children("row")) {
      row_no_ = row.attribute("r") ? row.attribute("r").as_int() : row_no_ + 1;
      if (TrueAttr(row, "hidden", false) || TrueAttr(row, "customHeight", false) ||
          row.attribute("outlineLevel").as_int() > 0 ||
          (TrueAttr(row, "customFormat", false) && row.attribute("s").as_int() != 0))
        unkept_.set(kRowsAndColumns);
      if (row_no_ >= 1 && row_no_ <= kMaxRows) ws_.ReserveCells(row_no_, row_no_, Width(row));
      int col_no = 0;
      for (auto c : row.children("c")) Cell(c, col_no);
    }
  }

 private:
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

  const Xf* StyleOf(int s) const {
    return s >= 0 && static_cast<size_t>(s) < xfs_.size() ? &xfs_[s] : nullptr;
  }
  void NoteStyle(const Xf* xf) {
    if (xf) unkept_ |= xf->loses;
  }

  void Columns(const pugi::xml_node& cols) {
    for (auto col : cols.children("col")) {
      int from = col.attribute("min").as_int(), to = col.attribute("max").as_int();
      if (from < 1) continue;
      if (TrueAttr(col, "hidden", false) || col.attribute("outlineLevel").as_int() > 0)
        unkept_.set(kRowsAndColumns);
      to = std::min(to, kMaxColumns);
      for (int c = from; c <= to; ++c) {
        if (col.attribute("width") && TrueAttr(col, "customWidth", true))
          if (auto width = CharactersOf(col.attribute("width").as_double()))
            ws_.ColumnWidth(c, *width);
        if (col.attribute("style")) {
          int s = col.attribute("style").as_int();
          column_style_[c] = s;
          NoteStyle(StyleOf(s));
          if (const Xf* xf = StyleOf(s)) ws_.MutableColumnFormat(c) = xf->format;
        }
      }
    }
  }

  void Cell(const pugi::xml_node& c, int& col_no) {
    long r = row_no_;
    if (c.attribute("r")) {
      long rr;
      int cc, c2;
      long r2;
      if (!ParseAddress(c.attribute("r").value(), rr, cc, r2, c2)) {
        unkept_.set(kOutsideGrid);
        return;
      }
      r = rr;
      col_no = cc;
    } else {
      ++col_no;
    }
    int style = c.attribute("s").as_int(0);
    const Xf* xf = StyleOf(style);
    std::string type = c.attribute("t").value();
    pugi::xml_node v = c.child("v");
    // Some writers store a plain truth value as the formula TRUE() or FALSE().
    const std::string f = c.child("f").child_value();
    const bool formula = c.child("f") && !(type == "b" && (f == "TRUE()" || f == "FALSE()") && v);
    if (r < 1 || r > kMaxRows || col_no < 1 || col_no > kMaxColumns) {
      if (v || formula || c.child("is") || style != 0) unkept_.set(kOutsideGrid);
      return;
    }
    if (formula) unkept_.set(kFormulas);
    NoteStyle(xf);
    // A cell's value is what the file stores; a formula without a stored
    // result shows "#N/A" (no value is made up for it).
    Variant value;
    bool stored = true;
    if (type == "s") {
      size_t i = v.text().as_uint();
      if (v && i < strings_.text.size()) {
        value = Variant::Text(strings_.text[i]);
        if (strings_.rich[i]) unkept_.set(kRichText);
      }
    } else if (type == "inlineStr") {
      value = Variant::Text(ItemText(c.child("is")));
      if (RichText(c.child("is"))) unkept_.set(kRichText);
    } else if (type == "str") {
      stored = static_cast<bool>(v);
      value = Variant::Text(v.child_value());
    } else if (type == "b") {
      stored = v && *v.child_value();
      if (stored) value = Variant::Boolean(v.text().as_int() != 0);
    } else if (type == "e") {
      stored = v && *v.child_value();
      if (stored) value = Variant::Error(ErrorCode(v.child_value()));
      if (stored && !formula) unkept_.set(kErrorValues);
    } else if (type == "d") {
      auto d = IsoDate(v.child_value());
      stored = d.has_value();
      if (d) value = Variant::Date(*d);
    } else {
      auto n = StoredNumber(v);
      stored = n.has_value();
      if (n) value = xf && xf->is_date ? Variant::Date(*n + date_offset_) : Variant::Number(*n);
    }
    if (formula && !stored) value = Variant::Error(kErrorNotAvailable);
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
  const SharedStrings& strings_;
  double date_offset_;
  UnkeptSet& unkept_;
  std::map<int, int> column_style_;
  long row_no_ = 0;
};

// Reads a sheet whole: its text and its tree at once.
void ReadSheetWhole(Zip& zip, const std::string& part, SheetReader& reader) {
  auto xml = zip.Read(part);
  if (!xml) throw HostError(1004, texts::kCannotRead);
  pugi::xml_document doc;
  if (!doc.load_buffer_inplace(xml->data(), xml->size(), kPartFlags))
    throw HostError(1004, texts::kCannotRead);
  pugi::xml_node root = doc.child("worksheet");
  reader.Around(root);
  reader.Rows(root.child("sheetData"));
}

// Reads a sheet in runs of rows as it is inflated, so neither its text nor
// its tree is ever held whole. False when the sheet cannot be cut into runs
// (see XmlRuns); what was read of it then stays in the sheet.
bool ReadSheetInRuns(Zip& zip, const std::string& part, SheetReader& reader) {
  XmlRuns runs(
      "sheetData", "row", kRunSize,
      [&reader](std::string& head) {
        pugi::xml_document doc;
        if (!ParseHead(head, "worksheet", doc)) return false;
        reader.Around(doc.child("worksheet"));
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
  if (!runs.Finish()) return false;
  pugi::xml_document tail;
  if (!ParseTail(runs.Tail(), "worksheet", tail)) return false;
  reader.Around(tail.child("worksheet"));
  return true;
}

// The workbook's own parts beyond its sheets.
void NoteBookContent(Zip& zip, const pugi::xml_node& wbroot, UnkeptSet& unkept) {
  for (auto name : wbroot.child("definedNames").children("definedName")) {
    // Built-in names (print area, filter range) go with what they describe.
    if (std::string(name.attribute("name").value()).rfind("_xlnm.", 0) != 0) unkept.set(kNames);
  }
  pugi::xml_node protection = wbroot.child("workbookProtection");
  for (const char* lock : {"lockStructure", "lockWindows", "lockRevision"})
    if (TrueAttr(protection, lock, false)) unkept.set(kProtection);
  if (wbroot.child("externalReferences").child("externalReference")) unkept.set(kExternalLinks);
  if (wbroot.child("pivotCaches").child("pivotCache")) unkept.set(kPivotTables);
  if (zip.Has("xl/vbaProject.bin")) unkept.set(kMacros);
}

struct BookRead {
  int active = 0;                   // 0-based index of the active sheet
  std::vector<std::string> unkept;  // names of the kinds the model does not keep
};

BookRead ReadBook(Zip& zip, const std::string& path, Workbook& book) {
  auto wbxml = zip.Read("xl/workbook.xml");
  auto relsxml = zip.Read("xl/_rels/workbook.xml.rels");
  if (!wbxml || !relsxml) throw HostError(1004, std::string(texts::kCannotRead) + path);
  pugi::xml_document wbdoc, relsdoc;
  if (!wbdoc.load_string(wbxml->c_str()) || !relsdoc.load_string(relsxml->c_str()))
    throw HostError(1004, std::string(texts::kCannotRead) + path);
  struct Target {
    std::string part, type;
  };
  std::map<std::string, Target> targets;
  for (auto rel : relsdoc.child("Relationships").children("Relationship"))
    targets[rel.attribute("Id").value()] = {rel.attribute("Target").value(),
                                            rel.attribute("Type").value()};
  pugi::xml_node wbroot = wbdoc.child("workbook");
  double date_offset = TrueAttr(wbroot.child("workbookPr"), "date1904", false) ? 1462 : 0;
  // Everything read below, as declared, must fit before any of it is inflated.
  std::vector<std::string> parts = {"xl/styles.xml", "xl/sharedStrings.xml", "docProps/custom.xml"};
  for (auto s : wbroot.child("sheets").children("sheet"))
    for (auto a : s.attributes())
      if (std::string(a.name()).ends_with(":id"))
        if (auto t = targets.find(a.value()); t != targets.end()) {
          parts.push_back(PartName(t->second.part));
          parts.push_back(RelsOf(parts.back()));
        }
  zip.CheckDeclared(parts);
  std::vector<Xf> xfs = ReadStyles(zip);
  SharedStrings strings = ReadSharedStrings(zip);
  UnkeptSet unkept;
  std::map<int, size_t> drawn_charts;  // sheet position -> charts its drawing holds
  NoteBookContent(zip, wbroot, unkept);
  try {
    for (auto s : wbroot.child("sheets").children("sheet")) {
      std::string name = s.attribute("name").value();
      std::string rid = s.attribute("r:id").value();
      if (rid.empty()) {
        for (auto a : s.attributes())
          if (std::string(a.name()).size() > 3 && std::string(a.name()).ends_with(":id"))
            rid = a.value();
      }
      std::string state = s.attribute("state").value();
      if (!state.empty() && state != "visible") unkept.set(kHiddenSheets);
      auto t = targets.find(rid);
      if (t == targets.end()) throw HostError(1004, std::string(texts::kCannotRead) + path);
      const std::string part = PartName(t->second.part);
      // Chart, dialog and macro sheets hold nothing the model keeps.
      if (!t->second.type.empty() && !EndsWith(t->second.type, "/worksheet")) {
        if (!zip.Read(part)) throw HostError(1004, std::string(texts::kCannotRead) + path);
        book.AddSheet(name);
        unkept.set(kOtherSheets);
        continue;
      }
      Worksheet& ws = book.AddSheet(name);
      bool taken;
      {
        SheetReader reader(ws, xfs, strings, date_offset, unkept);
        taken = ReadSheetInRuns(zip, part, reader);
      }
      if (!taken) {
        // A sheet that cannot be cut into runs is read again, whole, from
        // its start: the cells read so far are written again, the same.
        SheetReader reader(ws, xfs, strings, date_offset, unkept);
        ReadSheetWhole(zip, part, reader);
      }
      std::optional<size_t> charts;
      NoteSheetRelations(zip, part, unkept, charts);
      if (charts) drawn_charts[book.SheetsCount()] = *charts;
    }
  } catch (const HostError&) {
    throw HostError(1004, std::string(texts::kCannotRead) + path);
  }
  if (book.SheetsCount() == 0) throw HostError(1004, std::string(texts::kCannotRead) + path);
  BookRead out;
  int active = wbroot.child("bookViews").child("workbookView").attribute("activeTab").as_int(0);
  out.active = active >= 0 && active < book.SheetsCount() ? active : 0;
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
  // A drawing is the host's own when it holds exactly the charts the host's
  // data gives its sheet; any other drawing is content the model drops.
  for (auto [position, count] : drawn_charts)
    if (count != book.Sheets(position).charts().size()) unkept.set(kDrawings);
  for (size_t k = 0; k < kUnkeptCount; ++k)
    if (unkept.test(k)) out.unkept.push_back(texts::kUnkeptKinds[k]);
  return out;
}

}  // namespace

void WorkbookFile::Read(const std::string& path, Workbook& book) {
  Zip zip(path);
  if (!zip.ok()) throw HostError(1004, std::string(texts::kCannotRead) + path);
  // Whatever else goes wrong while reading (a part too large, memory
  // exhausted, a malformed value) is a file that cannot be read, never an
  // exception of another kind.
  try {
    BookRead read = ReadBook(zip, path, book);
    book.active_ = read.active;
    book.unkept_ = std::move(read.unkept);
    for (int i = 1; i <= book.SheetsCount(); ++i) book.Sheets(i).revision_ = 0;
  } catch (const HostError&) {
    throw;
  } catch (const TooLarge&) {
    throw HostError(1004, texts::TooLargeToRead(path));
  } catch (const std::exception&) {
    throw HostError(1004, std::string(texts::kCannotRead) + path);
  }
}

}  // namespace kassa::host
