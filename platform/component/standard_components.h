// The components a Kassa installation registers, with their library files.
#pragma once

namespace kassa::component {

struct StandardComponent {
  const char* progid;
  const char* file;  // in the deployment's DLLs folder
};

inline constexpr StandardComponent kStandardComponents[] = {
    {"Dbgate.ADB_cls", "libdbgate.so"},
    {"Sheetsync.WB_Events", "libsheetsync.so"},
    {"Ledgertools.Special_Function", "libledgertools.so"},
    {"Waitbox.clsMsgBox", "libwaitbox.so"},
    {"INI_*.Ini_Book", "libinibook.so"},
};

}  // namespace kassa::component
