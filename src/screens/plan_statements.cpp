#include "screens/plan_statements.h"

#include "platform/text/ascii.h"

namespace court::screens {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view start) {
  return text::EqualIgnoringCase(text.substr(0, start.size()), start);
}

// The name that starts text, up to a blank, a bracket or the end.
std::string LeadingName(std::string_view text) {
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return "";
  const std::size_t end = text.find_first_of(" (\r\n", start);
  return std::string(text.substr(start, end == std::string_view::npos ? end : end - start));
}

}  // namespace

std::string Between(std::string_view text, std::string_view before, std::string_view after, std::size_t from) {
  const std::size_t start = text.find(before, from);
  if (start == std::string_view::npos) return "";
  const std::size_t end = text.find(after, start + before.size());
  if (end == std::string_view::npos) return "";
  return std::string(text.substr(start + before.size(), end - start - before.size()));
}

std::string Collapsed(std::string_view text) {
  std::string out;
  for (char c : text) {
    const bool blank = c == ' ' || c == '\r' || c == '\n' || c == '\t';
    if (!blank) out += c;
    else if (!out.empty() && out.back() != ' ') out += ' ';
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::optional<ColumnStatement> ColumnStatementOf(std::string_view sql) {
  constexpr std::string_view kHead = "alter table ", kAdd = "\r\n add ", kAlter = "\r\nalter column ";
  if (!sql.starts_with(kHead)) return std::nullopt;
  const std::size_t line_end = sql.find("\r\n");
  if (line_end == std::string_view::npos) return std::nullopt;
  ColumnStatement statement;
  statement.table = std::string(sql.substr(kHead.size(), line_end - kHead.size()));
  std::string_view rest = sql.substr(line_end);
  if (rest.starts_with(kAlter)) statement.alter = true;
  else if (!rest.starts_with(kAdd)) return std::nullopt;
  rest.remove_prefix(statement.alter ? kAlter.size() : kAdd.size());
  // The declaration starts with its bracketed type: " [varchar] ...".
  const std::size_t type = rest.find(" [");
  if (type == std::string_view::npos) return std::nullopt;
  statement.column = std::string(rest.substr(0, type));
  statement.declaration = std::string(rest.substr(type));
  return statement;
}

std::optional<std::string> DeletedFrom(std::string_view sql) {
  constexpr std::string_view kHead = "delete from ";
  if (!StartsWithNoCase(sql, kHead)) return std::nullopt;
  return LeadingName(sql.substr(kHead.size()));
}

std::optional<std::string> InsertedInto(std::string_view sql) {
  constexpr std::string_view kHead = "insert into ";
  if (!StartsWithNoCase(sql, kHead)) return std::nullopt;
  return LeadingName(sql.substr(kHead.size()));
}

}  // namespace court::screens
