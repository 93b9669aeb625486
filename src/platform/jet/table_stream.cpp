#include "platform/jet/table_stream.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace court::jet {
namespace {

using access::Value;
using access::ValueType;

template <typename T>
void Put(std::string& out, T value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void PutText(std::string& out, std::string_view text) {
  Put<std::uint64_t>(out, text.size());
  out.append(text);
}

void PutValue(std::string& out, const Value& value) {
  out.push_back(static_cast<char>(value.type()));
  switch (value.type()) {
    case ValueType::kNull: break;
    case ValueType::kInteger: Put(out, value.integer()); break;
    case ValueType::kFloat: Put(out, value.floating()); break;
    case ValueType::kCurrency: Put(out, value.money().ten_thousandths); break;
    case ValueType::kDecimal: Put(out, value.decimal()); break;
    case ValueType::kText: PutText(out, value.text()); break;
    case ValueType::kDateTime: Put(out, value.date()); break;
    case ValueType::kBoolean: Put(out, value.boolean()); break;
    case ValueType::kBinary: {
      const access::Bytes& bytes = value.binary();
      PutText(out, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
      break;
    }
  }
}

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  void RequireEnd() const {
    if (pos_ != bytes_.size()) throw std::invalid_argument("table stream: bytes left over");
  }

  template <typename T>
  T Get() {
    T value;
    std::memcpy(&value, Take(sizeof value).data(), sizeof value);
    return value;
  }

  std::string_view Text() { return Take(Get<std::uint64_t>()); }

  // A count of items that each take at least one byte further on.
  std::uint64_t Count() {
    const auto count = Get<std::uint64_t>();
    if (count > bytes_.size() - pos_) throw std::invalid_argument("table stream: truncated");
    return count;
  }

  Value GetValue() {
    switch (static_cast<ValueType>(Get<char>())) {
      case ValueType::kNull: return Value();
      case ValueType::kInteger: return Value::Integer(Get<std::int64_t>());
      case ValueType::kFloat: return Value::Float(Get<double>());
      case ValueType::kCurrency: return Value::Money({Get<std::int64_t>()});
      case ValueType::kDecimal: return Value::Exact(Get<access::Decimal>());
      case ValueType::kText: return Value::Text(std::string(Text()));
      case ValueType::kDateTime: return Value::Date(Get<access::DateTime>());
      case ValueType::kBoolean: return Value::Boolean(Get<bool>());
      case ValueType::kBinary: return Value::Binary(access::BytesOf(Text()));
    }
    throw std::invalid_argument("table stream: unknown value type");
  }

 private:
  std::string_view Take(std::uint64_t size) {
    if (size > bytes_.size() - pos_) throw std::invalid_argument("table stream: truncated");
    std::string_view part = bytes_.substr(pos_, size);
    pos_ += size;
    return part;
  }

  std::string_view bytes_;
  std::size_t pos_ = 0;
};

}  // namespace

void AppendDefinition(const Table& table, std::string& out) {
  PutText(out, table.name);
  Put<std::uint64_t>(out, table.columns.size());
  for (const Column& column : table.columns) {
    PutText(out, column.name);
    Put(out, column.type);
    Put(out, column.size);
  }
}

void AppendRow(const access::Row& row, std::string& out) {
  for (const Value& value : row) PutValue(out, value);
}

Table DefinitionFromBytes(std::string_view bytes) {
  Reader in(bytes);
  Table table;
  table.name = in.Text();
  table.columns.resize(in.Count());
  for (Column& column : table.columns) {
    column.name = in.Text();
    column.type = in.Get<ColumnType>();
    column.size = in.Get<int>();
  }
  in.RequireEnd();
  return table;
}

access::Row RowFromBytes(std::string_view bytes, std::size_t columns) {
  Reader in(bytes);
  access::Row row;
  row.reserve(columns);
  for (std::size_t c = 0; c < columns; ++c) row.push_back(in.GetValue());
  in.RequireEnd();
  return row;
}

}  // namespace court::jet
