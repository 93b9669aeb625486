// A fresh folder for one test's files, removed afterwards.

#ifndef COURT_TESTS_PLATFORM_JET_SCRATCH_DIR_H_
#define COURT_TESTS_PLATFORM_JET_SCRATCH_DIR_H_

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace court::jet::testing {

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "court-jet-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a scratch folder");
    path_ = pattern;
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }

  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace court::jet::testing

#endif  // COURT_TESTS_PLATFORM_JET_SCRATCH_DIR_H_
