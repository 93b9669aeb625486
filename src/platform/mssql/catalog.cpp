#include "platform/mssql/catalog.h"

#include <sqlite3.h>

#include <algorithm>

#include "platform/mssql/datetime_text.h"
#include "platform/mssql/parser.h"
#include "platform/mssql/security_store.h"
#include "platform/mssql/sqlite_sql.h"
#include "platform/mssql/system_tables.h"
#include "platform/text/ascii.h"
#include "platform/text/trim.h"
#include "platform/text/utf8.h"

namespace court::mssql {

namespace {

using access::Value;

std::string Key(const std::string& name) {
  return text::Lower(std::string(text::TrimRight(name)));
}

std::string Padded(std::string xtype) {
  if (xtype.size() < 2) xtype += ' ';
  return xtype;
}

ObjectRow ToObject(const std::vector<Value>& row) {
  return ObjectRow{static_cast<int>(row[0].integer()), row[1].text(), std::string(text::TrimRight(row[2].text())),
                   static_cast<int>(row[3].integer())};
}

std::string NowText() { return FormatDateTime(Now()); }

// Splits a text into the 4000-character pieces that syscomments holds.
std::vector<std::string> Chunks(std::string_view rest) {
  std::vector<std::string> chunks;
  do {
    std::string_view chunk = text::FirstChars(rest, 4000);
    chunks.emplace_back(chunk);
    rest.remove_prefix(chunk.size());
  } while (!rest.empty());
  return chunks;
}

}  // namespace

// Compares as Key does, without making either key: every INSERT and
// UPDATE looks up each of its columns here.
int TableMeta::Find(const std::string& column) const {
  const std::string_view wanted = text::TrimRight(column);
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (text::EqualIgnoringCase(text::TrimRight(columns[i].name), wanted)) return static_cast<int>(i);
  return -1;
}

int TableMeta::IdentityIndex() const {
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (columns[i].identity) return static_cast<int>(i);
  return -1;
}

std::string TableMeta::SqliteName() const { return QualifiedName(schema, name); }

bool IsRowidColumn(SqliteDb& db, const TableMeta& table, const std::string& column) {
  return !db.Scalar("SELECT 1 FROM pragma_table_info(?1, ?2) WHERE pk = 1 AND name = ?3",
                    {Value::Text(table.name), Value::Text(table.schema), Value::Text(column)})
              .is_null();
}

std::string SqliteColumn(const std::string& name) { return QuoteIdentifier(name) + " COLLATE CI"; }

Catalog::Catalog(SqliteDb& db, std::string schema, bool is_master)
    : db_(&db),
      schema_(std::move(schema)),
      is_master_(is_master),
      version_sql_("PRAGMA " + QuoteIdentifier(schema_) + ".user_version") {}

std::string Catalog::Qualified(const std::string& table) const { return QualifiedName(schema_, table); }

long long Catalog::Version() {
  CachedStatement stmt = db_->Prepare(version_sql_);
  stmt->Step();
  return stmt->Column(0).integer();
}

// Inside a transaction the file changes under the connection only by the
// transaction's own statements, and those keep the version right (Changed)
// or forget it (a rollback, ForgetTables). So the version is read again
// only when the data version says the connection has seen another's commit
// or made one of its own: not for each of the rows a transaction inserts.
TableCache& Catalog::Cache() {
  TableCache& cache = db_->table_cache(schema_);
  const std::optional<unsigned> seen = db_->DataVersion(schema_);
  if (seen && cache.version >= 0 && cache.data_version == seen) return cache;
  long long version = Version();
  if (version != cache.version) {
    cache.tables.clear();
    cache.objects.reset();
    cache.version = version;
  }
  // Asked again: the read may have begun the transaction's view of the file.
  cache.data_version = db_->DataVersion(schema_);
  return cache;
}

void Catalog::Changed() {
  TableCache& cache = Cache();
  db_->Exec("PRAGMA " + QuoteIdentifier(schema_) + ".user_version = " + std::to_string(cache.version + 1));
  // The change is this connection's own, made under the file's write lock:
  // the object counts it kept up to date stay right.
  ++cache.version;
  cache.tables.clear();
  cache.drawn_identities.clear();
}

std::optional<ObjectRow> Catalog::ObjectWhere(const std::string& column, const Value& value) {
  auto rows = db_->Rows("SELECT id, name, xtype, parent_obj FROM " + Qualified("sysobjects") +
                           " WHERE " + column + " = ?1",
                       {value});
  if (rows.empty()) return std::nullopt;
  return ToObject(rows[0]);
}

std::optional<ObjectRow> Catalog::FindObject(const std::string& name) {
  return ObjectWhere("name", Value::Text(name));
}

std::optional<ObjectRow> Catalog::ObjectById(int id) { return ObjectWhere("id", Value::Integer(id)); }

std::vector<ObjectRow> Catalog::ObjectsOfParent(int parent) {
  std::vector<ObjectRow> objects;
  for (const auto& row : db_->Rows("SELECT id, name, xtype, parent_obj FROM " +
                                      Qualified("sysobjects") + " WHERE parent_obj = ?1 ORDER BY id",
                                  {Value::Integer(parent)}))
    objects.push_back(ToObject(row));
  return objects;
}

std::optional<int> Catalog::ObjectId(const std::string& name) {
  if (const SystemTable* system = FindSystemTable(name, is_master_)) return system->id;
  if (std::optional<ObjectRow> object = FindObject(name)) return object->id;
  return std::nullopt;
}

std::shared_ptr<const TableMeta> Catalog::FindTable(const std::string& name) {
  TableCache& cache = Cache();
  std::string key = Key(name);
  auto it = cache.tables.find(key);
  if (it != cache.tables.end()) return it->second;
  std::shared_ptr<const TableMeta> table;
  if (const SystemTable* system = FindSystemTable(name, is_master_)) {
    auto meta = std::make_shared<TableMeta>();
    meta->name = system->name;
    meta->id = system->id;
    meta->xtype = system->view_sql.empty() ? "S" : "V";
    meta->schema = schema_;
    int colid = 0;
    for (const SystemColumn& c : system->columns) {
      ColumnMeta column;
      column.name = c.name;
      column.type = ResolveType(ParseTypeName(c.type));
      column.colid = ++colid;
      meta->columns.push_back(column);
    }
    meta->insert_sql = InsertRowSql(*meta);
    table = meta;
  } else if (auto object = FindObject(name);
             object && (object->xtype == "U" || object->xtype == "V")) {
    table = LoadTable(*object);
  }
  if (table) cache.tables[key] = table;
  return table;
}

std::shared_ptr<const TableMeta> Catalog::LoadTable(const ObjectRow& object) {
  auto meta = std::make_shared<TableMeta>();
  meta->name = object.name;
  meta->id = object.id;
  meta->xtype = object.xtype;
  meta->schema = schema_;
  // Last, whether the identity column leads a key's index.
  for (const auto& row :
       db_->Rows("SELECT name, xtype, length, prec, scale, isnullable, status, colid, cdefault, "
                 "CASE WHEN status & 128 THEN EXISTS (SELECT 1 FROM " + Qualified("sysindexkeys") +
                     " AS k WHERE k.id = c.id AND k.keyno = 1 AND k.colid = c.colid) ELSE 0 END FROM " +
                     Qualified("syscolumns") + " AS c WHERE id = ?1 ORDER BY colid",
                 {Value::Integer(object.id)})) {
    ColumnMeta column;
    column.name = row[0].text();
    column.type = TypeFromCatalog(static_cast<int>(row[1].integer()), static_cast<int>(row[2].integer()),
                                  static_cast<int>(row[3].integer()), static_cast<int>(row[4].integer()));
    column.nullable = row[5].integer() != 0;
    column.identity = (row[6].integer() & 0x80) != 0;
    column.colid = static_cast<int>(row[7].integer());
    column.cdefault = static_cast<int>(row[8].integer());
    if (column.cdefault != 0) column.default_expression = DefaultExpression(column.cdefault);
    if (row[9].integer() != 0) meta->identity_keyed = true;
    meta->columns.push_back(std::move(column));
  }
  for (const ObjectRow& child : ObjectsOfParent(object.id)) {
    if (child.xtype == "C") meta->checks.push_back({child.name, Comment(child.id)});
    else if (child.xtype == "PK" || (child.xtype == "UQ" && meta->key_name.empty())) meta->key_name = child.name;
  }
  if (meta->identity_keyed) WriteCounterSql(*meta);
  meta->insert_sql = InsertRowSql(*meta);
  return meta;
}

// A keyed identity's counter is the stored last value or the column's value
// furthest along the increment's direction (a seek to one end of the key),
// whichever is further on. Storing it raises the stored value to that.
void Catalog::WriteCounterSql(TableMeta& table) const {
  const std::string column = QuoteIdentifier(table.columns[static_cast<std::size_t>(table.IdentityIndex())].name);
  const std::string furthest = "CASE WHEN increment > 0 THEN (SELECT max(" + column + ") FROM " + table.SqliteName() +
                               ") ELSE (SELECT min(" + column + ") FROM " + table.SqliteName() + ") END";
  const std::string counters = Qualified("court_identity");
  table.counter_sql = "SELECT seed, increment, last, " + furthest + " FROM " + counters + " WHERE id = ?1";
  table.keep_counter_sql = "UPDATE " + counters + " SET last = (SELECT CASE WHEN increment > 0 THEN max(coalesce(last, v), "
                           "coalesce(v, last)) ELSE min(coalesce(last, v), coalesce(v, last)) END FROM (SELECT " +
                           furthest + " AS v)) WHERE id = ?1";
}

std::string Catalog::DefaultExpression(int default_id) {
  std::optional<ObjectRow> object = ObjectById(default_id);
  if (!object) return "";
  std::string text = Comment(default_id);
  if (object->parent != 0) return text;
  // A default object keeps its whole CREATE DEFAULT statement.
  for (const StatementPtr& s : ParseBatch(text, true)) {
    if (const auto* d = std::get_if<CreateDefaultStmt>(&s->node))
      return text.substr(d->value->offset, d->value->end - d->value->offset);
  }
  return "";
}

int Catalog::AddObject(const std::string& name, const std::string& xtype, int parent) {
  // Object ids look random on the real server; derive them from the largest
  // id and the count, which the cache keeps so that a catalog of thousands
  // of objects is not counted again for each one.
  TableCache& cache = Cache();
  if (!cache.objects) {
    auto row = db_->Rows("SELECT count(*), max(id) FROM " + Qualified("sysobjects")).at(0);
    cache.objects.emplace(row[0].integer(), row[1].integer());
  }
  auto& [count, largest] = *cache.objects;
  long long id = count + largest;
  do id = (id * 48271 + 11) % 2147483647;
  while (id < 1000 || ObjectById(static_cast<int>(id)));
  std::string type = xtype == "PK" || xtype == "UQ" ? "K" : xtype;
  db_->Rows("INSERT INTO " + Qualified("sysobjects") +
               " (name, id, xtype, uid, parent_obj, crdate, type, refdate) "
               "VALUES (?1, ?2, ?3, 1, ?4, ?5, ?6, ?5)",
           {Value::Text(name), Value::Integer(id), Value::Text(Padded(xtype)), Value::Integer(parent),
            Value::Text(NowText()), Value::Text(Padded(type))});
  ++count;
  largest = std::max(largest, id);
  return static_cast<int>(id);
}

void Catalog::RenameObject(int id, const std::string& name) {
  db_->Rows("UPDATE " + Qualified("sysobjects") + " SET name = ?2 WHERE id = ?1",
           {Value::Integer(id), Value::Text(name)});
}

void Catalog::SetObjectStatus(int id, int status) {
  db_->Rows("UPDATE " + Qualified("sysobjects") + " SET status = ?2 WHERE id = ?1",
            {Value::Integer(id), Value::Integer(status)});
}

void Catalog::SetOwner(int id, int uid) {
  db_->Rows("UPDATE " + Qualified("sysobjects") + " SET uid = ?2 WHERE id = ?1",
            {Value::Integer(id), Value::Integer(uid)});
}

void Catalog::RemoveObject(int id) {
  db_->table_cache(schema_).objects.reset();
  for (const char* table : {"sysobjects", "syscolumns", "syscomments", "sysindexes", "sysindexkeys"})
    db_->Rows("DELETE FROM " + Qualified(table) + " WHERE id = ?1", {Value::Integer(id)});
  UserStore(*db_, schema_).RemoveObjectRights(id);
  db_->Rows("DELETE FROM " + Qualified("court_identity") + " WHERE id = ?1", {Value::Integer(id)});
}

void Catalog::AddKeyIndex(int table_id, const std::string& name, const std::vector<int>& colids) {
  const long long indid = db_->Scalar("SELECT coalesce(max(indid), 0) + 1 FROM " + Qualified("sysindexes") +
                                          " WHERE id = ?1",
                                      {Value::Integer(table_id)})
                              .integer();
  db_->Rows("INSERT INTO " + Qualified("sysindexes") + " (id, status, indid, name) VALUES (?1, 2, ?2, ?3)",
            {Value::Integer(table_id), Value::Integer(indid), Value::Text(name)});
  long long keyno = 0;
  for (int colid : colids)
    db_->Rows("INSERT INTO " + Qualified("sysindexkeys") + " (id, indid, colid, keyno) VALUES (?1, ?2, ?3, ?4)",
              {Value::Integer(table_id), Value::Integer(indid), Value::Integer(colid), Value::Integer(++keyno)});
}

void Catalog::RemoveKeyIndex(int table_id, const std::string& name) {
  db_->Rows("DELETE FROM " + Qualified("sysindexkeys") + " WHERE id = ?1 AND indid IN (SELECT indid FROM " +
                Qualified("sysindexes") + " WHERE id = ?1 AND name = ?2)",
            {Value::Integer(table_id), Value::Text(name)});
  db_->Rows("DELETE FROM " + Qualified("sysindexes") + " WHERE id = ?1 AND name = ?2",
            {Value::Integer(table_id), Value::Text(name)});
}

std::vector<KeyConstraint> Catalog::KeyConstraints(int table_id) {
  std::vector<KeyConstraint> keys;
  for (const auto& row : db_->Rows(
           "SELECT i.name, o.xtype, c.name FROM " + Qualified("sysindexes") + " i JOIN " + Qualified("sysobjects") +
               " o ON o.name = i.name AND o.parent_obj = i.id JOIN " + Qualified("sysindexkeys") +
               " k ON k.id = i.id AND k.indid = i.indid JOIN " + Qualified("syscolumns") +
               " c ON c.id = k.id AND c.colid = k.colid WHERE i.id = ?1 ORDER BY i.indid, k.keyno",
           {Value::Integer(table_id)})) {
    if (keys.empty() || keys.back().name != row[0].text())
      keys.push_back({row[0].text(), text::TrimRight(row[1].text()) == "PK", {}});
    keys.back().columns.push_back(row[2].text());
  }
  return keys;
}

void Catalog::AddColumn(int table_id, const ColumnMeta& c) {
  bool text = c.type.IsText();
  int status = (c.nullable ? 0x08 : 0) | (c.identity ? 0x80 : 0);
  db_->Rows("INSERT INTO " + Qualified("syscolumns") +
               " (name, id, xtype, xusertype, length, xprec, xscale, colid, colstat, cdefault, "
               "colorder, status, prec, scale, isnullable, collation) "
               "VALUES (?1, ?2, ?3, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?7, ?10, ?5, ?6, ?11, ?12)",
           {Value::Text(c.name), Value::Integer(table_id), Value::Integer(c.type.xtype),
            Value::Integer(c.type.length), Value::Integer(c.type.precision),
            Value::Integer(c.type.scale), Value::Integer(c.colid), Value::Integer(c.identity ? 1 : 0),
            Value::Integer(c.cdefault), Value::Integer(status), Value::Integer(c.nullable ? 1 : 0),
            text ? Value::Text("Chinese_PRC_CI_AS") : Value()});
}

void Catalog::RemoveColumn(int table_id, int colid) {
  db_->Rows("DELETE FROM " + Qualified("syscolumns") + " WHERE id = ?1 AND colid = ?2",
            {Value::Integer(table_id), Value::Integer(colid)});
}

void Catalog::SetDefault(int table_id, int colid, int default_id) {
  db_->Rows("UPDATE " + Qualified("syscolumns") + " SET cdefault = ?3 WHERE id = ?1 AND colid = ?2",
           {Value::Integer(table_id), Value::Integer(colid), Value::Integer(default_id)});
}

void Catalog::AddComment(int id, const std::string& text) {
  int colid = 0;
  for (const std::string& chunk : Chunks(text)) {
    access::Bytes bytes(chunk.begin(), chunk.end());
    db_->Rows("INSERT INTO " + Qualified("syscomments") +
                 " (id, number, colid, status, ctext, texttype, language, encrypted, compressed, "
                 "text) VALUES (?1, 0, ?2, 0, ?3, 0, 0, 0, 0, ?4)",
             {Value::Integer(id), Value::Integer(++colid), Value::Binary(bytes), Value::Text(chunk)});
  }
}

std::string Catalog::Comment(int id) {
  std::string text;
  for (const auto& row : db_->Rows("SELECT text FROM " + Qualified("syscomments") +
                                      " WHERE id = ?1 ORDER BY colid",
                                  {Value::Integer(id)}))
    if (!row[0].is_null()) text += row[0].text();
  return text;
}

long long Catalog::NextIdentity(const TableMeta& table) {
  if (!table.identity_keyed) {
    // One statement, so that sessions inserting at once never draw the same value.
    auto rows = db_->Rows("UPDATE " + Qualified("court_identity") +
                              " SET last = CASE WHEN last IS NULL THEN seed ELSE last + increment END"
                              " WHERE id = ?1 RETURNING last",
                          {Value::Integer(table.id)});
    return rows.empty() ? 1 : rows[0][0].integer();
  }
  // Read under the statement's write transaction, so no other session draws in between.
  std::map<int, TableCache::Drawn>& drawn = DrawnIdentities();
  const bool writing = sqlite3_txn_state(db_->handle(), schema_.c_str()) == SQLITE_TXN_WRITE;
  if (auto known = drawn.find(table.id); writing && known != drawn.end())
    return known->second.last += known->second.increment;
  std::optional<IdentityCounter> counter = KeyedCounter(table);
  if (!counter) return 1;
  const long long next = counter->last ? *counter->last + counter->increment : counter->seed;
  if (writing) drawn[table.id] = {next, counter->increment};
  return next;
}

// Kept apart from the version check of Cache(): what was drawn is forgotten
// when the transaction that drew it ends, whatever the version says.
std::map<int, TableCache::Drawn>& Catalog::DrawnIdentities() { return db_->table_cache(schema_).drawn_identities; }

void Catalog::ForgetDrawnIdentity(int table_id) { DrawnIdentities().erase(table_id); }

void Catalog::KeepIdentity(const TableMeta& table) {
  ForgetDrawnIdentity(table.id);
  if (table.identity_keyed) db_->Rows(table.keep_counter_sql, {Value::Integer(table.id)});
}

std::optional<Catalog::IdentityCounter> Catalog::KeyedCounter(const TableMeta& table) {
  auto rows = db_->Rows(table.counter_sql, {Value::Integer(table.id)});
  if (rows.empty()) return std::nullopt;
  const std::vector<Value>& row = rows[0];
  IdentityCounter counter{row[0].integer(), row[1].integer(), std::nullopt};
  for (const Value& value : {row[2], row[3]}) {
    if (value.is_null()) continue;
    const long long v = value.integer();
    if (!counter.last || (counter.increment > 0 ? v > *counter.last : v < *counter.last)) counter.last = v;
  }
  return counter;
}

void Catalog::ResetIdentity(int table_id) {
  ForgetDrawnIdentity(table_id);
  db_->Rows("UPDATE " + Qualified("court_identity") + " SET last = NULL WHERE id = ?1",
           {Value::Integer(table_id)});
}

void Catalog::RaiseIdentity(int table_id, long long value) {
  ForgetDrawnIdentity(table_id);
  db_->Rows("UPDATE " + Qualified("court_identity") +
               " SET last = ?2 WHERE id = ?1 AND (last IS NULL OR (increment > 0 AND last < ?2) OR"
               " (increment < 0 AND last > ?2))",
           {Value::Integer(table_id), Value::Integer(value)});
}

void Catalog::SetIdentity(int table_id, long long seed, long long increment,
                          std::optional<long long> last) {
  ForgetDrawnIdentity(table_id);
  db_->Rows("INSERT OR REPLACE INTO " + Qualified("court_identity") +
               " (id, seed, increment, last) VALUES (?1, ?2, ?3, ?4)",
           {Value::Integer(table_id), Value::Integer(seed), Value::Integer(increment),
            last ? Value::Integer(*last) : Value()});
}

}  // namespace court::mssql
