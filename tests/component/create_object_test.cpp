// Creating objects from real component libraries.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/component/component.h"
#include "tests/component/temp_registry.h"
#include "tests/component/test_module_api.h"

namespace kassa_test {
namespace {

namespace kc = kassa::component;
namespace fs = std::filesystem;

using CreateObject = TempRegistryTest;

TEST_F(CreateObject, MakesTheObjectOfARegisteredModule) {
  WriteRegistry(std::string("Test.Greeter=") + KASSA_TEST_MODULE + "\n");
  auto g = kc::Create<Greeter>("Test.Greeter");
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->ProgId(), "Test.Greeter");
  EXPECT_EQ(g->Folder(), fs::path(KASSA_TEST_MODULE).parent_path().string());
}

TEST_F(CreateObject, WildcardEntryReceivesTheFullProgId) {
  WriteRegistry(std::string("INI_*.Ini_Book=") + KASSA_TEST_MODULE + "\n");
  auto g = kc::Create<Greeter>("INI_Kassa.Ini_Book");
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->ProgId(), "INI_Kassa.Ini_Book");
}

TEST_F(CreateObject, LibraryStaysLoadedBetweenObjects) {
  WriteRegistry(std::string("Test.Greeter=") + KASSA_TEST_MODULE + "\n");
  int first;
  {
    auto g = kc::Create<Greeter>("Test.Greeter");
    ASSERT_NE(g, nullptr);
    first = g->Serial();
  }
  // Every object is gone; a library that was unloaded would start again at 1.
  auto again = kc::Create<Greeter>("Test.Greeter");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Serial(), first + 1);
}

TEST_F(CreateObject, WrongInterfaceGivesNull) {
  struct Other : kc::Object {};
  WriteRegistry(std::string("Test.Greeter=") + KASSA_TEST_MODULE + "\n");
  EXPECT_EQ(kc::Create<Other>("Test.Greeter"), nullptr);
}

struct NullCase {
  const char* name;
  std::string registry;
  const char* progid;
  const char* why_contains;
};
void PrintTo(const NullCase& c, std::ostream* os) {
  *os << c.name;
}

class CreateObjectFails : public TempRegistryTest,
                          public ::testing::WithParamInterface<NullCase> {};

TEST_P(CreateObjectFails, GivesNullAndSaysWhy) {
  const NullCase& c = GetParam();
  WriteRegistry(c.registry);
  fs::create_directories(dir_);
  std::ofstream(dir_ / "libtext.so") << "not a library";
  std::string why;
  EXPECT_EQ(kc::CreateObject(c.progid, why), nullptr);
  EXPECT_NE(why.find(c.why_contains), std::string::npos) << why;
  EXPECT_EQ(kc::CreateObject(c.progid), nullptr);
}

const std::string kModule = KASSA_TEST_MODULE;

INSTANTIATE_TEST_SUITE_P(
    Cases, CreateObjectFails,
    ::testing::Values(
        NullCase{"Unregistered", "Other.Thing=" + kModule + "\n", "Test.Greeter", "not registered"},
        NullCase{"NoRegistryFile", "", "Test.Greeter", "not registered"},
        NullCase{"MissingFile", "Test.Greeter=/nonexistent/libnothing.so\n", "Test.Greeter",
                 "libnothing.so"},
        NullCase{"NotALibrary", "Test.Greeter=libtext.so\n", "Test.Greeter", "libtext.so"},
        NullCase{"NoEntryPoint", std::string("Test.Greeter=") + KASSA_NO_ENTRY_MODULE + "\n",
                 "Test.Greeter", "kassa_create_object"},
        NullCase{"EntryMakesNothing", "Test.Nothing=" + kModule + "\n", "Test.Nothing",
                 "no object"},
        NullCase{"EntryThrows", "Test.Throw=" + kModule + "\n", "Test.Throw", "refused"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LibraryFolderOf, FindsTheModuleOfAnAddress) {
  static int here = 0;
  EXPECT_EQ(kc::LibraryFolderOf(&here), fs::canonical("/proc/self/exe").parent_path().string());
  EXPECT_EQ(kc::LibraryFolderOf(nullptr), "");
}

}  // namespace
}  // namespace kassa_test
