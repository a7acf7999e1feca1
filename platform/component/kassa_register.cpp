// kassa-register: writes ProgID -> library entries into the registry in
// effect. Exit status 0 on success, 1 when the registry cannot be written or
// a folder is missing, 2 on wrong usage.
#include <filesystem>
#include <iostream>
#include <string>

#include "platform/component/component.h"
#include "platform/component/register_texts.h"
#include "platform/component/standard_components.h"

namespace fs = std::filesystem;
namespace kc = kassa::component;
namespace t = kassa::component::register_texts;

namespace {

std::string Absolute(const std::string& path) {
  std::error_code ec;
  const fs::path p = fs::absolute(path, ec);
  return ec ? path : p.lexically_normal().string();
}

bool RegisterOne(const std::string& progid, const std::string& library) {
  std::string error;
  if (!kc::Register(progid, library, error)) {
    std::cerr << t::kFailed << error << '\n';
    return false;
  }
  std::cout << t::kRegistered << progid << " = " << library;
  std::error_code ec;
  if (!fs::exists(library, ec)) std::cout << t::kMissing;
  std::cout << '\n';
  return true;
}

// The entries of one registry file, relative library paths resolved.
void ListRegistry(const std::string& path, const char* heading) {
  std::cout << heading << path << '\n';
  const auto entries = kc::RegistryEntriesIn(path);
  if (entries.empty()) std::cout << t::kEmpty << '\n';
  for (const auto& e : entries) {
    const std::string lib = kc::RegisteredLibraryIn({path}, e.progid);
    std::error_code ec;
    std::cout << e.progid << " = " << lib;
    if (!fs::exists(lib, ec)) std::cout << t::kMissing;
    std::cout << '\n';
  }
}

int List() {
  const std::string own = kc::InstallationRegistryPath();
  if (!own.empty()) ListRegistry(own, t::kInstallationRegistry);
  ListRegistry(kc::RegistryPath(), t::kRegistry);
  return 0;
}

int RegisterDir(const std::string& dir) {
  const std::string folder = Absolute(dir);
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    std::cerr << t::kNotFolder << folder << '\n';
    return 1;
  }
  for (const auto& c : kc::kStandardComponents) {
    if (!RegisterOne(c.progid, (fs::path(folder) / c.file).string())) return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string a1 = argc > 1 ? argv[1] : "";
  if (argc == 2 && a1 == "--list") return List();
  if (argc == 3 && a1 == "--dir") return RegisterDir(argv[2]);
  if (argc == 2 && (a1 == "--help" || a1 == "-h")) {
    std::cout << t::kUsage;
    return 0;
  }
  if (argc == 3 && !a1.empty() && a1[0] != '-') {
    return RegisterOne(a1, Absolute(argv[2])) ? 0 : 1;
  }
  std::cerr << t::kUsage;
  return 2;
}
