// Default objects: the named defaults that alteration binds to columns.

#ifndef COURT_SCHEMA_DEFAULT_CREATION_H_
#define COURT_SCHEMA_DEFAULT_CREATION_H_

#include <string>
#include <string_view>

#include "provisioning/run_state.h"
#include "schema/target.h"

namespace court::schema {

// Creates the default object DefaultName(table, column) with the expression, on a
// connection of its own. Any failure is ignored: the object usually exists
// already from an earlier run, and the binding that follows either finds it
// or reports the problem itself.
void CreateDefault(const provisioning::RunState& run, const Target& target, const std::string& table,
                   const std::string& column, const std::string& expression);

void CreateCourtDefault(const provisioning::RunState& run, const std::string& table,
                        const std::string& column, const std::string& expression);
void CreateMailDefault(const provisioning::RunState& run, const std::string& table,
                       const std::string& column, const std::string& expression);

// The default object that columns with the catalogue default (getdate()) share.
inline constexpr std::string_view kCurrentTimeDefault = "当前日时";

// Creates 当前日时 on connection unless the database already holds an object of
// that name; binding to it fails otherwise.
void EnsureCurrentTimeDefault(access::Connection& connection);

}  // namespace court::schema

#endif  // COURT_SCHEMA_DEFAULT_CREATION_H_
