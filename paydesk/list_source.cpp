#include "paydesk/list_source.h"

#include <strings.h>

#include "platform/ui/ui.h"
#include "platform/variant/variant.h"

namespace kassa::paydesk {

bool ListSource::Query(std::unique_ptr<sql::Result>& result, std::string& error) {
  if (!connection_) {
    sql::Params params;
    if (!sql::ParseConnectionString(connection_string_, params)) {
      error = "connection string without a port";
      return false;
    }
    connection_ = sql::Connection::Open(params, error);
    if (!connection_) return false;
  }
  if (ui::Port().TraceSql()) ui::Port().Note("SQL " + ui::Quote(record_source_));
  result = connection_->Query(record_source_, error);
  return result != nullptr;
}

bool ListSource::Refresh(const std::vector<std::string>& field_names,
                         std::vector<std::vector<std::string>>& rows, std::string& error) {
  std::unique_ptr<sql::Result> result;
  if (!Query(result, error)) {
    connection_.reset();  // a connection the server dropped is opened anew, once
    if (!Query(result, error)) {
      connection_.reset();
      return false;
    }
  }
  std::vector<int> index;
  for (const std::string& name : field_names) {
    int found = -1;
    for (size_t c = 0; c < result->columns().size(); ++c)
      if (strcasecmp(result->columns()[c].name.c_str(), name.c_str()) == 0) {
        found = static_cast<int>(c);
        break;
      }
    index.push_back(found);
  }
  rows.clear();
  for (size_t r = 0; r < result->RowCount(); ++r) {
    std::vector<std::string> row;
    for (int c : index)
      row.push_back(c < 0 ? std::string()
                          : ToText(result->Value(r, static_cast<size_t>(c))).value_or(""));
    rows.push_back(std::move(row));
  }
  return true;
}

}  // namespace kassa::paydesk
