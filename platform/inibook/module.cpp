// The component entry: "INI_<book>.Ini_Book" reads "<book>.ini" from the
// folder this library was loaded from.
#include "platform/component/component.h"
#include "platform/inibook/ini_book_object.h"

KASSA_COMPONENT_ENTRY {
  std::string book = kassa::inibook::BookNameOf(progid ? progid : "");
  if (book.empty()) return nullptr;
  std::string folder =
      kassa::component::LibraryFolderOf(reinterpret_cast<const void*>(&kassa_create_object));
  if (folder.empty()) return nullptr;
  return new kassa::inibook::IniBookObject(folder + "/" + book + ".ini");
}
