// The runner's workbook commands on the in-memory host: the user at the
// workbook window.
#include "apps/kassa-script/cell_report.h"
#include "apps/kassa-script/host_driver.h"

namespace kassa::script {

HostDriver::~HostDriver() = default;

host::Workbook& ModelDriver::Book() {
  if (app_.Workbooks().empty()) fail("no workbook is open");
  return app_.ActiveWorkbook();
}

void ModelDriver::Open(const std::string& file) {
  app_.Open(file);
}

void ModelDriver::Activate(const std::string& name) {
  host::Worksheet* sheet = Book().FindSheet(name);
  if (!sheet) fail("no sheet " + name);
  host::user::Activate(*sheet);
}

void ModelDriver::Select(long row1, int col1, long row2, int col2) {
  host::user::Select(Sheet(), row1, col1, row2, col2);
}

void ModelDriver::Type(long row, int column, const std::string& text) {
  host::user::Type(Sheet(), row, column, text);
}

void ModelDriver::Paste(long row, int column, const std::string& tsv) {
  host::user::Paste(Sheet(), row, column, tsv);
}

void ModelDriver::Clear(long row1, int col1, long row2, int col2) {
  host::user::Clear(Sheet(), row1, col1, row2, col2);
}

void ModelDriver::Click(const std::string& shape) {
  host::Worksheet& sheet = Sheet();
  if (!sheet.FindShape(shape)) fail("no button " + shape + " on sheet " + sheet.Name());
  host::user::Click(sheet, shape);
}

void ModelDriver::Save() {
  host::user::Save(Book());
}

void ModelDriver::SaveAs(const std::string& file) {
  host::user::SaveAs(Book(), file);
}

void ModelDriver::Close() {
  host::user::Close(Book());
}

bool ModelDriver::HasSheet(const std::string& name) {
  return Book().FindSheet(name) != nullptr;
}

std::vector<std::string> ModelDriver::Show(const std::string& name, bool all, long row1, int col1,
                                           long row2, int col2) {
  host::Workbook& book = Book();
  host::Worksheet* sheet = &book.ActiveSheet();
  if (!name.empty()) {
    sheet = book.FindSheet(name);
    if (!sheet) fail("no sheet " + name);
  }
  return all ? CellLines(*sheet) : CellLines(*sheet, row1, col1, row2, col2);
}

void ModelDriver::CloseAll() {
  for (host::Workbook* wb : app_.Workbooks()) wb->Close();
}

}  // namespace kassa::script
