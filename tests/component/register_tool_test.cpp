// The kassa-register command, run as a program.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>

#include "platform/component/component.h"
#include "tests/component/temp_registry.h"

namespace kassa_test {
namespace {

namespace kc = kassa::component;
namespace fs = std::filesystem;

struct ToolRun {
  int status;
  std::string output;  // stdout and stderr
};

ToolRun RunRegister(const std::string& args) {
  const std::string cmd = std::string(KASSA_REGISTER_PROGRAM) + " " + args + " 2>&1";
  ToolRun r{-1, ""};
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  std::array<char, 256> buf;
  while (fgets(buf.data(), buf.size(), p)) r.output += buf.data();
  const int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

using RegisterTool = TempRegistryTest;

TEST_F(RegisterTool, DirRegistersTheFiveStandardComponentsWithAbsolutePaths) {
  const fs::path dlls = dir_ / "deploy" / "DLLs";
  fs::create_directories(dlls);
  std::ofstream(dlls / "libdbgate.so") << "";
  const ToolRun r = RunRegister("--dir '" + dlls.string() + "/'");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(kc::RegisteredLibrary("Dbgate.ADB_cls"), (dlls / "libdbgate.so").string());
  EXPECT_EQ(kc::RegisteredLibrary("Sheetsync.WB_Events"), (dlls / "libsheetsync.so").string());
  EXPECT_EQ(kc::RegisteredLibrary("Ledgertools.Special_Function"),
            (dlls / "libledgertools.so").string());
  EXPECT_EQ(kc::RegisteredLibrary("Waitbox.clsMsgBox"), (dlls / "libwaitbox.so").string());
  EXPECT_EQ(kc::RegisteredLibrary("INI_Kassa.Ini_Book"), (dlls / "libinibook.so").string());
  EXPECT_EQ(kc::RegistryEntries().size(), 5u);
  // The missing files are named as missing, the present one is not.
  EXPECT_NE(r.output.find("libsheetsync.so (the library file does not exist yet)"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(r.output.find("libdbgate.so (the library"), std::string::npos) << r.output;
  // Running it again replaces, not duplicates.
  ASSERT_EQ(RunRegister("--dir " + dlls.string()).status, 0);
  EXPECT_EQ(kc::RegistryEntries().size(), 5u);
}

TEST_F(RegisterTool, OneEntryWithARelativeLibraryBecomesAbsolute) {
  const ToolRun r = RunRegister("My.Thing relative/libthing.so");
  ASSERT_EQ(r.status, 0) << r.output;
  const std::string lib = kc::RegisteredLibrary("My.Thing");
  EXPECT_TRUE(fs::path(lib).is_absolute()) << lib;
  EXPECT_EQ(fs::path(lib).filename(), "libthing.so");
}

TEST_F(RegisterTool, ListShowsTheRegistry) {
  WriteRegistry("A.B=/x/liba.so\n");
  const ToolRun r = RunRegister("--list");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find(registry_.string()), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("A.B = /x/liba.so"), std::string::npos) << r.output;
}

TEST_F(RegisterTool, FailuresExitNonZeroWithAMessage) {
  ToolRun r = RunRegister("");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.output.find("usage"), std::string::npos);
  r = RunRegister("--dir " + (dir_ / "no-such-folder").string());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("not a folder"), std::string::npos) << r.output;
  WriteRegistry("");
  env_.Set("KASSA_COMPONENTS", (registry_ / "under-a-file.conf").string());
  r = RunRegister("A.B /x/liba.so");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("kassa-register:"), std::string::npos) << r.output;
  r = RunRegister("--bogus x");
  EXPECT_EQ(r.status, 2);
}

}  // namespace
}  // namespace kassa_test
