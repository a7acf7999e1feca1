#include "paydesk/picker_kind.h"

#include "paydesk/sql_text.h"
#include "paydesk/texts.h"

namespace kassa::paydesk {

const PickerKind& CategoryPicker() {
  using namespace texts;
  static const PickerKind kind{
      kCategoryForm,
      "Grid_List_Category",
      "Find_Input_Category",
      "Add_Button_Category",
      6600,
      {{kCategoryColumn0, kCategoryField0}, {kCategoryColumn1, kCategoryField1}},
      kCategoryLoad,
      kCategoryFilterHead,
      kCategoryFilterOrder,
      &ledgertools::Special_Function::Add_Category_Input_Nal};
  return kind;
}

const PickerKind& MemberPicker() {
  using namespace texts;
  static const PickerKind kind{kMemberForm,
                               "Grid_List_Member",
                               "Find_Input_Member",
                               "Add_Button_Member",
                               9600,
                               {{kMemberColumn0, kMemberField0},
                                {kMemberColumn1, kMemberField1},
                                {kMemberColumn2, kMemberField2}},
                               kMemberLoad,
                               kMemberFilterHead,
                               kMemberFilterOrder,
                               &ledgertools::Special_Function::Add_Member_Input_Nal};
  return kind;
}

std::optional<std::string> FilterSource(const PickerKind& kind, const std::string& filter) {
  if (filter.empty()) return std::string(kind.load_source);
  if (!FitsCp1251(filter)) return std::nullopt;
  bool escaped = false;
  const std::string pattern = LikeLiteral(UpperCase(filter), escaped);
  return std::string(kind.filter_head) + pattern + texts::kFilterPatternClose +
         (escaped ? texts::kLikeEscapeClause : "") + kind.filter_order;
}

}  // namespace kassa::paydesk
