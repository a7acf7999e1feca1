// Texts of the kassa-register command.
#pragma once

namespace kassa::component::register_texts {

inline constexpr const char* kUsage =
    "usage: kassa-register PROGID LIBRARY   register one component library\n"
    "       kassa-register --dir DLLS_DIR   register the standard components in DLLS_DIR\n"
    "       kassa-register --list           show the registries in effect\n"
    "It writes $KASSA_COMPONENTS, else $XDG_CONFIG_HOME/kassa/components.conf,\n"
    "else ~/.config/kassa/components.conf. A program looks in its own installation's\n"
    "registry (DLLs/components.conf beside it, or ../lib/kassa/components.conf) first.\n";
inline constexpr const char* kRegistered = "registered ";
inline constexpr const char* kMissing = " (the library file does not exist yet)";
inline constexpr const char* kFailed = "kassa-register: ";
inline constexpr const char* kNotFolder = "kassa-register: not a folder: ";
inline constexpr const char* kRegistry = "registry: ";
inline constexpr const char* kInstallationRegistry = "installation registry (searched first): ";
inline constexpr const char* kEmpty = "(no components registered)";

}  // namespace kassa::component::register_texts
