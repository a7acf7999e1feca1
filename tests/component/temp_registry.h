// A private registry for each test: a fresh folder and $KASSA_COMPONENTS
// pointing into it; the environment is restored afterwards.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

namespace kassa_test {

class EnvGuard {
 public:
  ~EnvGuard() {
    for (const auto& [name, value] : saved_) {
      if (value)
        setenv(name.c_str(), value->c_str(), 1);
      else
        unsetenv(name.c_str());
    }
  }
  void Set(const std::string& name, const std::optional<std::string>& value) {
    if (!saved_.count(name)) {
      const char* old = getenv(name.c_str());
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value)
      setenv(name.c_str(), value->c_str(), 1);
    else
      unsetenv(name.c_str());
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

class TempRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/kassa-component-test-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    registry_ = dir_ / "conf" / "components.conf";
    env_.Set("KASSA_COMPONENTS", registry_.string());
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void WriteRegistry(const std::string& text) {
    std::filesystem::create_directories(registry_.parent_path());
    std::ofstream(registry_) << text;
  }
  std::string ReadRegistry() const {
    std::ifstream in(registry_);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::filesystem::path dir_;
  std::filesystem::path registry_;
  EnvGuard env_;
};

}  // namespace kassa_test
