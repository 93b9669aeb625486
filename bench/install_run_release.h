// The synthetic release bench_install_run installs: the sample release 1
// grown to a given scale. At scale 1: 300 court tables of 20 columns,
// 100,000 reference rows and 1,000 binary values of 64 KiB; every count
// grows with the scale. Release 2 adds a column to every synthetic table.

#ifndef COURT_BENCH_INSTALL_RUN_RELEASE_H_
#define COURT_BENCH_INSTALL_RUN_RELEASE_H_

#include <cstddef>
#include <filesystem>
#include <string>

namespace court::bench {

struct ReleaseSize {
  int tables, columns, causes_of_action, provisions, list_rows, blobs;
  std::size_t blob_bytes;

  int reference_rows() const { return causes_of_action + provisions + list_rows + blobs; }
  std::string Describe() const;
};

ReleaseSize SizeAtScale(int scale);

// Writes release 1 or 2 of that size as a table.mdb.
void WriteRelease(const ReleaseSize& size, int release_number, const std::filesystem::path& mdb);

}  // namespace court::bench

#endif  // COURT_BENCH_INSTALL_RUN_RELEASE_H_
