// The component entry of libdbgate.so: makes "Dbgate.ADB_cls" objects that
// read Connect_Parametrs.ini from the folder of this library.
#include <strings.h>

#include <string>

#include "dbgate/adb_impl.h"
#include "dbgate/texts.h"

namespace {
constexpr char kProgId[] = "Dbgate.ADB_cls";
const char kAnchor = 0;  // an address inside this library
}  // namespace

KASSA_COMPONENT_ENTRY {
  if (progid == nullptr || strcasecmp(progid, kProgId) != 0) return nullptr;
  const std::string folder = kassa::component::LibraryFolderOf(&kAnchor);
  return kassa::dbgate::MakeADB(folder + "/" + kassa::dbgate::texts::kParametersFile).release();
}
