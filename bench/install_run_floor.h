// What an installation of a release costs at the least: libmdb reading the
// catalogue and raw SQLite storing what it read (WAL, synchronous=NORMAL),
// the court tables that 表名 and 字段 describe created, the catalogue's
// tables with their rows and blobs written. Measured twice: each row its
// own transaction, as the installer's statements commit, and everything
// in one transaction.

#ifndef COURT_BENCH_INSTALL_RUN_FLOOR_H_
#define COURT_BENCH_INSTALL_RUN_FLOOR_H_

#include <filesystem>

namespace court::bench {

struct Cost {
  double wall = 0, cpu = 0;  // seconds
};

struct Floor {
  Cost per_row, one_transaction;
};

// Reads the catalogue `mdb` into new SQLite files in `folder`, which it removes after.
Floor MeasureFloor(const std::filesystem::path& mdb, const std::filesystem::path& folder);

}  // namespace court::bench

#endif  // COURT_BENCH_INSTALL_RUN_FLOOR_H_
