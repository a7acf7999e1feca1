// Components created by ProgID.
//
// A component is a shared library exporting
//   extern "C" kassa::component::Object* kassa_create_object(const char* progid);
// which returns a new object (owned by the caller) or null. A registry file
// maps each ProgID to its library file, one "ProgID=/path/lib.so" per line
// ('#' comments). The registry is $KASSA_COMPONENTS when set, otherwise
// $XDG_CONFIG_HOME/kassa/components.conf (~/.config/... when unset).
// A ProgID of the form "INI_<book>.Ini_Book" that is not listed by name is
// looked up under the wildcard entry "INI_*.Ini_Book".
#pragma once

#include <memory>
#include <string>
#include <vector>

#define KASSA_EXPORT __attribute__((visibility("default")))

namespace kassa::component {

// Base of every component object and component interface.
class KASSA_EXPORT Object {
 public:
  virtual ~Object();
};

// The object for `progid`, or null when the ProgID is not registered, its
// library does not load, or the library does not make the object.
// Libraries stay loaded for the life of the process.
std::shared_ptr<Object> CreateObject(const std::string& progid);

template <class T>
std::shared_ptr<T> Create(const std::string& progid) {
  return std::dynamic_pointer_cast<T>(CreateObject(progid));
}

// As CreateObject; when the result is null, `why` tells what failed (not
// registered, the loader's message, no entry point, no object made).
std::shared_ptr<Object> CreateObject(const std::string& progid, std::string& why);

// Path of the registry file in effect.
std::string RegistryPath();

// The library registered for `progid` ("" when none), after the wildcard
// rule; a relative path in the registry is taken relative to its folder.
// An entry's ProgID matches without regard to letter case, and a later line
// overrides an earlier one with the same ProgID.
std::string RegisteredLibrary(const std::string& progid);

// Every entry of the registry in effect, in file order.
struct RegistryEntry {
  std::string progid;
  std::string library;
};
std::vector<RegistryEntry> RegistryEntries();

// Adds or replaces `progid` -> `library` in the registry (creating the file
// and its folder). False with `error` set when the file cannot be written.
bool Register(const std::string& progid, const std::string& library, std::string& error);

// Folder of the shared library that contains `address` ("" if unknown);
// a component uses it to find files deployed beside itself.
std::string LibraryFolderOf(const void* address);

}  // namespace kassa::component

#define KASSA_COMPONENT_ENTRY \
  extern "C" KASSA_EXPORT kassa::component::Object* kassa_create_object(const char* progid)
