#include "platform/access/driver.h"

#include <utility>

namespace court::access {
namespace {

// A complete result handed out row by row.
class HeldRows : public RowCursor {
 public:
  explicit HeldRows(ResultSet result) : result_(std::move(result)) {}

  const std::vector<ColumnInfo>& columns() const override { return result_.columns; }
  const std::optional<std::string>& base_table() const override { return result_.base_table; }

  bool Next(Row& row, std::int64_t& row_id) override {
    if (next_ >= result_.rows.size()) return false;
    row = std::move(result_.rows[next_]);
    row_id = next_ < result_.row_ids.size() ? result_.row_ids[next_] : -1;
    ++next_;
    return true;
  }

 private:
  ResultSet result_;
  std::size_t next_ = 0;
};

}  // namespace

std::unique_ptr<RowCursor> Session::OpenCursor(std::string_view sql) {
  return std::make_unique<HeldRows>(Query(sql));
}

}  // namespace court::access
