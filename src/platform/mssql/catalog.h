// One database's catalog: its objects (sysobjects), the columns of its
// tables and views (syscolumns), object texts (syscomments), the indexes of
// its keys (sysindexes, sysindexkeys) and identity counters, read and
// written through the database's own SQLite file.
//
// Statements change these rows only through a Catalog, which names every
// table with its schema: a user table that shares a system table's name
// never receives them. Logins, users and permissions have their own store
// (security_store.h), master's rows for databases and files theirs
// (database_records.h).
//
// Table descriptions are cached with the connection (sqlite_db.h) and dropped
// whenever any connection, in this process or another, changes the catalog:
// the file's user_version counts the changes, and moves with the transaction
// that makes them.

#ifndef COURT_PLATFORM_MSSQL_CATALOG_H_
#define COURT_PLATFORM_MSSQL_CATALOG_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/mssql/sql_type.h"
#include "platform/mssql/sqlite_db.h"

namespace court::mssql {

struct ColumnMeta {
  std::string name;
  SqlType type;
  bool nullable = true;
  bool identity = false;
  int colid = 0;
  int cdefault = 0;  // id of the bound default or DEFAULT constraint
  std::string default_expression;  // the default's expression text, when cdefault is set
};

struct CheckConstraint {
  std::string name;
  std::string condition;  // as stored in syscomments, in its outer parentheses
};

struct TableMeta {
  std::string name;
  int id = 0;
  std::string xtype;   // "U", "S" or "V"
  std::string schema;  // SQLite schema holding it: "main" or "master"
  std::vector<ColumnMeta> columns;
  std::vector<CheckConstraint> checks;
  std::string key_name;  // the PRIMARY KEY or UNIQUE constraint, if any
  // The identity column leads a key's index, so its largest value is one
  // index seek away (see Catalog::NextIdentity).
  bool identity_keyed = false;
  // A keyed identity's statements, written once with the description: the
  // one that reads its counter and the one that stores it.
  std::string counter_sql, keep_counter_sql;
  // The INSERT of one row, every column a parameter in column order.
  std::string insert_sql;

  // Index of the column of that name (case-insensitive), or -1.
  int Find(const std::string& column) const;
  int IdentityIndex() const;
  // "schema"."name" as SQLite knows it.
  std::string SqliteName() const;
};

struct KeyConstraint {
  std::string name;
  bool primary = false;              // else UNIQUE
  std::vector<std::string> columns;  // in key order, as the table spells them
};

struct ObjectRow {
  int id = 0;
  std::string name;
  std::string xtype;  // trimmed: "U", "PK", "D", "C", "V", "S"
  int parent = 0;
};

class Catalog {
 public:
  // schema: the SQLite schema of the database ("main", or "master" when
  // master is attached to a user database's connection).
  Catalog(SqliteDb& db, std::string schema, bool is_master);
  // Goes on through another connection to the same files, and with the
  // table descriptions that connection has kept.
  void Rebind(SqliteDb& db) { db_ = &db; }

  std::optional<ObjectRow> FindObject(const std::string& name);
  std::optional<ObjectRow> ObjectById(int id);
  std::vector<ObjectRow> ObjectsOfParent(int parent);
  std::shared_ptr<const TableMeta> FindTable(const std::string& name);
  // The id of the system table or object of that name, without reading a
  // table's description.
  std::optional<int> ObjectId(const std::string& name);

  int AddObject(const std::string& name, const std::string& xtype, int parent);
  void RenameObject(int id, const std::string& name);
  // sysobjects.status: for a view, the SET options it was made under.
  void SetObjectStatus(int id, int status);
  // The user (uid) who owns the object.
  void SetOwner(int id, int uid);
  void RemoveObject(int id);  // with its columns, texts, permissions and indexes
  // The index of a PRIMARY KEY or UNIQUE constraint, as sysindexes and
  // sysindexkeys list it: its key columns (colids) in key order.
  void AddKeyIndex(int table_id, const std::string& name, const std::vector<int>& colids);
  void RemoveKeyIndex(int table_id, const std::string& name);
  // The table's PRIMARY KEY and UNIQUE constraints with their key columns.
  std::vector<KeyConstraint> KeyConstraints(int table_id);
  void AddColumn(int table_id, const ColumnMeta& column);
  void RemoveColumn(int table_id, int colid);
  void SetDefault(int table_id, int colid, int default_id);
  void AddComment(int id, const std::string& text);
  std::string Comment(int id);
  // The expression of a default object or DEFAULT constraint.
  std::string DefaultExpression(int default_id);

  // Identity counters. The counter of a keyed identity column (see
  // TableMeta) is the stored last value or the column's largest value,
  // whichever is further on, so an insert writes only its row: the stored
  // value is brought up to date (KeepIdentity) only before something could
  // take that largest value away — a DELETE, a failed insert, the key's
  // removal. Any other identity column stores each value it draws.
  long long NextIdentity(const TableMeta& table);
  // An explicit value went into a keyed identity column: the next value
  // drawn reads the counter again.
  void ForgetDrawnIdentity(int table_id);
  // Stores the counter as it stands, before rows or the key that carry it go.
  void KeepIdentity(const TableMeta& table);
  void ResetIdentity(int table_id);  // TRUNCATE: start again at the seed
  // An identity value beyond the stored last one moves the stored counter to it.
  void RaiseIdentity(int table_id, long long value);
  void SetIdentity(int table_id, long long seed, long long increment,
                   std::optional<long long> last);

  // Marks the catalog as changed for every connection.
  void Changed();
  bool is_master() const { return is_master_; }
  const std::string& schema() const { return schema_; }
  std::string Qualified(const std::string& table) const;

 private:
  long long Version();
  // This connection's cache for the schema, emptied if another connection
  // has changed the catalog since it was filled.
  TableCache& Cache();
  std::map<int, TableCache::Drawn>& DrawnIdentities();
  std::optional<ObjectRow> ObjectWhere(const std::string& column, const access::Value& value);
  std::shared_ptr<const TableMeta> LoadTable(const ObjectRow& object);
  void WriteCounterSql(TableMeta& table) const;
  struct IdentityCounter {
    long long seed, increment;
    std::optional<long long> last;  // none until a value is drawn or stored
  };
  std::optional<IdentityCounter> KeyedCounter(const TableMeta& table);

  SqliteDb* db_;
  std::string schema_;
  bool is_master_;
  std::string version_sql_;  // read before every look-up: written once
};

// Whether the column is the SQLite table's rowid (declared INTEGER PRIMARY KEY).
bool IsRowidColumn(SqliteDb& db, const TableMeta& table, const std::string& column);

// Creates the system tables (and for master, the server tables) in a new file.
void InitializeDatabase(SqliteDb& db, bool is_master);
// The system tables' indexes, made where missing (a file from before some
// of them).
void IndexSystemTables(SqliteDb& db);

// The SQLite column declaration of a column: no affinity, the server's collation.
std::string SqliteColumn(const std::string& name);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_CATALOG_H_
