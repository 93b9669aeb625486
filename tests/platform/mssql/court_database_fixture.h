// A new embedded server in a scratch root holding the database 法院, made
// as the installer makes it, and one session on it.

#ifndef COURT_TESTS_PLATFORM_MSSQL_COURT_DATABASE_FIXTURE_H_
#define COURT_TESTS_PLATFORM_MSSQL_COURT_DATABASE_FIXTURE_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/access/error.h"
#include "platform/mssql/embedded_driver.h"
#include "tests/support/temp_dir.h"

namespace court::mssql {

class CourtDatabaseTest : public ::testing::Test {
 protected:
  CourtDatabaseTest() {
    driver_ = std::make_unique<EmbeddedDriver>(root_);
    driver_->Connect("master")->Execute(
        "CREATE DATABASE [法院]  ON (NAME = N'法院_Data', FILENAME = N'D:\\法院_Data.MDF' , SIZE = 1, "
        "FILEGROWTH = 10%) LOG ON (NAME = N'法院_Log', FILENAME = N'D:\\法院_log.LDF' , SIZE = 1, "
        "FILEGROWTH = 10%)\r\n");
    court_ = driver_->Connect("法院");
  }
  ~CourtDatabaseTest() override {
    court_.reset();
    driver_.reset();  // before the folder goes
  }

  // The number of the error a batch ends with, 0 for none.
  static int ErrorOf(access::Session& session, const std::string& sql) {
    try {
      session.Execute(sql);
    } catch (const access::Error& e) {
      return e.number();
    }
    return 0;
  }

  testing::TempDir folder_;
  const std::filesystem::path root_ = folder_.path() / "server";
  std::unique_ptr<EmbeddedDriver> driver_;
  std::unique_ptr<access::Session> court_;
};

}  // namespace court::mssql

#endif  // COURT_TESTS_PLATFORM_MSSQL_COURT_DATABASE_FIXTURE_H_
