// Image values travel from the catalogue to the court database through a
// binary Stream that is saved to the fixed temporary file "c:\temp_sj.temp"
// and read back whole. The file exists only while one value is on its way.

#ifndef COURT_DATA_BINARY_CARRY_H_
#define COURT_DATA_BINARY_CARRY_H_

#include <string_view>

#include "platform/access/value.h"
#include "provisioning/run_state.h"

namespace court::data {

inline constexpr std::string_view kTemporaryFile = "c:\\temp_sj.temp";

// Returns the bytes of raw as they come back from the stream. A null raw
// value stays null (the column is left NULL); any other non-binary value is
// refused as a stream refuses it (3001).
access::Value CarryBinary(const provisioning::RunState& run, const access::Value& raw);

}  // namespace court::data

#endif  // COURT_DATA_BINARY_CARRY_H_
