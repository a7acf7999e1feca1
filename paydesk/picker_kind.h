// What tells the category picker and the employee picker apart: names,
// grid columns, record sources and the service's add method.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ledgertools/special_function.h"
#include "platform/ui/form.h"

namespace kassa::paydesk {

struct PickerKind {
  const char* form;    // Choice_Category / Choice_Member
  const char* grid;    // Grid_List_Category / Grid_List_Member
  const char* filter;  // Find_Input_Category / Find_Input_Member
  const char* add;     // Add_Button_Category / Add_Button_Member
  int width;           // twips
  std::vector<ui::GridColumn> columns;
  const char* load_source;
  const char* filter_head;   // up to the opening "%" of the pattern
  const char* filter_order;  // after the closing quote of the pattern
  void (ledgertools::Special_Function::*add_method)();
};

const PickerKind& CategoryPicker();
const PickerKind& MemberPicker();

// The record source for a filter text: the load source for the empty text
// (every row, even one whose filtered column is NULL); otherwise the
// filtered source matching the upper-cased text literally anywhere. Null
// when no row can match (a character the database cannot hold).
std::optional<std::string> FilterSource(const PickerKind& kind, const std::string& filter);

}  // namespace kassa::paydesk
