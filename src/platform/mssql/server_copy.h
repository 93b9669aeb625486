// A copy of an embedded server root that a run can change freely: the same
// databases, files and drives, in another directory.
//
// The server may be in use while it is copied (court-server, court-sqlcmd,
// another program's session), so each database file is read through
// SQLite's backup interface: a read transaction gives one committed state of
// the file, its write-ahead log included, without taking the file from its
// writers. The copy is made under the server lock, which database creation
// holds, so master's list of databases and their files agree in the copy.
// Nothing in the root is written: reading a database changes none of its
// pages, and its side files go when the last connection closes, as after
// any session of the server.

#ifndef COURT_PLATFORM_MSSQL_SERVER_COPY_H_
#define COURT_PLATFORM_MSSQL_SERVER_COPY_H_

#include <filesystem>

namespace court::mssql {

// Copies every file below root into destination (made when missing) at the
// same relative path: databases as their committed state, other files
// (logs, leftovers, the drives' contents) byte for byte. SQLite's side files
// (-wal, -shm, -journal), the server lock and the application locks stay
// behind. Throws access::Error or std::filesystem::filesystem_error when a
// file cannot be read or written.
void CopyServer(const std::filesystem::path& root, const std::filesystem::path& destination);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_SERVER_COPY_H_
