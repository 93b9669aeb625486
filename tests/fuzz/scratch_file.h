// A file of this fuzzing process's own in the temporary folder, for the
// harnesses whose code under test reads or writes a path.

#ifndef COURT_TESTS_FUZZ_SCRATCH_FILE_H_
#define COURT_TESTS_FUZZ_SCRATCH_FILE_H_

#include <unistd.h>

#include <filesystem>
#include <string>

namespace court::fuzz {

// temp/court-fuzz-PID<suffix>, the same path for every input of one run.
inline std::filesystem::path ScratchFile(const std::string& suffix) {
  return std::filesystem::temp_directory_path() / ("court-fuzz-" + std::to_string(::getpid()) + suffix);
}

}  // namespace court::fuzz

#endif  // COURT_TESTS_FUZZ_SCRATCH_FILE_H_
