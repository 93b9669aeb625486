// Values as Jet 4 stores them inside a row.

#ifndef COURT_PLATFORM_JET_VALUE_BYTES_H_
#define COURT_PLATFORM_JET_VALUE_BYTES_H_

#include <string_view>

#include "platform/access/value.h"
#include "platform/jet/page.h"
#include "platform/jet/table.h"

namespace court::jet {

// The bytes of a non-null value of a fixed-length type (little-endian
// integers, IEEE floats, currency as ten-thousandths, dates as OLE dates).
ByteString FixedBytes(ColumnType type, const access::Value& value);

// Text as UCS-2LE, the uncompressed form every reader accepts.
ByteString Ucs2Bytes(std::string_view utf8);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_VALUE_BYTES_H_
