#include "setupdb/earlier_user.h"

#include <memory>

#include "platform/ui/ui.h"
#include "setupdb/texts.h"

namespace kassa::setupdb {

namespace {

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

constexpr int kWaitMs = 250;
constexpr int kDropAttempts = 3;

}  // namespace

bool ContainsAppUser(const std::vector<std::string>& user_names) {
  const std::string wanted = Upper(texts::kAppUser);
  for (const std::string& name : user_names)
    if (Upper(name) == wanted) return true;
  return false;
}

int RemoveEarlierUser(sql::Connection& admin) {
  std::vector<std::string> names;
  {
    std::string error;
    std::unique_ptr<sql::Result> users = admin.Query(texts::kSelectUsers, error);
    if (users && !users->columns().empty())
      for (size_t row = 0; row < users->RowCount(); ++row)
        names.push_back(users->ActualSize(row, 0) == 0 ? std::string() : users->Raw(row, 0));
  }
  ui::Pause(kWaitMs);
  if (!ContainsAppUser(names)) return 0;

  const std::string drop =
      std::string(texts::kDropUserPrefix) + texts::kAppUser + texts::kDropUserSuffix;
  int failures = 0;
  for (int attempt = 1; attempt <= kDropAttempts; ++attempt) {
    std::string error;
    const bool ok = admin.Execute(drop, error);
    ui::Pause(kWaitMs);
    if (!ok) {
      ++failures;
      ui::Message(texts::kDropFailPrefix + std::to_string(attempt) + texts::kDropFailSuffix);
    }
  }
  return failures;
}

}  // namespace kassa::setupdb
