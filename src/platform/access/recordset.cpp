#include "platform/access/recordset.h"

#include "platform/access/error.h"
#include "platform/text/ascii.h"

namespace court::access {
namespace {

std::string JoinBracketed(const std::vector<std::string>& names, std::string_view suffix) {
  std::string text;
  for (const auto& name : names) text += (text.empty() ? "" : ", ") + ("[" + name + "]") + std::string(suffix);
  return text;
}

std::string Placeholders(std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += i == 0 ? "?" : ", ?";
  return text;
}

}  // namespace

const std::string& Field::name() const { return owner_->columns()[index_].name; }

ValueType Field::type() const { return owner_->columns()[index_].type; }

const Value& Field::value() const {
  owner_->RequireCurrentRow();
  return owner_->result_.rows[owner_->position_][index_];
}

void Field::set_value(Value value) {
  owner_->RequireCurrentRow();
  owner_->RequireUpdatable();
  if (owner_->pending_ == Recordset::Pending::kNone) {
    owner_->pending_ = Recordset::Pending::kEdit;
    owner_->changed_.assign(owner_->columns().size(), false);
  }
  owner_->result_.rows[owner_->position_][index_] = std::move(value);
  owner_->changed_[index_] = true;
}

void OpenRecordset(Connection& connection, Recordset& target, std::string_view sql, CursorType type) {
  target = Recordset();
  target.Open(connection, sql, type);
}

void Recordset::Open(Connection& connection, std::string_view sql, CursorType type) {
  if (is_open()) throw Error(ado::kObjectOpen, "Operation is not allowed when the object is open.");
  Session& session = connection.session();
  if (type == CursorType::kStatic) {
    result_ = Traced(connection, "query", sql, [&] { return session.Query(sql); });
  } else {
    cursor_ = Traced(connection, "query", sql, [&] { return session.OpenCursor(sql); });
    result_ = ResultSet();
    result_.base_table = cursor_->base_table();
  }
  connection_ = &connection;
  position_ = 0;
  pending_ = Pending::kNone;
  if (cursor_) FetchNext();
}

// The current row's storage is kept from row to row: a long copy reads
// every row into the same vector.
void Recordset::FetchNext() {
  result_.rows.resize(1);
  result_.row_ids.resize(1);
  if (!cursor_->Next(result_.rows[0], result_.row_ids[0])) {
    result_.rows.clear();
    result_.row_ids.clear();
  }
  position_ = 0;
}

void Recordset::Close() {
  RequireOpen();
  connection_ = nullptr;
  cursor_.reset();
  result_ = ResultSet();
  pending_ = Pending::kNone;
}

void Recordset::RequireOpen() const {
  if (!is_open()) throw Error(ado::kObjectClosed, "Operation is not allowed when the object is closed.");
}

void Recordset::RequireCurrentRow() const {
  RequireOpen();
  if (position_ >= result_.rows.size())
    throw Error(ado::kNoCurrentRecord,
                "Either BOF or EOF is True, or the current record has been deleted. Requested "
                "operation requires a current record.");
}

void Recordset::RequireUpdatable() const {
  if (!result_.base_table)
    throw Error(ado::kNotUpdatable,
                "Current Recordset does not support updating. This may be a limitation of the "
                "provider, or of the selected locktype.");
}

long Recordset::RecordCount() const {
  RequireOpen();
  return cursor_ ? -1 : static_cast<long>(result_.rows.size());
}

bool Recordset::Eof() const {
  RequireOpen();
  return position_ >= result_.rows.size();
}

void Recordset::MoveFirst() {
  RequireOpen();
  if (cursor_) throw Error(ado::kIllegalOperation, "Rowset does not support fetching backward.");
  if (pending_ != Pending::kNone) Update();
  position_ = 0;
}

void Recordset::MoveNext() {
  RequireCurrentRow();
  if (pending_ != Pending::kNone) Update();
  if (cursor_) FetchNext();
  else ++position_;
}

int Recordset::FieldCount() const {
  RequireOpen();
  return static_cast<int>(columns().size());
}

Field Recordset::Fields(int index) {
  RequireOpen();
  if (index < 0 || index >= FieldCount())
    throw Error(ado::kItemNotFound,
                "Item cannot be found in the collection corresponding to the requested name or ordinal.");
  return Field(this, static_cast<std::size_t>(index));
}

Field Recordset::Fields(std::string_view name) {
  RequireOpen();
  for (std::size_t i = 0; i < columns().size(); ++i)
    if (text::EqualIgnoringCase(columns()[i].name, name)) return Field(this, i);
  throw Error(ado::kItemNotFound,
              "Item cannot be found in the collection corresponding to the requested name or ordinal.");
}

void Recordset::AddNew() {
  RequireOpen();
  RequireUpdatable();
  if (pending_ != Pending::kNone) Update();
  if (cursor_) {  // holds the new row only
    result_.rows.clear();
    result_.row_ids.clear();
  }
  result_.rows.emplace_back(columns().size());
  result_.row_ids.push_back(-1);
  position_ = result_.rows.size() - 1;
  pending_ = Pending::kAddNew;
  changed_.assign(columns().size(), false);
}

void Recordset::Update() {
  RequireCurrentRow();
  if (pending_ == Pending::kAddNew) InsertPendingRow();
  if (pending_ == Pending::kEdit) UpdatePendingRow();
  pending_ = Pending::kNone;
}

std::string Recordset::ColumnName(std::size_t index) const {
  const ColumnInfo& column = columns()[index];
  return column.base_column.empty() ? column.name : column.base_column;
}

void Recordset::CollectChanges(std::vector<std::string>& columns, std::vector<Value>& values) const {
  for (std::size_t i = 0; i < changed_.size(); ++i) {
    if (!changed_[i]) continue;
    columns.push_back(ColumnName(i));
    values.push_back(result_.rows[position_][i]);
  }
}

void Recordset::InsertPendingRow() {
  std::vector<std::string> columns;
  std::vector<Value> values;
  CollectChanges(columns, values);
  const std::string& table = *result_.base_table;
  std::string description = "INSERT INTO [" + table + "] (" + JoinBracketed(columns, "") +
                            ") VALUES (" + Placeholders(columns.size()) + ")";
  Session& session = connection_->session();
  result_.row_ids[position_] =
      Traced(*connection_, "update", description, [&] { return session.InsertRow(table, columns, values); });
}

void Recordset::UpdatePendingRow() {
  std::vector<std::string> columns;
  std::vector<Value> values;
  CollectChanges(columns, values);
  const std::string& table = *result_.base_table;
  std::int64_t row_id = result_.row_ids[position_];
  // The row's identity is the driver's own (a rowid, the values it was read
  // with), so the transcript names it the same way on every driver.
  std::string description =
      "UPDATE [" + table + "] SET " + JoinBracketed(columns, " = ?") + " WHERE <current row>";
  Session& session = connection_->session();
  Traced(*connection_, "update", description,
         [&] { session.UpdateRow(table, row_id, columns, values); });
}

}  // namespace court::access
