#include "platform/mssql/keywords.h"

#include "platform/mssql/name_table.h"

namespace court::mssql {

namespace {

struct Keyword {
  std::string_view name;  // upper case
  bool reserved;
  bool starts_statement;
};

constexpr bool kReserved = true;
constexpr bool kStarts = true;

// Sorted by name, which FindByName relies on. DENY starts a statement but
// is not reserved: an object may still be named so.
constexpr Keyword kKeywords[] = {
    {"ADD", kReserved, false},        {"ALL", kReserved, false},
    {"ALTER", kReserved, kStarts},    {"AND", kReserved, false},
    {"AS", kReserved, false},         {"ASC", kReserved, false},
    {"BACKUP", kReserved, kStarts},   {"BEGIN", kReserved, kStarts},
    {"BETWEEN", kReserved, false},    {"BREAK", kReserved, false},
    {"BY", kReserved, false},         {"CASE", kReserved, false},
    {"CHECK", kReserved, false},      {"CHECKPOINT", kReserved, kStarts},
    {"CLOSE", kReserved, false},      {"CLUSTERED", kReserved, false},
    {"COLLATE", kReserved, false},    {"COMMIT", kReserved, kStarts},
    {"CONSTRAINT", kReserved, false}, {"CONTINUE", kReserved, false},
    {"CREATE", kReserved, kStarts},   {"CROSS", kReserved, false},
    {"CURSOR", kReserved, false},     {"DATABASE", kReserved, false},
    {"DBCC", kReserved, false},       {"DEALLOCATE", kReserved, false},
    {"DECLARE", kReserved, kStarts},  {"DEFAULT", kReserved, false},
    {"DELETE", kReserved, kStarts},   {"DENY", false, kStarts},
    {"DESC", kReserved, false},       {"DISTINCT", kReserved, false},
    {"DROP", kReserved, kStarts},     {"ELSE", kReserved, false},
    {"END", kReserved, false},        {"ESCAPE", kReserved, false},
    {"EXEC", kReserved, kStarts},     {"EXECUTE", kReserved, kStarts},
    {"EXISTS", kReserved, false},     {"FETCH", kReserved, false},
    {"FOR", kReserved, false},        {"FOREIGN", kReserved, false},
    {"FROM", kReserved, false},       {"FULL", kReserved, false},
    {"GOTO", kReserved, false},       {"GRANT", kReserved, kStarts},
    {"GROUP", kReserved, false},      {"HAVING", kReserved, false},
    {"IDENTITY", kReserved, false},   {"IF", kReserved, kStarts},
    {"IN", kReserved, false},         {"INNER", kReserved, false},
    {"INSERT", kReserved, kStarts},   {"INTO", kReserved, false},
    {"IS", kReserved, false},         {"JOIN", kReserved, false},
    {"KEY", kReserved, false},        {"KILL", kReserved, false},
    {"LEFT", kReserved, false},       {"LIKE", kReserved, false},
    {"NONCLUSTERED", kReserved, false}, {"NOT", kReserved, false},
    {"NULL", kReserved, false},       {"ON", kReserved, false},
    {"OPEN", kReserved, false},       {"OR", kReserved, false},
    {"ORDER", kReserved, false},      {"OUTER", kReserved, false},
    {"PRIMARY", kReserved, false},    {"PRINT", kReserved, kStarts},
    {"PROC", kReserved, false},       {"PROCEDURE", kReserved, false},
    {"RAISERROR", kReserved, false},  {"REFERENCES", kReserved, false},
    {"RETURN", kReserved, kStarts},   {"REVOKE", kReserved, kStarts},
    {"RIGHT", kReserved, false},      {"ROLLBACK", kReserved, kStarts},
    {"SELECT", kReserved, kStarts},   {"SET", kReserved, kStarts},
    {"TABLE", kReserved, false},      {"THEN", kReserved, false},
    {"TO", kReserved, false},         {"TOP", kReserved, false},
    {"TRAN", kReserved, false},       {"TRANSACTION", kReserved, false},
    {"TRUNCATE", kReserved, kStarts}, {"UNION", kReserved, false},
    {"UNIQUE", kReserved, false},     {"UPDATE", kReserved, kStarts},
    {"USE", kReserved, kStarts},      {"VALUES", kReserved, false},
    {"VIEW", kReserved, false},       {"WHEN", kReserved, false},
    {"WHERE", kReserved, false},      {"WHILE", kReserved, kStarts},
    {"WITH", kReserved, false},
};
static_assert(SortedByName(kKeywords));

const Keyword* Find(std::string_view word) { return FindByName(kKeywords, word, Upper); }

}  // namespace

bool IsReservedWord(std::string_view word) {
  const Keyword* k = Find(word);
  return k != nullptr && k->reserved;
}

bool IsStatementStart(std::string_view word) {
  const Keyword* k = Find(word);
  return k != nullptr && k->starts_statement;
}

}  // namespace court::mssql
