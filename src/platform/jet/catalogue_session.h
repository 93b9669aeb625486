// One connection to a catalogue file. Queries run, after translation, on the
// shared snapshot, which reads the tables a query uses the first time; the
// first write gives the session its own copy of every table, so a release's
// catalogue is held once however many connections read it.

#ifndef COURT_PLATFORM_JET_CATALOGUE_SESSION_H_
#define COURT_PLATFORM_JET_CATALOGUE_SESSION_H_

#include <memory>

#include "platform/access/driver.h"
#include "platform/jet/catalogue_snapshot.h"
#include "platform/jet/sqlite_db.h"

namespace court::jet {

class CatalogueSession : public access::Session {
 public:
  explicit CatalogueSession(std::shared_ptr<CatalogueSnapshot> snapshot);

  void Execute(std::string_view sql) override;
  access::ResultSet Query(std::string_view sql) override;
  std::unique_ptr<access::RowCursor> OpenCursor(std::string_view sql) override;
  std::int64_t InsertRow(const std::string& table, const std::vector<std::string>& columns,
                         const std::vector<access::Value>& values) override;
  void UpdateRow(const std::string& table, std::int64_t row_id,
                 const std::vector<std::string>& columns,
                 const std::vector<access::Value>& values) override;

 private:
  std::string Translate(std::string_view sql, std::optional<std::string>* base_table) const;
  const SqliteDb& Reading() const { return own_ ? *own_ : snapshot_->db(); }
  const SqliteDb& Writing();

  std::shared_ptr<CatalogueSnapshot> snapshot_;
  std::unique_ptr<SqliteDb> own_;  // made on the first write
};

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_CATALOGUE_SESSION_H_
