// The record set of ADB_cls: forward-only, read-only, over a result fetched
// in full when it is opened. One object is reused by the next open of the
// same kind once it has been closed; opening it while it is open fails, as
// the classic record set does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dbgate/adb.h"
#include "platform/sql/sql.h"

namespace kassa::dbgate {

class ResultRecordset;

class ResultField : public Field {
 public:
  ResultField(const ResultRecordset& owner, size_t column) : owner_(owner), column_(column) {}
  Variant Value() const override;
  long ActualSize() const override;
  std::string Name() const override;

 private:
  const ResultRecordset& owner_;
  size_t column_;
};

class ResultRecordset : public Recordset {
 public:
  // Runs `sql` on `connection` and holds its rows. False with `error` set
  // when the record set is already open or the query fails (it then stays
  // closed).
  bool Open(sql::Connection& connection, const std::string& sql, std::string& error);

  int State() const override { return result_ ? 1 : 0; }
  bool EOF() const override;
  void MoveFirst() override;
  void MoveNext() override;
  int FieldCount() const override;
  // Throws HostError 3021 at EOF (no current record), 3265 for an index
  // out of range, 3704 when closed.
  const Field& Fields(int index) const override;
  void Close() override;

 private:
  friend class ResultField;
  void RequireOpen() const;
  std::unique_ptr<sql::Result> result_;
  std::vector<ResultField> fields_;
  size_t row_ = 0;
};

}  // namespace kassa::dbgate
