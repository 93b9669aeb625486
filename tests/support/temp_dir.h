// A fresh folder for a test's files below the system's temporary folder,
// removed with everything in it on destruction. Every test that needs files
// of its own makes them here, so that tests running at the same time never
// meet each other's files.

#ifndef COURT_TESTS_SUPPORT_TEMP_DIR_H_
#define COURT_TESTS_SUPPORT_TEMP_DIR_H_

#include <filesystem>
#include <string>

namespace court::testing {

class TempDir {
 public:
  TempDir();  // throws std::runtime_error when no folder can be made
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // path()/name as text, for the code that takes file names as strings.
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace court::testing

#endif  // COURT_TESTS_SUPPORT_TEMP_DIR_H_
