// Set-up steps that several test programs need and may start at the same
// time: the first does the work under a lock, the others wait for it and
// find it done.

#ifndef COURT_TESTS_SUPPORT_SHARED_SETUP_H_
#define COURT_TESTS_SUPPORT_SHARED_SETUP_H_

#include <filesystem>
#include <string>

#include "tests/support/child_process.h"

namespace court::testing {

// Runs command unless done exists, holding folder/.lock meanwhile (folder is
// made when missing); throws std::runtime_error, naming what and with what
// the command printed, when it fails.
void RunOnce(const std::filesystem::path& folder, const std::filesystem::path& done, const Command& command,
             const std::string& what);

// Installs package ("name@version") with npm into prefix once and returns
// prefix/node_modules. A registry that does not answer fails the install in
// bounded time; npm trusts the system's certificates even where nothing
// told it to.
std::string NpmModules(const std::filesystem::path& prefix, const std::string& package);

}  // namespace court::testing

#endif  // COURT_TESTS_SUPPORT_SHARED_SETUP_H_
