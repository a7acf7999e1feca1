// The scenario runner's workbook commands on office documents: the user at
// the office window, typing through the office's own keyboard input (posted
// key events in a headless office, real keystrokes with xdotool on a
// display).
//
// `open` loads the workbook in a visible window and waits until the Calc
// host has taken it on and its open event has finished; `type`, `clear`,
// `paste`, `save`, `close` and the edits only the office knows (cut, fill,
// sort, paste as text, rows and columns, undo) go through the office's
// keyboard and commands, so the office reports them as it does for a
// person (headless: keystrokes posted to the document window, which the
// office handles as keyboard input); `show` reads the document itself, not the host's model, with
// the same rules as the workbook window's report.
#pragma once

#include <com/sun/star/awt/KeyEvent.hpp>
#include <com/sun/star/awt/XToolkitRobot.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <memory>
#include <string>

#include "apps/kassa-script/host_driver.h"
#include "calc/calc_host.h"

namespace kassa::calc {

class ChangeCounter;

class OfficeDriver : public script::HostDriver {
 public:
  // `real_keys`: keystrokes go to the display with xdotool.
  explicit OfficeDriver(bool real_keys);

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
  bool FormAction(ui::Form& form, const script::Line& line) override;
  bool Extra(const script::Line& line) override;
  void Settle() override;
  void CloseAll() override {}

 private:
  // The open document (a workbook of the host or not); fails when none.
  Reference<css::frame::XModel> Model();
  Reference<css::sheet::XSpreadsheet> ActiveDocSheet();
  void SelectCells(long row1, int col1, long row2, int col2);
  void Keys(const std::string& keycode);  // "RETURN", "DELETE", "CTRL+Z"
  void Text(const std::string& text);
  void Press(css::awt::KeyEvent key);
  void FocusDocument();
  // `check-layout <form>`: the form's office dialog against its twips.
  void CheckLayout(const std::string& form);
  void Command(const std::string& command);
  void PutOnClipboard(const std::string& tsv);
  void Wait(const std::function<bool()>& done, const std::string& what);

  bool real_keys_;
  Reference<css::awt::XToolkitRobot> robot_;
  Reference<css::frame::XModel> model_;
  Reference<css::frame::XModel> scratch_;  // source of pasted blocks
  Reference<ChangeCounter> changes_;       // the open document's reported changes
  // The documents opened, in the order the user last had them in front (the
  // last one is model_); a closed one goes and the one before comes back.
  std::vector<std::pair<Reference<css::frame::XModel>, Reference<ChangeCounter>>> shown_;
};

}  // namespace kassa::calc
