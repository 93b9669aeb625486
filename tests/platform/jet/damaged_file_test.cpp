// court-catalogue dump on damaged copies of real Jet files: pages cut off,
// zeroed, swapped or appended, and flipped bytes, a fixed set for each of the
// sample releases and the Access files of the shared test data. Whatever the
// damage, the program ends by itself with 0, or with 1 and a message naming
// the file. A file that is not a whole number of pages is never read; pages
// cut off or zeroed are found, or held nothing the dump shows (Jet records
// neither its length nor which pages are in use, so an index or a freed
// page can go without being missed).

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace court::jet {
namespace {


enum class Expect {
  kError,        // exit 1
  kErrorOrSame,  // exit 1, or exit 0 with the original's dump
  kNoCrash,      // exit 0 or 1: a flipped bit inside a value reads as another value
};

struct Mutant {
  std::string name;
  std::string bytes;
  Expect expect;
};

std::string ReadBytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fixed spread of damage over the file's pages; the same set every run.
std::vector<Mutant> Mutants(const std::string& whole) {
  const std::size_t page = whole[0x14] == 0 ? 2048 : 4096;  // Jet 3 or Jet 4
  const std::size_t pages = whole.size() / page;
  auto at = [&](std::size_t k) { return k * page; };
  std::vector<Mutant> mutants;
  for (std::size_t k : {pages / 4, pages / 2, pages * 3 / 4, pages - 1})
    mutants.push_back({"first " + std::to_string(k) + " pages", whole.substr(0, at(k)), Expect::kErrorOrSame});
  mutants.push_back({"one byte short", whole.substr(0, whole.size() - 1), Expect::kError});
  for (std::size_t i = 0; i < 8; ++i) {
    const std::size_t k = i * (pages - 1) / 7;
    std::string bytes = whole;
    bytes.replace(at(k), page, page, '\0');
    mutants.push_back({"page " + std::to_string(k) + " zeroed", bytes, Expect::kErrorOrSame});
  }
  for (std::size_t i = 1; i <= 3; ++i) {
    const std::size_t a = i * pages / 5, b = pages - 1 - i;
    std::string bytes = whole;
    const std::string first = bytes.substr(at(a), page);
    bytes.replace(at(a), page, whole, at(b), page);
    bytes.replace(at(b), page, first);
    mutants.push_back({"pages " + std::to_string(a) + " and " + std::to_string(b) + " swapped", bytes, Expect::kNoCrash});
  }
  mutants.push_back({"one byte appended", whole + "x", Expect::kError});
  mutants.push_back({"a page of 0xFF appended", whole + std::string(page, '\xFF'), Expect::kErrorOrSame});
  std::uint32_t seed = 2166136261u;
  for (int i = 0; i < 6; ++i) {
    seed = seed * 1103515245u + 12345u;
    const std::size_t position = page + seed % (whole.size() - page);  // the header page has its own check
    std::string bytes = whole;
    bytes[position] = static_cast<char>(bytes[position] ^ (1 << (seed >> 28) % 8));
    mutants.push_back({"byte " + std::to_string(position) + " flipped", bytes, Expect::kNoCrash});
  }
  return mutants;
}

// The program's own deadline for a reader that never finishes is longer; a
// mutant that takes this long is a hang here (exit code 128 + SIGKILL).
court::testing::ProgramResult Dump(const std::string& file) {
  return court::testing::RunProgram(
      {.argv = {COURT_BUILD_DIR "/court-catalogue", "dump", file}, .timeout = std::chrono::seconds(60)});
}

class DamagedFile : public ::testing::TestWithParam<std::string> {};

TEST_P(DamagedFile, EndsWithTheSameDumpOrAnErrorNamingTheFile) {
  court::testing::TempDir dir;
  const std::string whole = ReadBytes(GetParam());
  ASSERT_GT(whole.size(), 8192u) << GetParam();
  const court::testing::ProgramResult original = Dump(GetParam());
  ASSERT_EQ(original.exit_code, 0) << original.err;
  const std::string damaged = dir.File("damaged.mdb");
  for (const Mutant& mutant : Mutants(whole)) {
    std::ofstream(damaged, std::ios::binary) << mutant.bytes;
    const court::testing::ProgramResult outcome = Dump(damaged);
    ASSERT_TRUE(outcome.exit_code == 0 || outcome.exit_code == 1)
        << mutant.name << ": status " << outcome.exit_code << "\n" << outcome.err.substr(0, 500);
    if (outcome.exit_code == 0) {
      EXPECT_NE(mutant.expect, Expect::kError) << mutant.name << " read without an error";
      if (mutant.expect == Expect::kErrorOrSame) {
        EXPECT_TRUE(outcome.out == original.out) << mutant.name << " read as different data without an error";
      }
    } else {
      EXPECT_EQ(outcome.out, "") << mutant.name;
      EXPECT_NE(outcome.err.find("court-catalogue: "), std::string::npos) << mutant.name << ": " << outcome.err;
      EXPECT_NE(outcome.err.find(damaged), std::string::npos) << mutant.name << ": " << outcome.err;
      EXPECT_LT(outcome.err.size(), 1000u) << mutant.name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedFile,
                         ::testing::Values(COURT_BUILD_DIR "/table.mdb", COURT_BUILD_DIR "/table-release2.mdb",
                                           COURT_SHARED_DIR "/testdata/DateTestDatabase.mdb",
                                           COURT_SHARED_DIR "/testdata/forum-cjk.mdb",
                                           COURT_SHARED_DIR "/testdata/nwind.mdb"),
                         [](const auto& test) {
                           std::string name;
                           for (char c : std::string(std::filesystem::path(test.param).stem()))
                             name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
}  // namespace court::jet
