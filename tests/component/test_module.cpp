// A component module for the loader tests: makes a Greeter for any ProgID
// except "Test.Nothing" (no object) and "Test.Throw" (fails by exception).
#include <stdexcept>
#include <string>

#include "tests/component/test_module_api.h"

namespace {

int made = 0;  // survives only while the library stays loaded

class GreeterImpl : public kassa_test::Greeter {
 public:
  explicit GreeterImpl(std::string progid) : progid_(std::move(progid)), serial_(++made) {}
  std::string ProgId() const override { return progid_; }
  int Serial() const override { return serial_; }
  std::string Folder() const override { return kassa::component::LibraryFolderOf(&made); }

 private:
  std::string progid_;
  int serial_;
};

}  // namespace

KASSA_COMPONENT_ENTRY {
  const std::string id = progid ? progid : "";
  if (id == "Test.Nothing") return nullptr;
  if (id == "Test.Throw") throw std::runtime_error("refused");
  return new GreeterImpl(id);
}
