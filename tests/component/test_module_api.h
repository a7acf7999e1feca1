// Interface of the test component module (the shape of a real component
// interface: an exported abstract class derived from Object).
#pragma once

#include <string>

#include "platform/component/component.h"

namespace kassa_test {

class KASSA_EXPORT Greeter : public kassa::component::Object {
 public:
  virtual std::string ProgId() const = 0;  // the ProgID the object was made for
  virtual int Serial() const = 0;          // objects made by the loaded library so far
  virtual std::string Folder() const = 0;  // LibraryFolderOf() inside the module
};

}  // namespace kassa_test
