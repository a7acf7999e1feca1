// Components created by ProgID.
//
// A component is a shared library exporting
//   extern "C" kassa::component::Object* kassa_create_object(const char* progid);
// which returns a new object (owned by the caller) or null. A registry file
// maps each ProgID to its library file, one "ProgID=/path/lib.so" per line
// ('#' comments; a relative path is relative to the registry's folder).
// A ProgID of the form "INI_<book>.Ini_Book" that is not listed by name is
// looked up under the wildcard entry "INI_*.Ini_Book".
//
// A program uses the components of its own installation first, so that two
// installations on one machine never use each other's libraries, parameters
// or database. The registries searched, in order (the first that names a
// ProgID gives its library):
//   1. the installation's registry, components.conf beside the program's
//      components: <program folder>/DLLs/components.conf (the deployment
//      layout of the build tree), else
//      <program folder>/../lib/kassa/components.conf (the layout of
//      cmake --install); written by the build and by the install;
//   2. $KASSA_COMPONENTS when set, otherwise the per-user registry
//      $XDG_CONFIG_HOME/kassa/components.conf (~/.config/... when unset),
//      which kassa-register writes.
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

// Path of the registry of step 2 above ($KASSA_COMPONENTS, else the
// per-user registry): the one kassa-register writes.
std::string RegistryPath();

// The registry of the installation whose programs live in
// `program_folder`: <program_folder>/DLLs/components.conf, else
// <program_folder>/../lib/kassa/components.conf, whichever exists first;
// "" when neither does.
std::string InstallationRegistryOf(const std::string& program_folder);

// The running program's installation registry ("" when it has none).
std::string InstallationRegistryPath();

// The registries searched, in order: the installation's (when there is
// one), then RegistryPath().
std::vector<std::string> RegistrySearchPath();

// The library for `progid` ("" when none) from the first of `registries`
// that names it, by name or by the wildcard rule; within one file an exact
// name wins over a wildcard, an entry's ProgID matches without regard to
// letter case, and a later line overrides an earlier one with the same
// ProgID. A relative path is taken relative to its registry's folder.
std::string RegisteredLibraryIn(const std::vector<std::string>& registries,
                                const std::string& progid);

// RegisteredLibraryIn(RegistrySearchPath(), progid).
std::string RegisteredLibrary(const std::string& progid);

// Every entry of RegistryPath(), in file order.
struct RegistryEntry {
  std::string progid;
  std::string library;
};
std::vector<RegistryEntry> RegistryEntries();
// Every entry of the registry file at `path`, in file order.
std::vector<RegistryEntry> RegistryEntriesIn(const std::string& path);

// Adds or replaces `progid` -> `library` in the registry (creating the file
// and its folder). False with `error` set when the file cannot be written.
bool Register(const std::string& progid, const std::string& library, std::string& error);

// Folder of the shared library that contains `address` ("" if unknown);
// a component uses it to find files deployed beside itself.
std::string LibraryFolderOf(const void* address);

}  // namespace kassa::component

#define KASSA_COMPONENT_ENTRY \
  extern "C" KASSA_EXPORT kassa::component::Object* kassa_create_object(const char* progid)
