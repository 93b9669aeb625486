#include "platform/mssql/result_text.h"

#include "platform/mssql/datetime_text.h"
#include "platform/text/hex.h"

namespace court::mssql {

std::string FieldText(const access::Value& v) {
  switch (v.type()) {
    case access::ValueType::kNull: return "NULL";
    case access::ValueType::kDateTime: return FormatDateTime(v.date());
    case access::ValueType::kBinary: {
      return "0x" + text::Hex(v.binary());
    }
    default: return v.ToText();
  }
}

std::string ResultText(const access::ResultSet& result) {
  std::string text;
  for (std::size_t i = 0; i < result.columns.size(); ++i)
    text += (i ? "\t" : "") + result.columns[i].name;
  text += "\n";
  for (const access::Row& row : result.rows) {
    for (std::size_t i = 0; i < row.size(); ++i) text += (i ? "\t" : "") + FieldText(row[i]);
    text += "\n";
  }
  return text;
}

std::string ErrorText(const access::Error& e) {
  return "Msg " + std::to_string(e.number()) + ", Level " + std::to_string(e.severity()) + ", State " +
         std::to_string(e.state()) + ", Line 1\n" + e.description() + "\n";
}

}  // namespace court::mssql
