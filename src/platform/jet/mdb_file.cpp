#include "platform/jet/mdb_file.h"

#include <mdbtools.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>

#include "platform/access/error.h"
#include "platform/jet/ole_date.h"
#include "platform/jet/read_ahead_stream.h"
#include "platform/jet/row_format.h"

namespace court::jet {
namespace {

using access::Value;

constexpr int kOffsetMask = 0x1fff;  // row offsets carry flags in their top bits
constexpr unsigned char kDataPage = 0x01;  // a page's first byte gives its kind

std::uint32_t Le32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

template <typename T>
T LoadLe(const unsigned char* p) {
  T value;
  std::memcpy(&value, p, sizeof value);  // Jet and this host are both little-endian
  return value;
}

[[noreturn]] void Fail(const std::string& what) {
  throw access::Error(kUnrecognizedFormat, what);
}

[[noreturn]] void Damaged(const std::string& what) { throw access::Error(kDamagedFile, what); }

ColumnType TypeOf(const MdbColumn& col, const std::string& table) {
  switch (col.col_type) {
    case MDB_BOOL: return ColumnType::kBoolean;
    case MDB_BYTE: return ColumnType::kByte;
    case MDB_INT: return ColumnType::kInteger;
    case MDB_LONGINT: return ColumnType::kLong;
    case MDB_MONEY: return ColumnType::kCurrency;
    case MDB_FLOAT: return ColumnType::kSingle;
    case MDB_DOUBLE: return ColumnType::kDouble;
    case MDB_DATETIME: return ColumnType::kDateTime;
    case MDB_TEXT: return ColumnType::kText;
    case MDB_MEMO: return ColumnType::kMemo;
    case MDB_OLE: return ColumnType::kOle;
  }
  Fail("Column '" + std::string(col.name) + "' of table '" + table + "' has Jet type " +
       std::to_string(col.col_type) + ", which is not supported.");
}

// Whether libmdb can walk the table's owned-pages map: a type 0 map needs its
// start page, a type 1 map one page number; libmdb trusts either blindly.
bool UsableMap(const MdbTableDef& def) {
  return def.usage_map != nullptr && def.map_sz >= 5 && def.usage_map[0] <= 1;
}

// Reads what libmdb keeps about one open table and releases it at scope end.
class TableHandle {
 public:
  explicit TableHandle(MdbCatalogEntry* entry) : def_(mdb_read_table(entry)) {
    if (def_ != nullptr && UsableMap(*def_) && mdb_read_columns(def_) != nullptr) return;
    if (def_ != nullptr) mdb_free_tabledef(def_);
    Damaged("table '" + std::string(entry->object_name) + "' cannot be read.");
  }
  ~TableHandle() { mdb_free_tabledef(def_); }
  TableHandle(const TableHandle&) = delete;
  TableHandle& operator=(const TableHandle&) = delete;

  MdbTableDef* def() const { return def_; }
  const MdbColumn& column(unsigned i) const {
    return *static_cast<MdbColumn*>(g_ptr_array_index(def_->columns, i));
  }

 private:
  MdbTableDef* def_;
};

class RowDecoder {
 public:
  RowDecoder(MdbHandle* mdb, const TableHandle& table, const std::vector<Column>& columns)
      : mdb_(mdb), table_(table), columns_(columns) {}

  // Decodes the row libmdb's last fetch stopped at, still in mdb->pg_buf.
  access::Row Current() {
    MdbTableDef* def = table_.def();
    int start = 0;
    size_t size = 0;
    if (mdb_find_row(mdb_, static_cast<int>(def->cur_row) - 1, &start, &size) != 0)
      Damaged("table '" + std::string(def->name) + "' has a damaged row.");
    const int row_start = start & kOffsetMask;
    if (static_cast<size_t>(row_start) + size > static_cast<size_t>(mdb_->fmt->pg_size))
      Damaged("table '" + std::string(def->name) + "' has a row outside its page.");
    std::vector<MdbField> fields(def->num_cols);
    mdb_crack_row(def, row_start, size, fields.data());  // fields it leaves unset stay null pointers
    access::Row row(columns_.size());
    for (const MdbField& field : fields) {
      if (field.colnum < 0 || static_cast<size_t>(field.colnum) >= columns_.size() || !WithinPage(field))
        Damaged("table '" + std::string(def->name) + "' has a damaged row.");
      const auto column = static_cast<size_t>(field.colnum);
      row[column] = Decode(field, columns_[column]);
    }
    return row;
  }

 private:
  // A field's bytes lie in the page buffer and are enough for its type.
  bool WithinPage(const MdbField& field) const {
    if (field.is_null) return true;
    const auto* p = static_cast<const unsigned char*>(field.value);
    const auto* page = mdb_->pg_buf;
    if (field.siz < 0 || p < page || p + field.siz > page + mdb_->fmt->pg_size) return false;
    return field.siz >= FixedSize(columns_[static_cast<size_t>(field.colnum)].type);
  }

  Value Decode(const MdbField& field, const Column& column) {
    // A yes/no value lives in the null bit itself.
    if (column.type == ColumnType::kBoolean) return Value::Boolean(!field.is_null);
    if (field.is_null) return Value();
    const auto* p = static_cast<const unsigned char*>(field.value);
    switch (column.type) {
      case ColumnType::kByte: return Value::Integer(p[0]);
      case ColumnType::kInteger: return Value::Integer(LoadLe<std::int16_t>(p));
      case ColumnType::kLong: return Value::Integer(LoadLe<std::int32_t>(p));
      case ColumnType::kCurrency: return Value::Money({LoadLe<std::int64_t>(p)});
      case ColumnType::kSingle: return Value::Float(SingleAsDecimal(LoadLe<float>(p)));
      case ColumnType::kDouble: return Value::Float(LoadLe<double>(p));
      case ColumnType::kDateTime: {
        const double ole = LoadLe<double>(p);
        if (!IsJetDate(ole)) Damaged("column '" + column.name + "' holds a date outside the years 100 to 9999.");
        return Value::Date(FromOleDate(ole));
      }
      case ColumnType::kText: return Value::Text(ToUtf8(p, static_cast<size_t>(field.siz)));
      case ColumnType::kMemo: {
        access::Bytes bytes = LongValue(p, field.siz);
        return Value::Text(ToUtf8(bytes.data(), bytes.size()));
      }
      case ColumnType::kOle: return Value::Binary(LongValue(p, field.siz));
      case ColumnType::kBoolean: break;
    }
    return Value();
  }

  std::string ToUtf8(const unsigned char* bytes, size_t size) {
    if (size == 0) return "";
    std::string text(size * 3 + 1, '\0');
    int length = mdb_unicode2ascii(mdb_, reinterpret_cast<const char*>(bytes), size, text.data(),
                                   text.size());
    text.resize(static_cast<size_t>(std::max(length, 0)));
    return text;
  }

  // A memo or OLE value: a 12-byte header, then the bytes inline, in one
  // long-value row, or in a chain of rows each led by the next one's address.
  access::Bytes LongValue(const unsigned char* field, int size) {
    access::Bytes bytes;
    if (size < MDB_MEMO_OVERHEAD) return bytes;
    const std::uint32_t header = Le32(field);
    const size_t length = header & 0x00ffffff;
    if (header & 0x80000000) {
      size_t inline_size = std::min<size_t>(length, static_cast<size_t>(size - MDB_MEMO_OVERHEAD));
      return access::Bytes(field + MDB_MEMO_OVERHEAD, field + MDB_MEMO_OVERHEAD + inline_size);
    }
    const bool single = header & 0x40000000;
    std::uint32_t pg_row = Le32(field + 4);
    while (pg_row != 0 && bytes.size() < length) {
      void* page = nullptr;
      int offset = 0;
      size_t row_size = 0;
      if (mdb_find_pg_row(mdb_, static_cast<int>(pg_row), &page, &offset, &row_size) != 0 ||
          offset < 0 || static_cast<size_t>(offset) + row_size > static_cast<size_t>(mdb_->fmt->pg_size) ||
          !HoldsRow(page, pg_row & 0xff))
        Damaged("a long value points outside the file.");
      const auto* row = static_cast<const unsigned char*>(page) + offset;
      if (single) {
        bytes.assign(row, row + std::min(row_size, length));
        break;
      }
      if (row_size <= 4) break;  // no bytes to add: a chain going round in circles
      pg_row = Le32(row);
      size_t chunk = std::min(row_size - 4, length - bytes.size());
      bytes.insert(bytes.end(), row + 4, row + 4 + chunk);
    }
    return bytes;
  }

  // Whether a page read for a long value is a data page with that row: a
  // page zeroed or overwritten would otherwise give its bytes as the value.
  bool HoldsRow(const void* page, unsigned row) const {
    const auto* bytes = static_cast<const unsigned char*>(page);
    const unsigned rows = bytes[mdb_->fmt->row_count_offset] | (bytes[mdb_->fmt->row_count_offset + 1] << 8);
    return bytes[0] == kDataPage && row < rows;
  }

  MdbHandle* mdb_;
  const TableHandle& table_;
  const std::vector<Column>& columns_;
};

}  // namespace

struct MdbFile::Handle {
  explicit Handle(MdbHandle* m) : mdb(m) {}
  ~Handle() { mdb_close(mdb); }
  MdbHandle* mdb;
  std::vector<MdbCatalogEntry> tables;  // the user tables; table definitions point into it
};

namespace {

// The user tables of the catalogue (MSysObjects, defined on page 2). Read
// here rather than by mdb_read_catalog, which also decodes every object's
// property block and goes round for ever on some damaged ones. A catalogue
// with fewer rows than its definition counts has lost pages.
std::vector<MdbCatalogEntry> UserTables(MdbHandle* mdb, const std::string& unrecognized) {
  MdbCatalogEntry objects{};
  objects.mdb = mdb;
  objects.object_type = MDB_TABLE;
  objects.table_pg = 2;
  std::strcpy(objects.object_name, "MSysObjects");
  TableHandle catalogue(&objects);
  std::vector<std::vector<char>> bound;
  for (const char* name : {"Id", "Name", "Type", "Flags"}) {
    bound.emplace_back(MDB_BIND_SIZE);
    if (mdb_bind_column_by_name(catalogue.def(), const_cast<gchar*>(name), bound.back().data(), nullptr) < 0)
      Fail(unrecognized);
  }
  std::vector<MdbCatalogEntry> tables;
  unsigned rows = 0;
  mdb_rewind_table(catalogue.def());
  for (; mdb_fetch_row(catalogue.def()); ++rows) {
    MdbCatalogEntry entry{};
    entry.mdb = mdb;
    entry.table_pg = std::strtoul(bound[0].data(), nullptr, 10) & 0x00ffffff;
    std::snprintf(entry.object_name, sizeof entry.object_name, "%s", bound[1].data());
    entry.object_type = std::atoi(bound[2].data()) & 0x7f;
    entry.flags = static_cast<int>(std::strtol(bound[3].data(), nullptr, 10));
    if (mdb_is_user_table(&entry)) tables.push_back(entry);
  }
  if (rows != catalogue.def()->num_rows)
    Damaged("its catalogue holds " + std::to_string(rows) + " of its " +
            std::to_string(catalogue.def()->num_rows) + " objects");
  return tables;
}

// The table's columns as libmdb read its definition.
std::vector<Column> ColumnsOf(MdbHandle* mdb, const TableHandle& handle, const std::string& table) {
  std::vector<Column> columns;
  for (unsigned i = 0; i < handle.def()->num_cols; ++i) {
    const MdbColumn& col = handle.column(i);
    Column column{col.name, TypeOf(col, table), 0};
    // Jet 4 gives text sizes in bytes of UCS-2, Jet 3 in characters.
    if (column.type == ColumnType::kText)
      column.size = mdb->f->jet_version == MDB_VER_JET3 ? col.col_size : col.col_size / 2;
    columns.push_back(std::move(column));
  }
  return columns;
}

// One table's rows, handed on as read; throws kDamagedFile without the file's name.
void ScanRows(MdbHandle* mdb, MdbCatalogEntry& entry, const std::function<void(access::Row&&)>& each) {
  const std::string name = entry.object_name;
  TableHandle handle(&entry);
  const std::vector<Column> columns = ColumnsOf(mdb, handle, name);
  RowDecoder decoder(mdb, handle, columns);
  mdb_rewind_table(handle.def());
  std::size_t rows = 0;
  for (; mdb_fetch_row(handle.def()); ++rows) each(decoder.Current());
  // libmdb passes over data pages that are not the table's and stops at the
  // end of a truncated file without a word; the definition's count tells.
  if (rows != handle.def()->num_rows)
    Damaged("table '" + name + "' holds " + std::to_string(rows) + " of its " +
            std::to_string(handle.def()->num_rows) + " rows");
}

// Runs `read`, giving a damaged table's error the file's name.
template <typename Read>
auto NamingTheFile(const std::filesystem::path& file, Read read) {
  try {
    return read();
  } catch (const access::Error& error) {
    if (error.number() != kDamagedFile) throw;
    throw access::Error(kDamagedFile, DamagedFileText(file, error.description()));
  }
}

}  // namespace

std::string DamagedFileText(const std::filesystem::path& path, const std::string& what) {
  std::string text = "The file '" + path.string() + "' is damaged: " + what;
  return text.back() == '.' ? text : text + ".";
}

void CheckJetFile(const std::filesystem::path& path, const std::filesystem::path& name) {
  const std::string shown = name.empty() ? path.string() : name.string();
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error))
    throw access::Error(kFileNotFound, "Could not find file '" + shown + "'.");
  const auto size = std::filesystem::file_size(path, error);
  unsigned char header[0x15] = {};
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(header), sizeof header);
  if (error || !in || Le32(header) != 0x100 || header[0x14] > 6)
    throw access::Error(kUnrecognizedFormat, "Unrecognized database format '" + shown + "'.");
  const std::uintmax_t page = header[0x14] == 0 ? 2048 : 4096;
  if (size % page != 0 || size < 3 * page)
    throw access::Error(kDamagedFile,
                        DamagedFileText(shown, std::to_string(size) + " bytes are not a whole number of " +
                                                  std::to_string(page) + "-byte pages"));
}

MdbFile::MdbFile(const std::filesystem::path& path, const std::filesystem::path& name)
    : name_(name.empty() ? path : name) {
  CheckJetFile(path, name_);
  const std::string unrecognized = "Unrecognized database format '" + name_.string() + "'.";
  MdbHandle* mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
  if (mdb == nullptr) throw access::Error(kUnrecognizedFormat, unrecognized);
  handle_ = std::make_unique<Handle>(mdb);
  if (std::FILE* read_ahead = OpenReadAheadStream(fileno(mdb->f->stream))) {
    std::fclose(mdb->f->stream);
    mdb->f->stream = read_ahead;
  }
  try {
    handle_->tables = NamingTheFile(name_, [&] { return UserTables(mdb, unrecognized); });
  } catch (const access::Error& error) {
    if (error.number() == kDamagedFile) throw;
    throw access::Error(kUnrecognizedFormat, unrecognized);
  }
}

MdbFile::~MdbFile() = default;

std::vector<std::string> MdbFile::TableNames() const {
  std::vector<std::string> names;
  for (const MdbCatalogEntry& entry : handle_->tables) names.emplace_back(entry.object_name);
  return names;
}

std::size_t MdbFile::Find(const std::string& name) const {
  for (std::size_t i = 0; i < handle_->tables.size(); ++i)
    if (name == handle_->tables[i].object_name) return i;
  throw access::Error(kUnrecognizedFormat, "Table '" + name + "' does not exist in '" + name_.string() + "'.");
}

Table MdbFile::Definition(const std::string& name) const {
  MdbCatalogEntry& entry = handle_->tables[Find(name)];
  return NamingTheFile(name_, [&] {
    TableHandle handle(&entry);
    return Table{name, ColumnsOf(handle_->mdb, handle, name), {}};
  });
}

void MdbFile::ReadRows(const std::string& name, const std::function<void(access::Row&&)>& row) const {
  MdbCatalogEntry& entry = handle_->tables[Find(name)];
  NamingTheFile(name_, [&] { ScanRows(handle_->mdb, entry, row); });
}

Table MdbFile::ReadTable(const std::string& name) const {
  Table table = Definition(name);
  ReadRows(name, [&table](access::Row&& row) { table.rows.push_back(std::move(row)); });
  return table;
}

std::vector<Table> ReadAllTables(const MdbFile& file) {
  std::vector<Table> tables;
  for (const std::string& name : file.TableNames()) tables.push_back(file.ReadTable(name));
  return tables;
}

}  // namespace court::jet
