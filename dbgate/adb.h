// Dbgate: the database access class ADB_cls, the one door to the ledger
// database. Created by the ProgID "Dbgate.ADB_cls"; each client holds its
// own instance and with it its own connection.
//
// Every statement member sets Stop_Program True on entry and False only on
// success; a failure is told to the user in a message box and never thrown.
// Connection on demand, renewal when older than 1800 s, three attempts with
// a reconnect after each failure, and the wait message (throttled to one per
// 10 s) are as the class has always done. Ages and waits use the monotonic
// clock of the UI port, so they behave across midnight.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/component/component.h"
#include "platform/host/host.h"
#include "platform/variant/variant.h"

// The record set's member EOF() keeps its classic name; the C library's EOF
// macro would turn every use of it into "-1()", so it is withdrawn here
// (<cstdio> is included first, so it is not defined again later). Code that
// needs the end-of-file value uses std::char_traits<char>::eof().
#undef EOF

namespace kassa::dbgate {

// One field of the current record.
class KASSA_EXPORT Field {
 public:
  virtual ~Field();
  virtual Variant Value() const = 0;
  // Length of the value as sent by the server; 0 for NULL and "".
  virtual long ActualSize() const = 0;
  virtual std::string Name() const = 0;
};

// A forward-only, read-only record set. An instance's record set is handed
// out as a shared reference: a caller's old reference stays safe after the
// instance replaced its record set (it is then closed: State 0, EOF True).
class KASSA_EXPORT Recordset {
 public:
  virtual ~Recordset();
  virtual int State() const = 0;  // 0 closed, 1 open
  virtual bool EOF() const = 0;   // also True when closed
  virtual void MoveFirst() = 0;   // back to the first record (already fetched)
  virtual void MoveNext() = 0;
  virtual int FieldCount() const = 0;
  // Field i (0-based) of the current record; throws HostError(3021) at EOF.
  virtual const Field& Fields(int index) const = 0;
  virtual void Close() = 0;
};
using RecordsetRef = std::shared_ptr<Recordset>;

class KASSA_EXPORT ADB_cls : public component::Object {
 public:
  // Members in the order of the class's interface.
  virtual void DisconnectDB() = 0;
  virtual void SQL_Command_Execute(const std::string& DS_SQL, bool& Stop_Program) = 0;
  virtual void SQL_RV_Open(const std::string& RV_SQL, RecordsetRef& rv_Pass,
                           bool& Stop_Program) = 0;
  virtual void SQL_RV_Close() = 0;
  virtual void Simple() = 0;
  virtual void SQL_OV_Open(const std::string& OV_SQL, RecordsetRef& ov_Pass,
                           bool& Stop_Program) = 0;
  virtual void SQL_OV_Close() = 0;
  // Returns 0, or the file error of reading the parameters file (53 file not
  // found, 62 input past end of file) when the strings had to be loaded, or
  // the host's refusal of the query or of its size (host::kErrorQueryRefused,
  // host::kErrorResultTooLarge): such a refusal is not retried, shows
  // nothing (the caller tells the user, naming the sheet) and leaves
  // Stop_Program False, since the database itself is not lost.
  virtual int Query_Refresh(host::QueryTable& qt, bool& Stop_Program) = 0;
  virtual void Simple_Exp() = 0;
  virtual void Delay_MS(int16_t PauseTime) = 0;
  // Returns 0, or 53 (file not found) / 62 (input past end of file); on an
  // error no argument is changed.
  virtual int Get_Connection_Parametrs(std::string& Connection_String_CN,
                                       std::string& Connection_String_SQL,
                                       std::string& Connection_String_SQL_Empty) = 0;
  virtual std::string Get_Value_by_SQL(const std::string& RS_SQL, bool& Stop_Program) = 0;

  // Beyond the classic members: runs `statements` in order inside one
  // transaction. Three attempts, a reconnect after each failed attempt (the
  // failed attempt is rolled back, so the database is as before it); after
  // the third the give-up prompt "Команда к базе данных не была выполнена.
  // Показать текст команды ?" and, on OK, the text of the statement that
  // failed. Stop_Program False only when every statement ran and the
  // transaction committed.
  virtual void SQL_Transaction_Execute(const std::vector<std::string>& statements,
                                       bool& Stop_Program) = 0;
};

}  // namespace kassa::dbgate
