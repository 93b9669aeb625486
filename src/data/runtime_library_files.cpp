#include "data/runtime_library_files.h"

#include "data/binary_carry.h"
#include "data/quoted_value.h"
#include "platform/access/error.h"
#include "platform/access/recordset.h"
#include "provisioning/connections.h"
#include "provisioning/step_transaction.h"

namespace court::data {
namespace {

using access::Recordset;
using access::Value;

// A value as the installer reads it, kept in its own kind: text loses its
// trailing blanks, other kinds need no trimming.
Value RightTrimmed(const Value& value) {
  return value.type() == access::ValueType::kText ? Value::Text(access::RightTrim(value.text())) : value;
}

// Sets target from source unless source is null or blank.
void CopyIfPresent(Recordset& source, Recordset& target, const char* column) {
  const Value& value = source.Fields(column).value();
  if (!access::Trimmed(value).empty()) target.Fields(column).set_value(RightTrimmed(value));
}

// The court's id of the library named 使用名称 in the open lookup.
Value CourtLibraryId(Recordset& library, const std::string& library_name, const std::string& file_name) {
  if (library.Eof())
    throw access::Error(access::ado::kNoCurrentRecord,
                        "The runtime library file '" + file_name + "' belongs to the library '" + library_name +
                            "', which the court's 运行库 does not hold.");
  return RightTrimmed(library.Fields(0).value());
}

void ReplaceFiles(const provisioning::RunState& run, access::Connection& court, access::Connection& catalogue) {
  court.Execute("delete from 运行库文件");
  // Both sides hold one file at a time, however many the release ships.
  Recordset source;
  Recordset target;
  access::OpenRecordset(catalogue, source,
                              "SELECT 运行库.使用名称, 运行库文件.文件名, 运行库文件.运行库_id, 运行库文件.内容, "
                              "运行库文件.运行 FROM 运行库 INNER JOIN  运行库文件 ON 运行库.id = 运行库文件.运行库_id",
                        access::CursorType::kForwardOnly);
  access::OpenRecordset(court, target, "select * from 运行库文件", access::CursorType::kForwardOnly);
  for (; !source.Eof(); source.MoveNext()) {
    std::string library_name = access::Trimmed(source.Fields("使用名称").value());
    Recordset library;
    access::OpenRecordset(court, library,
                                "select id from 运行库 where  使用名称 =  " + QuotedValue(library_name));
    target.AddNew();
    CopyIfPresent(source, target, "文件名");
    CopyIfPresent(source, target, "运行");
    target.Fields("运行库_id")
        .set_value(CourtLibraryId(library, library_name, access::Trimmed(source.Fields("文件名").value())));
    target.Fields("内容").set_value(CarryBinary(run, source.Fields("内容").value()));
    target.Update();
    library.Close();
  }
  source.Close();
  target.Close();
}

}  // namespace

void CopyRuntimeLibraryFiles(const provisioning::RunState& run, access::Connection& court,
                             access::Connection& catalogue) {
  provisioning::InTransaction(court, [&] { ReplaceFiles(run, court, catalogue); });
}

}  // namespace court::data
