#include <cctype>
#include <string>

#include "ledgertools/buffer_loading.h"
#include "ledgertools/category_dictionary.h"
#include "ledgertools/dialogs.h"
#include "ledgertools/member_dictionary.h"
#include "ledgertools/module_state.h"
#include "ledgertools/shared_procedures.h"
#include "ledgertools/special_function_impl.h"
#include "ledgertools/texts.h"

namespace kassa::ledgertools {

namespace {

bool Same_Name(const std::string& a, const char* b) {
  const std::string other(b);
  if (a.size() != other.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(other[i])))
      return false;
  return true;
}

// Stores the sheet and shows the menu without modality.
void Open_Menu(host::Worksheet& sheet, ui::Form& menu) {
  State().Target_Sheet = &sheet;
  menu.Show();
}

// Runs a dictionary operation started by the entry program; a host error is
// shown and the program goes on.
void From_Entry_Program(void (*op)(host::Worksheet*)) {
  State().Target_Sheet = nullptr;
  try {
    op(nullptr);
  } catch (const host::HostError& e) {
    Report_Host_Error(e);
  }
}

class Special_Function_Impl final : public Special_Function {
 public:
  void Load_Buffer() override {
    try {
      Load_NAL_Buffer();
    } catch (const host::HostError& e) {
      Report_Host_Error(e);
    }
  }
  void Set_SQL_Connections(host::Workbook*) override {}
  void Action_Common(host::Worksheet& aWs) override { Open_Menu(aWs, Choice_Action_Common()); }
  void Action_Category(host::Worksheet& aWs) override { Open_Menu(aWs, Choice_Action_Category()); }
  void Action_Member(host::Worksheet& aWs) override { Open_Menu(aWs, Choice_Action_Member()); }
  void Action_Expences(host::Worksheet& aWs) override { Open_Menu(aWs, Choice_Action_Expences()); }
  void Add_Member_Input_Nal() override { From_Entry_Program(Add_Member); }
  void Add_Category_Input_Nal() override { From_Entry_Program(Add_Category); }

  int Run_Macro(const std::string& method, host::Worksheet& sheet) override {
    if (Same_Name(method, texts::kMacroCommon))
      Action_Common(sheet);
    else if (Same_Name(method, texts::kMacroCategory))
      Action_Category(sheet);
    else if (Same_Name(method, texts::kMacroMember))
      Action_Member(sheet);
    else if (Same_Name(method, texts::kMacroExpences))
      Action_Expences(sheet);
    else
      return 1004;
    return 0;
  }
};

}  // namespace

std::unique_ptr<Special_Function> Make_Special_Function() {
  return std::make_unique<Special_Function_Impl>();
}

}  // namespace kassa::ledgertools
