#include "platform/mssql/messages.h"

namespace court::mssql {

namespace {
std::string Quoted(std::string_view s) { return "'" + std::string(s) + "'"; }
}  // namespace

access::Error Message(int number, std::string text, int severity) {
  return access::Error(number, std::move(text), severity, 1);
}

access::Error SyntaxNear(std::string_view token) {
  return Message(170, "Line 1: Incorrect syntax near " + Quoted(token) + ".", 15);
}
access::Error SyntaxNearKeyword(std::string_view keyword) {
  return Message(156, "Incorrect syntax near the keyword " + Quoted(keyword) + ".", 15);
}
access::Error UnclosedQuote(std::string_view rest) {
  return Message(105, "Unclosed quotation mark before the character string " + Quoted(rest) + ".",
                 15);
}
access::Error MustBeFirstInBatch(std::string_view what) {
  return Message(111, Quoted(what) + " must be the first statement in a query batch.", 15);
}

access::Error InvalidObjectName(std::string_view name) {
  return Message(208, "Invalid object name " + Quoted(name) + ".");
}
access::Error InvalidColumnName(std::string_view name) {
  return Message(207, "Invalid column name " + Quoted(name) + ".");
}
access::Error AmbiguousColumnName(std::string_view name) {
  return Message(209, "Ambiguous column name " + Quoted(name) + ".");
}
access::Error ObjectExists(std::string_view name) {
  return Message(2714, "There is already an object named " + Quoted(name) + " in the database.");
}
access::Error MustDeclareVariable(std::string_view name) {
  return Message(137, "Must declare the variable " + Quoted(name) + ".", 15);
}

access::Error NullNotAllowed(std::string_view column, std::string_view table,
                             std::string_view statement) {
  return Message(515, "Cannot insert the value NULL into column " + Quoted(column) + ", table " +
                          Quoted(table) + "; column does not allow nulls. " +
                          std::string(statement) + " fails.");
}
access::Error MissingEndComment() { return Message(113, "Missing end comment mark '*/'.", 15); }

access::Error IdentifierTooLong(std::string_view start) {
  return Message(103, "The identifier that starts with '" + std::string(start) +
                          "' is too long. Maximum length is 128.", 15);
}

access::Error TooLarge(std::string_view what, std::size_t limit_bytes) {
  return Message(50000, "The " + std::string(what) + " is larger than this server accepts (" +
                            std::to_string(limit_bytes) + " bytes).");
}

access::Error NestedTooDeeply() {
  return Message(191, "Some part of your SQL statement is nested too deeply. Rewrite the query or "
                      "break it up into smaller queries.", 15);
}

access::Error OverflowConverting(std::string_view from, std::string_view to) {
  return Message(8115, "Arithmetic overflow error converting " + std::string(from) + " to data type " +
                           std::string(to) + ".");
}

access::Error Truncated() { return Message(8152, "String or binary data would be truncated."); }
access::Error StatementTerminated() { return Message(3621, "The statement has been terminated.", 0); }

access::Error CheckConflict(std::string_view statement, std::string_view constraint,
                            std::string_view database, std::string_view table,
                            std::string_view column) {
  return Message(547, std::string(statement) + " statement conflicted with " +
                          (column.empty() ? "TABLE" : "COLUMN") + " CHECK constraint " +
                          Quoted(constraint) + ". The conflict occurred in database " +
                          Quoted(database) + ", table " + Quoted(table) +
                          (column.empty() ? std::string() : ", column " + Quoted(column)) + ".");
}

access::Error ConversionSyntax(std::string_view from, std::string_view value,
                               std::string_view to) {
  return Message(245, "Syntax error converting the " + std::string(from) + " value " +
                          Quoted(value) + " to a column of data type " + std::string(to) + ".");
}
access::Error ConversionOverflowInt(std::string_view from, std::string_view value) {
  return Message(248, "The conversion of the " + std::string(from) + " value " + Quoted(value) +
                          " overflowed an int column. Maximum integer value exceeded.");
}
access::Error ArithmeticOverflow(std::string_view to, std::string_view value) {
  return Message(220, "Arithmetic overflow error for data type " + std::string(to) +
                          ", value = " + std::string(value) + ".");
}
access::Error DatetimeSyntax() {
  return Message(241, "Syntax error converting datetime from character string.");
}
access::Error DatetimeOutOfRange() {
  return Message(242,
                 "The conversion of a char data type to a datetime data type resulted in an "
                 "out-of-range datetime value.");
}
access::Error MoneySyntax() {
  return Message(235, "Cannot convert a char value to money. The char value has incorrect syntax.");
}
access::Error ConvertError(std::string_view from, std::string_view to) {
  return Message(8114, "Error converting data type " + std::string(from) + " to " +
                           std::string(to) + ".");
}

}  // namespace court::mssql
