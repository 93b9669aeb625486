// Files the writer produces, read back by three readers: mdbtools' tools,
// the npm package mdb-reader, and this project's reader.

#include <gtest/gtest.h>

#include <filesystem>

#include "oracles.h"
#include "platform/jet/database_writer.h"
#include "platform/jet/json_form.h"
#include "platform/jet/mdb_file.h"
#include "tests/support/temp_dir.h"
#include "value_match.h"

namespace court::jet {
namespace {

using access::Value;
using court::testing::TempDir;

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

access::Bytes Pattern(std::size_t size) {
  access::Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

// Every column type, nulls, CJK, empty text, and memo/OLE values stored
// inline, in one long-value row, and in chains.
std::vector<Table> EveryKindOfValue() {
  Table kinds{"各种类型",
              {{"是否", ColumnType::kBoolean},
               {"字节", ColumnType::kByte},
               {"短整数", ColumnType::kInteger},
               {"长整数", ColumnType::kLong},
               {"金额", ColumnType::kCurrency},
               {"单精度", ColumnType::kSingle},
               {"双精度", ColumnType::kDouble},
               {"日期", ColumnType::kDateTime},
               {"名称", ColumnType::kText, 10},
               {"备注", ColumnType::kMemo},
               {"内容", ColumnType::kOle}},
              {}};
  kinds.rows.push_back({Value::Boolean(true), Value::Integer(255), Value::Integer(-32768),
                        Value::Integer(-2147483648LL), Value::Money({-123456789}), Value::Float(0.15),
                        Value::Float(-1.0e300), Value::Date({1998, 7, 31, 23, 59, 58}),
                        Value::Text("案由 Größe"), Value::Text("短"), Value::Binary(Pattern(64))});
  kinds.rows.push_back({Value::Boolean(false), Value(), Value(), Value(), Value(), Value(), Value(),
                        Value(), Value(), Value(), Value()});
  kinds.rows.push_back({Value::Boolean(true), Value::Integer(0), Value::Integer(32767),
                        Value::Integer(2147483647), Value::Money({922337203685477LL}), Value::Float(3.25f),
                        Value::Float(0.1), Value::Date({2026, 1, 2, 3, 4, 5}), Value::Text(""),
                        Value::Text(""), Value::Binary({})});
  kinds.rows.push_back({Value::Boolean(false), Value::Integer(7), Value::Integer(1), Value::Integer(2),
                        Value::Money({1}), Value::Float(1), Value::Float(2), Value::Date({1900, 1, 1}),
                        Value::Text("十个字符十个字符十个"), Value::Text(Repeat("法院", 900)),
                        Value::Binary(Pattern(4076))});
  kinds.rows.push_back({Value::Boolean(true), Value::Integer(8), Value::Integer(3), Value::Integer(4),
                        Value::Money({-1}), Value::Float(-0.5), Value::Float(1e-300), Value::Date({9999, 12, 31, 23, 59, 59}),
                        Value::Text("x"), Value::Text(Repeat("数据库", 3000)), Value::Binary(Pattern(4077))});
  Table empty{"空表", {{"id", ColumnType::kLong}, {"说明", ColumnType::kText, 255}}, {}};
  Table fixed_only{"Numbers", {{"n", ColumnType::kLong}, {"yes", ColumnType::kBoolean}}, {}};
  for (int i = 0; i < 600; ++i) fixed_only.rows.push_back({Value::Integer(i * 1000), Value::Boolean(i % 3 == 0)});
  return {kinds, empty, fixed_only};
}

class WrittenFile : public ::testing::Test {
 protected:
  void SetUp() override {
    tables_ = EveryKindOfValue();
    WriteDatabase(tables_, file_);
  }
  TempDir dir_;
  std::string file_ = dir_.File("written.mdb");
  std::vector<Table> tables_;
};

TEST_F(WrittenFile, OwnReaderGivesBackEveryTableExactly) {
  MdbFile mdb(file_);
  ASSERT_EQ(mdb.TableNames(), (std::vector<std::string>{"各种类型", "空表", "Numbers"}));
  for (const Table& expected : tables_) {
    Table read = mdb.ReadTable(expected.name);
    ASSERT_EQ(read.columns.size(), expected.columns.size());
    for (std::size_t c = 0; c < read.columns.size(); ++c) {
      EXPECT_EQ(read.columns[c].name, expected.columns[c].name);
      EXPECT_EQ(read.columns[c].type, expected.columns[c].type);
      EXPECT_EQ(read.columns[c].size, expected.columns[c].size);
    }
    EXPECT_EQ(read.rows, expected.rows) << expected.name;
  }
}

TEST_F(WrittenFile, MdbtoolsListsDeclaresAndExportsTheSame) {
  ASSERT_EQ(testing::MdbTables(file_), (std::vector<std::string>{"各种类型", "空表", "Numbers"}));
  for (const Table& table : tables_) {
    SCOPED_TRACE(table.name);
    auto schema = testing::MdbSchema(file_, table.name);
    ASSERT_EQ(schema.size(), table.columns.size());
    for (std::size_t c = 0; c < schema.size(); ++c) {
      EXPECT_EQ(schema[c].first, table.columns[c].name);
      EXPECT_EQ(schema[c].second, testing::SchemaTypeText(table.columns[c]));
    }
    EXPECT_EQ(testing::MdbTool({"mdb-count", file_, table.name}),
              std::to_string(table.rows.size()) + "\n");
    auto exported = testing::MdbExport(file_, table.name);
    ASSERT_EQ(exported.size(), table.rows.size());
    for (std::size_t r = 0; r < exported.size(); ++r)
      for (std::size_t c = 0; c < table.columns.size(); ++c) {
        Value expected = table.rows[r][c];
        if (!testing::ExportCanShow(expected)) continue;
        // mdb-export prints nothing for an empty value, as for a null.
        if (expected.type() == access::ValueType::kText && expected.text().empty()) expected = Value();
        if (expected.type() == access::ValueType::kBinary && expected.binary().empty()) expected = Value();
        EXPECT_TRUE(testing::ExportShows(exported[r][c], expected)) << "row " << r + 1 << ", column " << c;
      }
  }
}

TEST_F(WrittenFile, MdbReaderReadsTypesCountsAndValues) {
  std::string why;
  auto read = testing::MdbReader(file_, &why);
  if (!read) GTEST_SKIP() << why;
  for (const Table& table : tables_) {
    SCOPED_TRACE(table.name);
    ASSERT_TRUE(read->contains(table.name));
    const auto& got = (*read)[table.name];
    EXPECT_EQ(got["rowCount"], table.rows.size());
    ASSERT_EQ(got["columns"].size(), table.columns.size());
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
      EXPECT_EQ(got["columns"][c]["name"], table.columns[c].name);
      EXPECT_EQ(got["columns"][c]["type"], testing::MdbReaderTypeName(table.columns[c].type));
    }
    ASSERT_EQ(got["rows"].size(), table.rows.size());
    for (std::size_t r = 0; r < table.rows.size(); ++r)
      for (std::size_t c = 0; c < table.columns.size(); ++c)
        EXPECT_TRUE(testing::MdbReaderShows(got["rows"][r][c], table.rows[r][c])) << "row " << r + 1 << ", column " << c;
  }
}

TEST(Writer, TwoMebibyteOleValueRoundTripsThroughAllReaders) {
  TempDir dir;
  const std::string file = dir.File("big.mdb");
  const access::Bytes big = Pattern(2 * 1024 * 1024);
  WriteDatabase({{"文书", {{"id", ColumnType::kLong}, {"内容", ColumnType::kOle}},
                  {{Value::Integer(1), Value::Binary(big)}, {Value::Integer(2), Value::Binary(Pattern(100))}}}},
                file);
  Table read = MdbFile(file).ReadTable("文书");
  ASSERT_EQ(read.rows.size(), 2u);
  EXPECT_TRUE(read.rows[0][1] == Value::Binary(big));
  std::string why;
  auto oracle = testing::MdbReader(file, &why);
  if (!oracle) GTEST_SKIP() << why;
  EXPECT_TRUE(testing::MdbReaderShows((*oracle)["文书"]["rows"][0][1], Value::Binary(big)));
}

TEST(Writer, ThreeHundredTablesAndTensOfThousandsOfRows) {
  TempDir dir;
  const std::string file = dir.File("many.mdb");
  std::vector<Table> tables;
  for (int t = 0; t < 300; ++t)
    tables.push_back({"表" + std::to_string(t), {{"id", ColumnType::kLong}, {"name", ColumnType::kText, 20}},
                      {{Value::Integer(t), Value::Text("第" + std::to_string(t) + "表")}}});
  Table big{"大表", {{"id", ColumnType::kLong}, {"名称", ColumnType::kText, 50}, {"备注", ColumnType::kMemo}}, {}};
  for (int i = 0; i < 40000; ++i)
    big.rows.push_back({Value::Integer(i), Value::Text("行" + std::to_string(i)),
                        i % 100 == 0 ? Value::Text(Repeat("长", 500)) : Value()});
  tables.push_back(big);
  WriteDatabase(tables, file);

  MdbFile mdb(file);
  EXPECT_EQ(mdb.TableNames().size(), 301u);
  EXPECT_EQ(mdb.ReadTable("表299").rows, tables[299].rows);
  EXPECT_EQ(mdb.ReadTable("大表").rows, big.rows);
  EXPECT_EQ(testing::MdbTables(file).size(), 301u);
  EXPECT_EQ(testing::MdbTool({"mdb-count", file, "大表"}), "40000\n");
  std::string why;
  auto oracle = testing::MdbReader(file, &why);
  if (!oracle) GTEST_SKIP() << why;
  EXPECT_EQ(oracle->size(), 301u);
  EXPECT_EQ((*oracle)["大表"]["rows"].size(), 40000u);
  EXPECT_EQ((*oracle)["大表"]["rows"][39999][1], "行39999");
}

TEST(Writer, DefinitionSpanningSeveralPages) {
  TempDir dir;
  const std::string file = dir.File("wide.mdb");
  Table wide{"宽表", {}, {{}}};
  for (int c = 0; c < 150; ++c) {
    wide.columns.push_back({"第" + std::to_string(c) + "列的一个相当长的名字", c % 2 ? ColumnType::kLong : ColumnType::kText, 10});
    wide.rows[0].push_back(c % 2 ? Value::Integer(c) : Value::Text(std::to_string(c)));
  }
  WriteDatabase({wide}, file);
  EXPECT_EQ(MdbFile(file).ReadTable("宽表").rows, wide.rows);
  EXPECT_EQ(testing::MdbSchema(file, "宽表").size(), 150u);
  auto exported = testing::MdbExport(file, "宽表");
  ASSERT_EQ(exported.size(), 1u);
  EXPECT_EQ(exported[0][149], "149");
}

// Each bad input names what is wrong and where, and leaves no file behind.
TEST(Writer, BadInputIsRefusedWithItsPlace) {
  struct Case {
    const char* json;
    const char* message;
  };
  const Case cases[] = {
      {R"({"tables":[{"name":"T","columns":[{"name":"c","type":"varchar"}]}]})", "table 'T', column 'c': unknown type \"varchar\""},
      {R"({"tables":[{"name":"T","columns":[{"name":"c","type":"text","size":3}],"rows":[["abcd"]]}]})",
       "table 'T', column 'c', row 1: the text has 4 characters, more than the column's size 3"},
      {R"({"tables":[{"name":"T","columns":[{"name":"c","type":"long"}],"rows":[[1],["x"]]}]})",
       "table 'T', column 'c', row 2: expected a whole number for a long column, got \"x\""},
      {R"({"tables":[{"name":"T","columns":[{"name":"c","type":"byte"}],"rows":[[256]]}]})",
       "table 'T', column 'c', row 1: 256 is outside 0..255"},
      {R"({"tables":[{"name":"T","columns":[{"name":"c","type":"long"},{"name":"C","type":"long"}]}]})",
       "table 'T', column 'C': the name is used twice"},
      {R"({"tables":[{"name":"T","columns":[{"name":"c","type":"long"}]},{"name":"t","columns":[{"name":"c","type":"long"}]}]})",
       "table 't': the name is used twice"},
      {R"({"tables":[{"name":"T","columns":[{"name":"d","type":"datetime"}],"rows":[["2021-02-30 00:00:00"]]}]})",
       "table 'T', column 'd', row 1: expected a date text"},
      {R"({"tables":[{"name":"T","columns":[{"name":"b","type":"boolean"}],"rows":[[null]]}]})",
       "table 'T', column 'b', row 1: a boolean cannot be null"},
      {R"({"tables":[{"name":"T","columns":[{"name":"o","type":"ole"}],"rows":[["!!"]]}]})",
       "table 'T', column 'o', row 1: expected a base64 string"},
      {R"({"tables":[{"name":"T","columns":[{"name":"c","type":"long"}],"rows":[[1,2]]}]})",
       "table 'T', row 1: 2 values for 1 columns"},
      {R"({"tables":[{"name":"T","columns":[{"name":"c","type":"text"}]}]})", "table 'T', column 'c': \"size\" is missing"},
      {R"({"tables":[{"name":"T","columns":[]}]})", "table 'T': a table needs at least one column"},
      {R"({"tables":[{"name":"T","columns":[{"name":"c","type":"text","size":5}],"rows":[["😀"]]}]})",
       "table 'T', column 'c', row 1: the text has a character outside the Basic Multilingual Plane"},
      // Numbers that would wrap round or overflow into something else.
      {R"({"tables":[{"name":"T","columns":[{"name":"c","type":"text","size":4294967346}]}]})",
       "table 'T', column 'c': \"size\" must be a whole number from 1 to 255, got 4294967346"},
      {R"({"tables":[{"name":"T","columns":[{"name":"c","type":"long"}],"rows":[[18446744073709551615]]}]})",
       "table 'T', column 'c', row 1: a value must be a whole number"},
      {R"({"tables":[{"name":"T","columns":[{"name":"c","type":"currency"}],"rows":[[1000000000000000]]}]})",
       "table 'T', column 'c', row 1: expected a number within +-922337203685477"},
      {R"({"tables":[{"name":"T","columns":[{"name":"c","type":"single"}],"rows":[[1e300]]}]})",
       "table 'T', column 'c', row 1: expected a number within the range of a single"},
      {R"({"tables":[{"name":"表😀","columns":[{"name":"c","type":"long"}]}]})",
       "the name contains a character beyond U+FFFF"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string file = dir.File("bad.mdb");
    try {
      WriteDatabaseFromJson(nlohmann::ordered_json::parse(c.json), file);
      ADD_FAILURE() << "accepted " << c.json;
    } catch (const std::invalid_argument& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << c.json;
  }
}

TEST(Writer, RowLongerThanAPageIsRefused) {
  TempDir dir;
  Table wide{"宽", {}, {{}}};
  for (int c = 0; c < 10; ++c) {
    wide.columns.push_back({"c" + std::to_string(c), ColumnType::kText, 255});
    wide.rows[0].push_back(Value::Text(Repeat("字", 255)));
  }
  try {
    WriteDatabase({wide}, dir.File("wide.mdb"));
    FAIL();
  } catch (const std::invalid_argument& error) {
    EXPECT_NE(std::string(error.what()).find("table '宽', row 1: the row takes"), std::string::npos) << error.what();
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(Writer, ReplacesAnExistingFileWhole) {
  TempDir dir;
  const std::string file = dir.File("out.mdb");
  WriteDatabase({{"first", {{"a", ColumnType::kLong}}, {{Value::Integer(1)}}}}, file);
  WriteDatabase({{"second", {{"b", ColumnType::kLong}}, {}}}, file);
  EXPECT_EQ(MdbFile(file).TableNames(), std::vector<std::string>{"second"});
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

class TestDataRoundTrip : public ::testing::TestWithParam<std::string> {};

// dump -> build -> dump gives the same JSON, for Jet 4 and Jet 3 originals.
TEST_P(TestDataRoundTrip, DumpBuildDumpIsLossless) {
  TempDir dir;
  const std::string rebuilt = dir.File("rebuilt.mdb");
  auto original = TablesToJson(ReadAllTables(MdbFile(COURT_SHARED_DIR "/testdata/" + GetParam())));
  WriteDatabaseFromJson(original, rebuilt);
  EXPECT_EQ(TablesToJson(ReadAllTables(MdbFile(rebuilt))), original);
}

INSTANTIATE_TEST_SUITE_P(AccessFiles, TestDataRoundTrip,
                         ::testing::Values("DateTestDatabase.mdb", "forum-cjk.mdb", "nwind.mdb"));

}  // namespace
}  // namespace court::jet
