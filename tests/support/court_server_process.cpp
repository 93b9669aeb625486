#include "tests/support/court_server_process.h"

namespace court::testing {
namespace fs = std::filesystem;

void CourtServerProcess::Stop() {
  port_of_last_ = port();
  process_.reset();
}

void CourtServerProcess::Kill() {
  process_->Kill();
  Stop();
}

std::string CourtServerProcess::Connection() const {
  return "Driver=FreeTDS;Server=127.0.0.1;Port=" + std::to_string(port()) + ";TDS_Version=7.1;UID=sa";
}

}  // namespace court::testing
