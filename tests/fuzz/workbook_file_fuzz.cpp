// Fuzz target: the workbook file reader. The input is either a whole file
// (it starts with "PK", a zip archive) or the parts of a workbook separated
// by the byte 0x1E, in this order: xl/workbook.xml,
// xl/_rels/workbook.xml.rels, xl/styles.xml, xl/sharedStrings.xml,
// docProps/custom.xml, then xl/worksheets/sheet1.xml, sheet2.xml, ...; these
// are stored uncompressed into an archive, so the reader's XML handling is
// reached with every mutation.
//
// What must hold for any input: opening throws nothing but HostError; an
// opened workbook's cells can be read (Text throws only HostError); a
// workbook holding content the host does not keep opens read-only and is
// not written; the host's own data encodes and decodes again.
#include <unistd.h>
#include <zip.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/host/host.h"
#include "platform/host/internal.h"
#include "tests/fuzz/quiet_ui.h"

namespace {

using kassa::host::Application;
using kassa::host::HostError;
using kassa::host::Workbook;

std::string ScratchPath(const char* name) {
  static const std::string dir = [] {
    const char* shm = "/dev/shm";
    std::string d = access(shm, W_OK) == 0 ? shm : "/tmp";
    return d + "/kassa-fuzz-" + std::to_string(getpid());
  }();
  return dir + "-" + name;
}

void WriteRaw(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

void WriteParts(const std::string& path, const std::vector<std::string>& parts) {
  static const char* const kNames[] = {"xl/workbook.xml", "xl/_rels/workbook.xml.rels",
                                       "xl/styles.xml", "xl/sharedStrings.xml",
                                       "docProps/custom.xml"};
  zipFile z = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (!z) std::abort();
  for (size_t i = 0; i < parts.size(); ++i) {
    std::string name =
        i < std::size(kNames)
            ? kNames[i]
            : "xl/worksheets/sheet" + std::to_string(i - std::size(kNames) + 1) + ".xml";
    zip_fileinfo info{};
    if (zipOpenNewFileInZip64(z, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, 0, 0, 0) !=
            ZIP_OK ||
        zipWriteInFileInZip(z, parts[i].data(), static_cast<unsigned>(parts[i].size())) != ZIP_OK ||
        zipCloseFileInZip(z) != ZIP_OK)
      std::abort();
  }
  zipClose(z, nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kassa::fuzz::InstallQuietUi();
  // No components: a workbook naming an event sink opens without one.
  setenv("KASSA_COMPONENTS", "/nonexistent/kassa-fuzz-components.conf", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = ScratchPath("book.xlsx");
  if (size >= 2 && data[0] == 'P' && data[1] == 'K') {
    WriteRaw(path, data, size);
  } else {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < size; ++i) {
      if (data[i] == 0x1E)
        parts.emplace_back();
      else
        parts.back() += static_cast<char>(data[i]);
    }
    WriteParts(path, parts);
  }
  Application app;
  Workbook* wb = nullptr;
  try {
    wb = &app.Open(path);
  } catch (const HostError&) {
    return 0;  // an unreadable file is refused
  }
  for (int s = 1; s <= wb->SheetsCount(); ++s) {
    kassa::host::Worksheet& ws = wb->Sheets(s);
    const long rows = std::min(ws.LastUsedRow(), 300L);
    for (long r = 1; r <= rows; ++r)
      for (int c = 1; c <= std::min(ws.LastUsedColumn(), 40); ++c) {
        try {
          (void)ws.Cells(r, c).Text();
        } catch (const HostError&) {
        }
      }
  }
  if (!wb->UnkeptContent().empty()) {
    if (!wb->ReadOnly()) std::abort();
    bool refused = false;
    try {
      wb->SaveAs(ScratchPath("never.xlsx"));
    } catch (const HostError&) {
      refused = true;
    }
    if (!refused) std::abort();
  }
  const auto props = kassa::host::EncodeHostData(*wb);
  Workbook& again = app.Add();
  for (int s = 2; s <= wb->SheetsCount(); ++s) again.AddSheet("s" + std::to_string(s));
  kassa::host::DecodeHostData(props, again);
  if (kassa::host::EncodeHostData(again) != props) std::abort();
  return 0;
}
