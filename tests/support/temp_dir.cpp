#include "tests/support/temp_dir.h"

#include <stdlib.h>

#include <stdexcept>
#include <system_error>

namespace court::testing {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "court-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a folder like " + pattern);
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;  // a test that failed half-way may have left anything there
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace court::testing
