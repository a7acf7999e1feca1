// Loading component libraries and creating their objects.
#include <dlfcn.h>
#include <errno.h>

#include <filesystem>
#include <map>
#include <mutex>

#include "platform/component/component.h"

namespace kassa::component {

Object::~Object() = default;

namespace {

using EntryPoint = Object* (*)(const char*);

std::mutex& LoaderMutex() {
  static std::mutex m;
  return m;
}

// Libraries stay loaded for the life of the process: objects made by them
// may live anywhere, and their code must outlive every one of them.
void* Load(const std::string& path, std::string& why) {
  static std::map<std::string, void*> loaded;
  std::lock_guard<std::mutex> lock(LoaderMutex());
  const auto it = loaded.find(path);
  if (it != loaded.end()) return it->second;
  dlerror();
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* e = dlerror();
    why = e ? e : ("cannot load " + path);
    return nullptr;
  }
  loaded.emplace(path, handle);
  return handle;
}

}  // namespace

std::shared_ptr<Object> CreateObject(const std::string& progid, std::string& why) {
  why.clear();
  try {
    const std::string library = RegisteredLibrary(progid);
    if (library.empty()) {
      why = progid + " is not registered in";
      for (const std::string& registry : RegistrySearchPath()) why += " " + registry;
      return nullptr;
    }
    void* handle = Load(library, why);
    if (!handle) return nullptr;
    dlerror();
    auto entry = reinterpret_cast<EntryPoint>(dlsym(handle, "kassa_create_object"));
    if (!entry) {
      why = library + " has no kassa_create_object";
      return nullptr;
    }
    Object* object = entry(progid.c_str());
    if (!object) {
      why = library + " made no object for " + progid;
      return nullptr;
    }
    return std::shared_ptr<Object>(object);
  } catch (const std::exception& e) {
    why = e.what();
  } catch (...) {
    why = "the component failed while creating " + progid;
  }
  return nullptr;
}

std::shared_ptr<Object> CreateObject(const std::string& progid) {
  std::string why;
  return CreateObject(progid, why);
}

std::string LibraryFolderOf(const void* address) {
  Dl_info info{};
  if (!dladdr(address, &info) || !info.dli_fname || !*info.dli_fname) return "";
  try {
    // The main program is reported by the name it was started with.
    std::filesystem::path p = std::string(info.dli_fname) == program_invocation_name
                                  ? std::filesystem::read_symlink("/proc/self/exe")
                                  : std::filesystem::absolute(info.dli_fname);
    return p.parent_path().string();
  } catch (...) {
    return "";
  }
}

}  // namespace kassa::component
