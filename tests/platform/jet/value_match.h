// Whether what an independent reader shows for a field is the value this
// project's reader or writer has for it.

#ifndef COURT_TESTS_PLATFORM_JET_VALUE_MATCH_H_
#define COURT_TESTS_PLATFORM_JET_VALUE_MATCH_H_

#include <gtest/gtest.h>

#include <string>

#include <nlohmann/json.hpp>

#include "platform/access/value.h"
#include "platform/jet/table.h"

namespace court::jet::testing {

// Whether mdb-export can print the value: it cannot print dates before
// 1900 or far in the future.
bool ExportCanShow(const access::Value& value);

// mdb-export's text of a field (see MdbExport). Floats compare to 7
// significant digits, which is all mdb-export prints of a single.
::testing::AssertionResult ExportShows(const std::string& exported, const access::Value& value);

// mdb-reader's JSON of a field (see oracle/read-mdb.mjs).
::testing::AssertionResult MdbReaderShows(const nlohmann::json& read, const access::Value& value);

// mdb-schema's type text for a column ("Long Integer", "Text (50)", ...).
std::string SchemaTypeText(const Column& column);

// mdb-reader's name for a column type ("long", "float", ...).
std::string MdbReaderTypeName(ColumnType type);

}  // namespace court::jet::testing

#endif  // COURT_TESTS_PLATFORM_JET_VALUE_MATCH_H_
