#include "dbgate/recordset_impl.h"

#include "platform/host/host.h"

namespace kassa::dbgate {

namespace {
constexpr int kNoCurrentRecord = 3021;
constexpr int kItemNotFound = 3265;
constexpr int kObjectClosed = 3704;
}  // namespace

Variant ResultField::Value() const {
  return owner_.result_->Value(owner_.row_, column_);
}

long ResultField::ActualSize() const {
  return static_cast<long>(owner_.result_->ActualSize(owner_.row_, column_));
}

std::string ResultField::Name() const {
  return owner_.result_->columns()[column_].name;
}

bool ResultRecordset::Open(sql::Connection& connection, const std::string& sql,
                           std::string& error) {
  if (result_) {
    error = "Operation is not allowed when the object is open.";
    return false;
  }
  auto result = connection.Query(sql, error);
  if (!result) return false;
  result_ = std::move(result);
  row_ = 0;
  fields_.clear();
  for (size_t c = 0; c < result_->columns().size(); ++c) fields_.emplace_back(*this, c);
  return true;
}

bool ResultRecordset::EOF() const {
  return !result_ || row_ >= result_->RowCount();
}

void ResultRecordset::RequireOpen() const {
  if (!result_)
    throw host::HostError(kObjectClosed, "Operation is not allowed when the object is closed.");
}

void ResultRecordset::MoveFirst() {
  RequireOpen();
  row_ = 0;
}

void ResultRecordset::MoveNext() {
  RequireOpen();
  if (EOF()) throw host::HostError(kNoCurrentRecord, "Either BOF or EOF is True.");
  ++row_;
}

int ResultRecordset::FieldCount() const {
  return result_ ? static_cast<int>(fields_.size()) : 0;
}

const Field& ResultRecordset::Fields(int index) const {
  RequireOpen();
  if (index < 0 || static_cast<size_t>(index) >= fields_.size())
    throw host::HostError(kItemNotFound, "Item cannot be found in the collection.");
  if (EOF()) throw host::HostError(kNoCurrentRecord, "Either BOF or EOF is True.");
  return fields_[static_cast<size_t>(index)];
}

void ResultRecordset::Close() {
  result_.reset();
  fields_.clear();
  row_ = 0;
}

}  // namespace kassa::dbgate
