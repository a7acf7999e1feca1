// The data control of a picker: a connection string, a record source (SQL
// text) and the rows it gives, read through the client layer on a
// connection of its own that it keeps while it lives.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/sql/sql.h"

namespace kassa::paydesk {

class ListSource {
 public:
  void SetConnectionString(const std::string& cn) {
    connection_string_ = cn;
    connection_.reset();
  }
  void SetRecordSource(const std::string& sql) { record_source_ = sql; }
  const std::string& RecordSource() const { return record_source_; }

  // Runs the record source (traced as a statement when the UI port asks for
  // it); `fields` receives, for each of `field_names`,
  // the column's texts (matched by name without regard to case; NULL and a
  // missing column give ""). A lost connection is opened again once.
  // False with `error` set when the rows cannot be read.
  bool Refresh(const std::vector<std::string>& field_names,
               std::vector<std::vector<std::string>>& rows, std::string& error);

 private:
  bool Query(std::unique_ptr<sql::Result>& result, std::string& error);
  std::string connection_string_;
  std::string record_source_;
  std::unique_ptr<sql::Connection> connection_;
};

}  // namespace kassa::paydesk
