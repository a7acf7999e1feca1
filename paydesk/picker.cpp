#include "paydesk/picker.h"

#include "paydesk/controls.h"
#include "paydesk/texts.h"
#include "platform/ui/ui.h"

namespace kassa::paydesk {

namespace {
constexpr int kHeight = 4500;
constexpr int kMargin = 120;
constexpr int kRowHeight = 315;
constexpr int kButtonWidth = 1440;
constexpr int kButtonHeight = 375;
constexpr int kGridTop = 660;
}  // namespace

Picker::Picker(const PickerKind& kind, Program& program, Database& db, LedgerService& service,
               std::function<void(const std::string&)> on_chosen)
    : kind_(kind),
      program_(program),
      db_(db),
      service_(service),
      on_chosen_(std::move(on_chosen)),
      form_(kind.form, texts::kPickerCaption, kind.width, kHeight) {
  using ui::ControlKind;
  const int w = kind.width;
  form_.Add(MakeControl("L_Filter", ControlKind::Label, texts::kFilterLabel, kMargin, kMargin + 30,
                        840, kRowHeight, 0));
  form_.Add(MakeControl(kind.filter, ControlKind::TextBox, "", kMargin + 900, kMargin, 3600,
                        kRowHeight, 1));
  form_.Add(MakeControl(kind.add, ControlKind::Button, texts::kAddButton,
                        w - kMargin - kButtonWidth, kMargin - 30, kButtonWidth, kButtonHeight, 2));
  ui::Control grid = MakeControl(kind.grid, ControlKind::Grid, "", kMargin, kGridTop,
                                 w - 2 * kMargin, kHeight - kGridTop - kMargin, 3);
  grid.columns = kind.columns;  // held: they stay when the filter re-queries
  form_.Add(grid);

  form_.on_change = [this](const std::string& control) {
    if (control == kind_.filter) Requery();
  };
  form_.on_row_chosen = [this](const std::string& grid_name, int row) {
    if (grid_name == kind_.grid) OnRowChosen(row);
  };
  form_.on_click = [this](const std::string& button) {
    if (button == kind_.add) OnAdd();
  };
  form_.on_closed = [this] {
    loaded_ = false;  // unloaded: the next showing loads anew
    source_ = ListSource();
  };
}

void Picker::Show() {
  if (!loaded_) {
    Load();
    if (program_.ended) return;
  }
  form_.Show();
}

void Picker::Load() {
  std::string cn;
  if (!db_.ConnectionStringCN(cn)) {
    if (program_.ended) return;
    cn.clear();
  }
  source_.SetConnectionString(cn);
  source_.SetRecordSource(kind_.load_source);
  form_.control(kind_.filter).text.clear();
  no_match_ = false;
  loaded_ = true;
  Refresh();
}

void Picker::Requery() {
  const auto source = FilterSource(kind_, form_.control(kind_.filter).text);
  no_match_ = !source.has_value();
  if (source) source_.SetRecordSource(*source);
  Refresh();
}

void Picker::Refresh() {
  ui::Control& grid = form_.control(kind_.grid);
  grid.rows.clear();
  grid.current_row = -1;
  if (!no_match_) {
    std::vector<std::string> fields;
    for (const ui::GridColumn& c : grid.columns) fields.push_back(c.field);
    std::vector<std::vector<std::string>> rows;
    std::string error;
    if (source_.Refresh(fields, rows, error)) {
      grid.rows = std::move(rows);
      if (!grid.rows.empty()) grid.current_row = 0;
    } else {
      form_.Repaint();
      ui::Message(texts::kPickerListFailed, ui::Buttons::OK);
      return;
    }
  }
  form_.Repaint();
}

void Picker::OnRowChosen(int row) {
  const ui::Control& grid = form_.control(kind_.grid);
  if (row < 0 || static_cast<size_t>(row) >= grid.rows.size() || grid.rows[row].empty()) return;
  const std::string chosen = grid.rows[static_cast<size_t>(row)][0];
  on_chosen_(chosen);
  // Emptying the filter box is a change of its text only when it held text;
  // only then is the list read again.
  std::string& filter = form_.control(kind_.filter).text;
  if (!filter.empty()) {
    filter.clear();
    Requery();
  }
  form_.Hide();
}

void Picker::OnAdd() {
  ledgertools::Special_Function* service = service_.Get();
  if (!service) return;
  (service->*kind_.add_method)();
  if (program_.ended) return;
  Refresh();
}

}  // namespace kassa::paydesk
