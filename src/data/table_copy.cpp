#include "data/table_copy.h"

#include <charconv>

#include "data/binary_carry.h"
#include "data/quoted_value.h"
#include "platform/access/error.h"
#include "platform/access/recordset.h"
#include "platform/text/ascii.h"
#include "platform/text/trim.h"
#include "provisioning/connections.h"
#include "provisioning/step_transaction.h"

namespace court::data {
namespace {

using access::Recordset;
using access::Trimmed;

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

// A column of 字段 as each source row is written: looked up in the source
// once per table, not once per row.
struct CopiedColumn {
  std::string name;       // as 字段 gives it, trimmed
  std::string type;
  int field = 0;          // its index in the source rows
  bool key = false;       // the key column, which the court numbers itself
  std::string bracketed;  // the source field's name as the statements write it: [name]
  // How the inserted row is found again by this column: dates do not
  // survive the round trip through text exactly enough, numbers compare as
  // numbers, everything else as text.
  enum class Match { kNone, kNumber, kText } match = Match::kText;
};

// What one source row writes: the INSERT's two lists, the condition that
// finds the inserted row again, and the image column to fill afterwards.
struct RowStatement {
  std::string columns;
  std::string values;
  std::string match;
  std::string binary_column;

  void Add(const CopiedColumn& column, std::string_view value) {
    if (!columns.empty()) {
      columns += " , ";
      values += " , ";
    }
    columns += column.bracketed;
    AppendQuoted(values, value);
    if (column.match == CopiedColumn::Match::kNone) return;
    if (!match.empty()) match += " and ";
    match += column.bracketed;
    match += " = ";
    if (column.match == CopiedColumn::Match::kNumber) match += value;
    else AppendQuoted(match, value);
  }

  std::string Insert(const std::string& table) const {
    std::string sql;
    sql.reserve(table.size() + columns.size() + values.size() + 32);
    sql.append("insert into  ").append(table).append(" ( ").append(columns).append(" ) values ( ");
    return sql.append(values).append(" ) ");
  }
};

class TableCopy {
 public:
  TableCopy(const provisioning::RunState& run, const std::string& table, const std::string& key_column)
      : run_(run), table_(table), key_column_upper_(text::Upper(access::RightTrim(key_column))) {}

  // Returns the number of source rows read.
  long CopyRows(access::Connection& court, Recordset& source, Recordset& catalogue_columns) {
    long read = 0;
    for (; !source.Eof(); source.MoveNext(), ++read) {
      if (read == 0) columns_ = CopiedColumns(source, catalogue_columns);
      RowStatement row = Describe(source);
      if (row.columns.empty()) continue;
      court.Execute(row.Insert(table_));
      if (!row.binary_column.empty()) CarryBinaryColumn(court, source, row);
    }
    return read;
  }

 private:
  std::vector<CopiedColumn> CopiedColumns(Recordset& source, Recordset& catalogue_columns) const {
    std::vector<CopiedColumn> columns;
    for (catalogue_columns.MoveFirst(); !catalogue_columns.Eof(); catalogue_columns.MoveNext()) {
      CopiedColumn column;
      column.name = Trimmed(catalogue_columns.Fields("名称").value());
      column.type = Trimmed(catalogue_columns.Fields("类型").value());
      access::Field field = source.Fields(column.name);
      column.field = field.index();
      column.key = text::Upper(column.name) == key_column_upper_;
      column.bracketed = "[" + access::RightTrim(field.name()) + "]";
      if (Contains(column.type, "datetime")) column.match = CopiedColumn::Match::kNone;
      else if (Contains(column.type, "int") || Contains(column.type, "float")) column.match = CopiedColumn::Match::kNumber;
      columns.push_back(std::move(column));
    }
    return columns;
  }

  RowStatement Describe(Recordset& source) const {
    RowStatement row;
    for (const CopiedColumn& column : columns_) {
      access::Field field = source.Fields(column.field);
      if (column.type == "image") {
        row.binary_column = column.name;  // the last image column of the table wins
        continue;
      }
      const std::string text = field.value().ToText();
      const std::string_view value = text::TrimRight(text);
      if (!value.empty() && !column.key) row.Add(column, value);
    }
    return row;
  }

  void CarryBinaryColumn(access::Connection& court, Recordset& source, const RowStatement& row) const {
    if (row.match.empty())
      throw access::Error(access::ado::kInvalidArgument,
                          "Cannot store the " + row.binary_column + " value of a row of " + table_ +
                              ": every column written for the row is a date, so nothing can find the "
                              "inserted row again.");
    Recordset inserted;
    access::OpenRecordset(court, inserted, "SELECT  *  FROM " + table_ + " WHERE " + row.match);
    inserted.Fields(row.binary_column).set_value(CarryBinary(run_, source.Fields(row.binary_column).value()));
    inserted.Update();
    inserted.Close();
  }

  const provisioning::RunState& run_;
  const std::string& table_;
  const std::string key_column_upper_;
  std::vector<CopiedColumn> columns_;
};

// The table's number in 表名, or 0 when it is not listed.
long CatalogueTableNumber(access::Connection& catalogue, const std::string& table) {
  Recordset found;
  access::OpenRecordset(catalogue, found,
                              "SELECT id FROM 表名 WHERE (not name is null ) and ((name = '" +
                                  access::RightTrim(table) + "'))");
  long number = 0;
  if (found.RecordCount() > 0) {
    std::string text = Trimmed(found.Fields(0).value());
    std::from_chars(text.data(), text.data() + text.size(), number);
  }
  found.Close();
  return number;
}

}  // namespace

void CopyCatalogueTable(provisioning::RunState& run, const std::string& table, const std::string& filter,
                        const std::string& key_column) {
  access::Connection court(run.sources);
  access::Connection catalogue(run.sources);
  provisioning::OpenCourtConnection(run, court);
  provisioning::OpenCatalogueConnection(run, catalogue);

  // The court's rows are replaced as a whole: a copy that stops half-way
  // leaves the old rows.
  provisioning::InTransaction(court, [&] {
    // The court's rows go first, whether or not the catalogue ships the table.
    court.Execute("delete from " + table + filter);
    long number = CatalogueTableNumber(catalogue, table);
    if (number <= 0) return;

    std::string order = access::RightTrim(key_column).empty() ? "" : " ORDER BY " + key_column;
    // The source rows stream: a table of documents need not fit in memory.
    Recordset source;
    Recordset catalogue_columns;
    access::OpenRecordset(catalogue, source, "SELECT * FROM " + table + filter + order,
                          access::CursorType::kForwardOnly);
    access::OpenRecordset(catalogue, catalogue_columns,
                                "SELECT 名称 ,类型 FROM 字段 WHERE id = " + std::to_string(number));
    const long copied = TableCopy(run, table, key_column).CopyRows(court, source, catalogue_columns);
    run.progress.Copied(table, copied);
    source.Close();
    catalogue_columns.Close();
  });
}

}  // namespace court::data
