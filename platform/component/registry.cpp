// The registry file: ProgID -> library lines.
#include <fnmatch.h>
#include <pwd.h>
#include <strings.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/component/component.h"

namespace kassa::component {

namespace fs = std::filesystem;

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  const size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

// One line: "ProgID=library"; false for blanks, comments and malformed lines.
bool ParseLine(const std::string& line, RegistryEntry& out) {
  const std::string t = Trim(line);
  if (t.empty() || t[0] == '#') return false;
  const size_t eq = t.find('=');
  if (eq == std::string::npos) return false;
  out.progid = Trim(t.substr(0, eq));
  out.library = Trim(t.substr(eq + 1));
  return !out.progid.empty() && !out.library.empty();
}

bool SameProgId(const std::string& a, const std::string& b) {
  return strcasecmp(a.c_str(), b.c_str()) == 0;
}

bool WildcardMatches(const std::string& pattern, const std::string& progid) {
  return pattern.find('*') != std::string::npos &&
         fnmatch(pattern.c_str(), progid.c_str(), FNM_CASEFOLD) == 0;
}

std::vector<RegistryEntry> ReadEntries(const std::string& path) {
  std::vector<RegistryEntry> entries;
  std::ifstream in(path);
  std::string line;
  RegistryEntry e;
  while (std::getline(in, line)) {
    if (ParseLine(line, e)) entries.push_back(e);
  }
  return entries;
}

}  // namespace

std::string RegistryPath() {
  const std::string over = Env("KASSA_COMPONENTS");
  if (!over.empty()) return over;
  std::string base = Env("XDG_CONFIG_HOME");
  if (base.empty() || base[0] != '/') {
    std::string home = Env("HOME");
    if (home.empty()) {
      if (const passwd* pw = getpwuid(getuid())) home = pw->pw_dir;
    }
    base = home + "/.config";
  }
  return base + "/kassa/components.conf";
}

std::string InstallationRegistryOf(const std::string& program_folder) {
  if (program_folder.empty()) return "";
  const fs::path folder(program_folder);
  for (const fs::path& candidate :
       {folder / "DLLs" / "components.conf", folder / ".." / "lib" / "kassa" / "components.conf"}) {
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec)) return candidate.lexically_normal().string();
  }
  return "";
}

std::string InstallationRegistryPath() {
  std::error_code ec;
  const fs::path program = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return "";
  return InstallationRegistryOf(program.parent_path().string());
}

std::vector<std::string> RegistrySearchPath() {
  std::vector<std::string> registries;
  const std::string own = InstallationRegistryPath();
  if (!own.empty()) registries.push_back(own);
  registries.push_back(RegistryPath());
  return registries;
}

std::vector<RegistryEntry> RegistryEntries() {
  return ReadEntries(RegistryPath());
}

std::vector<RegistryEntry> RegistryEntriesIn(const std::string& path) {
  return ReadEntries(path);
}

std::string RegisteredLibraryIn(const std::vector<std::string>& registries,
                                const std::string& progid) {
  for (const std::string& path : registries) {
    std::string exact, wild;
    for (const RegistryEntry& e : ReadEntries(path)) {
      if (SameProgId(e.progid, progid))
        exact = e.library;
      else if (WildcardMatches(e.progid, progid))
        wild = e.library;
    }
    const std::string lib = exact.empty() ? wild : exact;
    if (lib.empty()) continue;
    fs::path p(lib);
    if (p.is_relative()) p = fs::path(path).parent_path() / p;
    return p.string();
  }
  return "";
}

std::string RegisteredLibrary(const std::string& progid) {
  return RegisteredLibraryIn(RegistrySearchPath(), progid);
}

bool Register(const std::string& progid, const std::string& library, std::string& error) {
  if (progid.empty() || progid != Trim(progid) || progid[0] == '#' ||
      progid.find_first_of("=\n") != std::string::npos) {
    error = "invalid ProgID \"" + progid + "\"";
    return false;
  }
  if (library.empty() || library != Trim(library) || library.find('\n') != std::string::npos) {
    error = "invalid library path \"" + library + "\"";
    return false;
  }
  const fs::path path(RegistryPath());
  std::error_code ec;
  if (path.has_parent_path()) {
    fs::create_directories(path.parent_path(), ec);
    if (ec) {
      error = "cannot create " + path.parent_path().string() + ": " + ec.message();
      return false;
    }
  }
  // Keep every other line (comments included); replace the entry in place.
  std::vector<std::string> lines;
  {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
  }
  const std::string entry = progid + "=" + library;
  bool replaced = false;
  for (auto it = lines.begin(); it != lines.end();) {
    RegistryEntry e;
    if (ParseLine(*it, e) && SameProgId(e.progid, progid)) {
      if (replaced) {
        it = lines.erase(it);
        continue;
      }
      *it = entry;
      replaced = true;
    }
    ++it;
  }
  if (!replaced) lines.push_back(entry);
  // Written beside and renamed over, so a reader never sees half a file.
  const fs::path tmp = path.string() + ".tmp" + std::to_string(getpid());
  {
    std::ofstream out(tmp, std::ios::trunc);
    for (const std::string& l : lines) out << l << '\n';
    out.flush();
    if (!out) {
      error = "cannot write " + tmp.string();
      out.close();
      fs::remove(tmp, ec);
      return false;
    }
  }
  fs::rename(tmp, path, ec);
  if (ec) {
    error = "cannot write " + path.string() + ": " + ec.message();
    fs::remove(tmp, ec);
    return false;
  }
  return true;
}

}  // namespace kassa::component
