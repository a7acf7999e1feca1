// The registry file: where it is, how ProgIDs are found, how entries are written.
#include <gtest/gtest.h>

#include <set>

#include "platform/component/component.h"
#include "platform/component/standard_components.h"
#include "tests/component/temp_registry.h"

namespace kassa_test {
namespace {

namespace kc = kassa::component;

TEST(RegistryPath, EnvironmentDecides) {
  EnvGuard env;
  env.Set("KASSA_COMPONENTS", "/opt/x/reg.conf");
  env.Set("XDG_CONFIG_HOME", "/xdg");
  env.Set("HOME", "/home/u");
  EXPECT_EQ(kc::RegistryPath(), "/opt/x/reg.conf");
  env.Set("KASSA_COMPONENTS", "");
  EXPECT_EQ(kc::RegistryPath(), "/xdg/kassa/components.conf");
  env.Set("KASSA_COMPONENTS", std::nullopt);
  EXPECT_EQ(kc::RegistryPath(), "/xdg/kassa/components.conf");
  env.Set("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(kc::RegistryPath(), "/home/u/.config/kassa/components.conf");
  env.Set("XDG_CONFIG_HOME", "relative/dir");  // not absolute: ignored
  EXPECT_EQ(kc::RegistryPath(), "/home/u/.config/kassa/components.conf");
}

using RegistryLookup = TempRegistryTest;

TEST_F(RegistryLookup, ExactNamesWildcardAndCase) {
  WriteRegistry(
      "# components\n"
      "INI_*.Ini_Book=/lib/libinibook.so\n"
      "Dbgate.ADB_cls = /lib/libdbgate.so \r\n"
      "\n"
      "INI_Special.Ini_Book=/lib/libspecial.so\n"
      "malformed line\n"
      "=/lib/noname.so\n"
      "Empty.Library=\n");
  EXPECT_EQ(kc::RegisteredLibrary("Dbgate.ADB_cls"), "/lib/libdbgate.so");
  EXPECT_EQ(kc::RegisteredLibrary("dbgate.adb_CLS"), "/lib/libdbgate.so");
  EXPECT_EQ(kc::RegisteredLibrary("INI_Kassa.Ini_Book"), "/lib/libinibook.so");
  EXPECT_EQ(kc::RegisteredLibrary("ini_kassa.ini_book"), "/lib/libinibook.so");
  EXPECT_EQ(kc::RegisteredLibrary("INI_My Book 2.Ini_Book"), "/lib/libinibook.so");
  EXPECT_EQ(kc::RegisteredLibrary("INI_Special.Ini_Book"), "/lib/libspecial.so");  // exact wins
  EXPECT_EQ(kc::RegisteredLibrary("INI_Kassa.Other"), "");
  EXPECT_EQ(kc::RegisteredLibrary("XINI_Kassa.Ini_Book"), "");
  EXPECT_EQ(kc::RegisteredLibrary("Sheetsync.WB_Events"), "");
  EXPECT_EQ(kc::RegisteredLibrary("Empty.Library"), "");
  EXPECT_EQ(kc::RegisteredLibrary("malformed line"), "");
  EXPECT_EQ(kc::RegistryEntries().size(), 3u);
}

TEST_F(RegistryLookup, LaterLineOverridesAndRelativePathsFollowTheRegistry) {
  WriteRegistry("A.B=/old/liba.so\nA.B=liba.so\n");
  EXPECT_EQ(kc::RegisteredLibrary("A.B"), (registry_.parent_path() / "liba.so").string());
}

TEST_F(RegistryLookup, MissingRegistryFileMeansNothingRegistered) {
  EXPECT_EQ(kc::RegisteredLibrary("Dbgate.ADB_cls"), "");
  EXPECT_TRUE(kc::RegistryEntries().empty());
}

using InstallationRegistry = TempRegistryTest;

TEST_F(InstallationRegistry, BesideTheProgramsComponentsInEitherLayout) {
  namespace fs = std::filesystem;
  // The deployment layout: programs, and DLLs/ beside them.
  const fs::path deploy = dir_ / "deploy";
  fs::create_directories(deploy / "DLLs");
  EXPECT_EQ(kc::InstallationRegistryOf(deploy.string()), "");
  std::ofstream(deploy / "DLLs" / "components.conf") << "A.B=liba.so\n";
  EXPECT_EQ(kc::InstallationRegistryOf(deploy.string()),
            (deploy / "DLLs" / "components.conf").string());
  // The installed layout: bin/ and lib/kassa/.
  const fs::path prefix = dir_ / "prefix";
  fs::create_directories(prefix / "bin");
  fs::create_directories(prefix / "lib" / "kassa");
  EXPECT_EQ(kc::InstallationRegistryOf((prefix / "bin").string()), "");
  std::ofstream(prefix / "lib" / "kassa" / "components.conf") << "A.B=liba.so\n";
  EXPECT_EQ(kc::InstallationRegistryOf((prefix / "bin").string()),
            (prefix / "lib" / "kassa" / "components.conf").string());
  // A folder named like the registry is no registry.
  fs::create_directories(dir_ / "odd" / "DLLs" / "components.conf");
  EXPECT_EQ(kc::InstallationRegistryOf((dir_ / "odd").string()), "");
  EXPECT_EQ(kc::InstallationRegistryOf(""), "");
}

TEST_F(InstallationRegistry, TheFirstRegistryNamingAProgIdGivesItsLibrary) {
  namespace fs = std::filesystem;
  const fs::path own = dir_ / "own" / "DLLs" / "components.conf";
  fs::create_directories(own.parent_path());
  std::ofstream(own) << "Dbgate.ADB_cls=libdbgate.so\nINI_*.Ini_Book=libinibook.so\n";
  WriteRegistry(
      "Dbgate.ADB_cls=/other/libdbgate.so\nINI_Kassa.Ini_Book=/other/libkassa.so\n"
      "Only.Elsewhere=/other/libonly.so\n");
  const std::vector<std::string> order = {own.string(), registry_.string()};
  EXPECT_EQ(kc::RegisteredLibraryIn(order, "Dbgate.ADB_cls"),
            (own.parent_path() / "libdbgate.so").string());
  // The installation's wildcard wins over another registry's exact name.
  EXPECT_EQ(kc::RegisteredLibraryIn(order, "INI_Kassa.Ini_Book"),
            (own.parent_path() / "libinibook.so").string());
  EXPECT_EQ(kc::RegisteredLibraryIn(order, "Only.Elsewhere"), "/other/libonly.so");
  EXPECT_EQ(kc::RegisteredLibraryIn(order, "Not.Anywhere"), "");
  EXPECT_EQ(kc::RegisteredLibraryIn({registry_.string(), own.string()}, "Dbgate.ADB_cls"),
            "/other/libdbgate.so");
  // A program outside any installation (this test) searches RegistryPath() only.
  EXPECT_EQ(kc::RegistrySearchPath(), std::vector<std::string>{registry_.string()});
  EXPECT_EQ(kc::RegisteredLibrary("Dbgate.ADB_cls"), "/other/libdbgate.so");
}

TEST(InstallationRegistryOfTheBuild, ListsTheStandardComponentsBesideIt) {
  std::set<std::pair<std::string, std::string>> listed, standard;
  for (const kc::RegistryEntry& e : kc::RegistryEntriesIn(KASSA_BUILD_REGISTRY))
    listed.emplace(e.progid, e.library);
  for (const kc::StandardComponent& c : kc::kStandardComponents) standard.emplace(c.progid, c.file);
  EXPECT_EQ(listed, standard);
}

using RegistryWrite = TempRegistryTest;

TEST_F(RegistryWrite, CreatesFileAndFolder) {
  std::string error;
  ASSERT_TRUE(kc::Register("Dbgate.ADB_cls", "/d/libdbgate.so", error)) << error;
  EXPECT_EQ(ReadRegistry(), "Dbgate.ADB_cls=/d/libdbgate.so\n");
  EXPECT_EQ(kc::RegisteredLibrary("Dbgate.ADB_cls"), "/d/libdbgate.so");
}

TEST_F(RegistryWrite, ReplacesInPlaceKeepingOtherLines) {
  WriteRegistry("# mine\nA.B=/1.so\ndbgate.adb_cls=/old.so\nC.D=/3.so\nDBGATE.ADB_CLS=/older.so\n");
  std::string error;
  ASSERT_TRUE(kc::Register("Dbgate.ADB_cls", "/new.so", error)) << error;
  EXPECT_EQ(ReadRegistry(), "# mine\nA.B=/1.so\nDbgate.ADB_cls=/new.so\nC.D=/3.so\n");
  ASSERT_TRUE(kc::Register("E.F", "/5.so", error)) << error;
  EXPECT_EQ(ReadRegistry(), "# mine\nA.B=/1.so\nDbgate.ADB_cls=/new.so\nC.D=/3.so\nE.F=/5.so\n");
}

TEST_F(RegistryWrite, RefusesEntriesThatWouldNotReadBack) {
  std::string error;
  for (const char* bad : {"", " A.B", "A=B", "#A.B", "A\nB"}) {
    error.clear();
    EXPECT_FALSE(kc::Register(bad, "/x.so", error)) << bad;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_FALSE(kc::Register("A.B", "", error));
  EXPECT_FALSE(kc::Register("A.B", "/x\n.so", error));
  EXPECT_FALSE(std::filesystem::exists(registry_));
}

TEST_F(RegistryWrite, UnwritableLocationIsReported) {
  WriteRegistry("");
  env_.Set("KASSA_COMPONENTS", (registry_ / "sub" / "components.conf").string());  // under a file
  std::string error;
  EXPECT_FALSE(kc::Register("A.B", "/x.so", error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace kassa_test
