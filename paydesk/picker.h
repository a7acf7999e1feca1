// A picker window (Choice_Category or Choice_Member): a grid over its own
// data source, a filter box that re-queries as the user types, and
// "Добавить", which opens the ledger service's add dialog and re-queries.
// Choosing a row hands its first column to `on_chosen`, empties the filter
// (all rows again) and hides the window. The window is made once; it loads
// its list on the first showing and again after the user closed it by its
// frame.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "paydesk/database.h"
#include "paydesk/ledger_service.h"
#include "paydesk/list_source.h"
#include "paydesk/picker_kind.h"
#include "platform/ui/form.h"

namespace kassa::paydesk {

class Picker {
 public:
  Picker(const PickerKind& kind, Program& program, Database& db, LedgerService& service,
         std::function<void(const std::string&)> on_chosen);
  void Show();
  void Hide() { form_.Hide(); }
  ui::Form& form() { return form_; }

 private:
  void Load();
  void Requery();  // runs the filter box's record source
  void Refresh();  // re-runs the current record source into the grid
  void OnRowChosen(int row);
  void OnAdd();

  const PickerKind& kind_;
  Program& program_;
  Database& db_;
  LedgerService& service_;
  std::function<void(const std::string&)> on_chosen_;
  ui::Form form_;
  ListSource source_;  // the data control
  bool loaded_ = false;
  bool no_match_ = false;  // the filter holds text no row can match
};

}  // namespace kassa::paydesk
