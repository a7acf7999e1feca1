// Out-of-line anchors of the record set and work interfaces (vtables and type
// information live here, in dbgate_iface, which clients may link).
#include "dbgate/adb.h"

namespace kassa::dbgate {

Field::~Field() = default;
Recordset::~Recordset() = default;
Work::~Work() = default;

}  // namespace kassa::dbgate
