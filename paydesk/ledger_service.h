// The program's ledger service object (the "Common" module): one
// Special_Function, created by "Ledgertools.Special_Function" on first use.
#pragma once

#include <memory>

#include "ledgertools/special_function.h"
#include "paydesk/program.h"

namespace kassa::paydesk {

class LedgerService {
 public:
  explicit LedgerService(Program& program) : program_(program) {}
  // The instance, or null after telling the user "Библиотека Ledgertools
  // не загружена." and ending the program.
  ledgertools::Special_Function* Get();

 private:
  Program& program_;
  std::shared_ptr<ledgertools::Special_Function> service_;
};

}  // namespace kassa::paydesk
