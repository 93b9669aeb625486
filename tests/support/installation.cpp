#include "tests/support/installation.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/access/connection.h"
#include "platform/access/error.h"
#include "platform/jet/catalogue_driver.h"
#include "platform/mssql/embedded_driver.h"
#include "tests/support/child_process.h"

namespace court::testing {

void BuildCatalogue(const nlohmann::json& catalogue, const std::filesystem::path& out) {
  std::filesystem::path json = out;
  json += ".json";
  std::ofstream(json, std::ios::binary) << catalogue.dump();
  const ProgramResult built = RunProgram({.argv = {COURT_BUILD_DIR "/court-catalogue", "build", json.string(), out.string()}});
  ASSERT_EQ(built.exit_code, 0) << built.err;
  std::filesystem::remove(json);
}

Installation::Installation(const nlohmann::json& catalogue)
    : server_root_(temp_.path() / "server"),
      catalogue_file_(temp_.path() / "table.mdb"),
      transcript_file_(temp_.path() / "transcript.jsonl"),
      server_(std::make_unique<mssql::EmbeddedDriver>(server_root_)),
      catalogue_driver_(std::make_unique<jet::CatalogueDriver>()) {
  BuildCatalogue(catalogue, catalogue_file_);
  transcript_.emplace(transcript_file_.string());
  sources_ = {server_.get(), catalogue_driver_.get(), catalogue_file_, &*transcript_};
  files_ = std::make_unique<system::Files>(system::DriveMap(server_root_ / "drives"));
  NewRun();
}

Installation::~Installation() = default;

void Installation::UseCatalogue(const nlohmann::json& catalogue) {
  std::filesystem::remove(catalogue_file_);
  BuildCatalogue(catalogue, catalogue_file_);
}

void Installation::CreateDatabase(const std::string& name) {
  std::filesystem::create_directories(files_->Map("D:\\" + name + "_SQL数据"));
  std::string stem = "D:\\" + name + "_SQL数据\\" + name;
  Execute("master", "CREATE DATABASE [" + name + "]  ON (NAME = N'" + name + "_Data', FILENAME = N'" +
                        stem + "_Data.MDF' , SIZE = 1, FILEGROWTH = 10%) LOG ON (NAME = N'" + name +
                        "_Log', FILENAME = N'" + stem + "_log.LDF' , SIZE = 1, FILEGROWTH = 10%)\r\n");
}

void Installation::Execute(const std::string& database, const std::string& sql) {
  server_->Connect(database)->Execute(sql);
}

access::ResultSet Installation::Query(const std::string& database, const std::string& sql) {
  return server_->Connect(database)->Query(sql);
}

std::vector<std::string> Installation::Rows(const std::string& database, const std::string& sql) {
  std::vector<std::string> rows;
  for (const access::Row& row : Query(database, sql).rows) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i)
      line += (i ? "\t" : "") + (row[i].is_null() ? std::string("NULL") : row[i].ToText());
    rows.push_back(line);
  }
  return rows;
}

bool IsAddedStatement(const std::string& kind) {
  return kind == "transaction" || kind == "marker" || kind == "lock" || kind == "archive" || kind == "backup";
}

std::vector<Sent> Installation::Transcript() const {
  std::vector<Sent> sent;
  std::ifstream in(transcript_file_, std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    auto json = nlohmann::json::parse(line);
    if (IsAddedStatement(json["kind"])) continue;
    sent.push_back({json["target"], json["kind"], json["sql"], json["ok"], json.value("error", "")});
  }
  return sent;
}

void Installation::ClearTranscript() {
  transcript_.reset();
  transcript_.emplace(transcript_file_.string());
}

void Installation::NewRun() { run_ = std::make_unique<provisioning::RunState>(sources_, *files_); }

}  // namespace court::testing
