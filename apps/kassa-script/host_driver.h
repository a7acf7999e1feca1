// The workbook side of the scenario runner: how the scripted user's workbook
// commands reach a spreadsheet host.
//
// The runner parses and checks each command and then calls its driver; the
// model driver acts on the in-memory host (the workbook window's host), the
// office driver (built with the Calc host) acts on a document shown by the
// office, through the office's own input. Either way the same events reach
// the same components, so one scenario gives one transcript on both hosts.
//
// Cells are 1-based rows and columns; a range may be a whole row
// (columns 1..kMaxColumns). A driver reports a command that cannot be
// carried out through `fail`, which never returns (the run ends there).
// A host error the user would see is thrown as host::HostError.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "apps/kassa-script/script.h"
#include "platform/host/host.h"
#include "platform/ui/form.h"

namespace kassa::script {

class HostDriver {
 public:
  virtual ~HostDriver();

  // Set by the runner before the first command: `fail` ends the run and
  // never returns; `out` writes a transcript line.
  std::function<void(const std::string& why)> fail;
  std::function<void(const std::string& line)> out;

  virtual void Open(const std::string& file) = 0;
  virtual void Activate(const std::string& sheet) = 0;
  virtual void Select(long row1, int col1, long row2, int col2) = 0;
  virtual void Type(long row, int column, const std::string& text) = 0;
  virtual void Paste(long row, int column, const std::string& tsv) = 0;
  virtual void Clear(long row1, int col1, long row2, int col2) = 0;
  virtual void Click(const std::string& shape) = 0;
  virtual void Save() = 0;
  // Saves the active workbook under another name (relative to the
  // scenario's folder), with the save event first.
  virtual void SaveAs(const std::string& file) = 0;
  virtual void Close() = 0;
  // Whether the active workbook has a sheet of that name.
  virtual bool HasSheet(const std::string& name) = 0;
  // The `show` lines of a range of a sheet ("" = the active sheet) as the
  // user sees it (see cell_report.h); a whole sheet when `all` is true.
  virtual std::vector<std::string> Show(const std::string& sheet, bool all, long row1, int col1,
                                        long row2, int col2) = 0;
  // A user action on a shown form (`fill`, `press`, `choose`, `dismiss`)
  // carried out through the form's window as a person would; false leaves
  // it to the runner, which acts on the form directly.
  virtual bool FormAction(ui::Form& form, const Line& line) {
    (void)form;
    (void)line;
    return false;
  }
  // A command only this host knows (false: unknown to it).
  virtual bool Extra(const Line& line) {
    (void)line;
    return false;
  }
  // After every command and before the user answers a message box: the
  // host brings what the user sees up to date. Nothing by default.
  virtual void Settle() {}
  // Closes every workbook without events or questions (end of the run).
  virtual void CloseAll() = 0;
};

// The in-memory host of the workbook window.
class ModelDriver : public HostDriver {
 public:
  void Open(const std::string& file) override;
  void Activate(const std::string& sheet) override;
  void Select(long row1, int col1, long row2, int col2) override;
  void Type(long row, int column, const std::string& text) override;
  void Paste(long row, int column, const std::string& tsv) override;
  void Clear(long row1, int col1, long row2, int col2) override;
  void Click(const std::string& shape) override;
  void Save() override;
  void SaveAs(const std::string& file) override;
  void Close() override;
  bool HasSheet(const std::string& name) override;
  std::vector<std::string> Show(const std::string& sheet, bool all, long row1, int col1, long row2,
                                int col2) override;
  void CloseAll() override;

 private:
  host::Workbook& Book();
  host::Worksheet& Sheet() { return Book().ActiveSheet(); }
  host::Application app_;
};

}  // namespace kassa::script
