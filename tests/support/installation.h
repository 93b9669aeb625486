// A complete, real installation environment for tests: a new embedded server
// in a temporary folder (drives C: and D:), a catalogue file written by
// court-catalogue from JSON, data sources with both drivers and a transcript,
// and the run's RunState. Nothing here is a stand-in: the installer code under
// test talks to the same drivers the installer uses.

#ifndef COURT_TESTS_SUPPORT_INSTALLATION_H_
#define COURT_TESTS_SUPPORT_INSTALLATION_H_

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/access/data_sources.h"
#include "platform/access/driver.h"
#include "platform/access/transcript.h"
#include "platform/system/files.h"
#include "provisioning/run_state.h"
#include "tests/support/temp_dir.h"

namespace court::testing {

// Writes catalogue (the JSON form of court-catalogue) to out with the real
// build/court-catalogue program; fails the test on error.
void BuildCatalogue(const nlohmann::json& catalogue, const std::filesystem::path& out);

// Whether a transcript kind is one of the statements a run adds around the
// installation's own (transaction brackets, the run marker, the run lock,
// archive reads and backups).
bool IsAddedStatement(const std::string& kind);

// One line of the transcript.
struct Sent {
  std::string target, kind, sql;
  bool ok;
  std::string error;
};

class Installation {
 public:
  // The catalogue JSON goes to <temp>/table.mdb.
  explicit Installation(const nlohmann::json& catalogue);
  ~Installation();

  provisioning::RunState& run() { return *run_; }
  const access::DataSources& sources() const { return sources_; }
  const std::filesystem::path& server_root() const { return server_root_; }
  const std::filesystem::path& catalogue_file() const { return catalogue_file_; }

  // Replaces table.mdb with another catalogue.
  void UseCatalogue(const nlohmann::json& catalogue);

  // Creates an empty database on D:\<name>_SQL数据 as the installer would.
  void CreateDatabase(const std::string& name);

  // Straight to the server, bypassing the transcript.
  void Execute(const std::string& database, const std::string& sql);
  access::ResultSet Query(const std::string& database, const std::string& sql);
  // The rows of a query as tab-joined texts (null as "NULL"), for compact checks.
  std::vector<std::string> Rows(const std::string& database, const std::string& sql);

  // The installation's own statements sent through the data-access layer
  // since the last ClearTranscript (the added ones are left out).
  std::vector<Sent> Transcript() const;
  void ClearTranscript();

  // Starts the run's state over (shared objects closed, flags cleared).
  void NewRun();

 private:
  TempDir temp_;
  std::filesystem::path server_root_, catalogue_file_, transcript_file_;
  std::unique_ptr<access::Driver> server_, catalogue_driver_;
  std::optional<access::Transcript> transcript_;
  access::DataSources sources_;
  std::unique_ptr<system::Files> files_;
  std::unique_ptr<provisioning::RunState> run_;
};

}  // namespace court::testing

#endif  // COURT_TESTS_SUPPORT_INSTALLATION_H_
