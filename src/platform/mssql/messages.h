// SQL Server 2000's messages, by number, with their severities and texts.
//
// Every failure the engine raises goes through one of these factories so
// that clients see the numbers and texts they know from the real server.

#ifndef COURT_PLATFORM_MSSQL_MESSAGES_H_
#define COURT_PLATFORM_MSSQL_MESSAGES_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/access/error.h"

namespace court::mssql {

// A message that the server raised: an error (severity > 10) or information.
access::Error Message(int number, std::string text, int severity = 16);

// Parse-time errors.
access::Error SyntaxNear(std::string_view token);          // 170
access::Error SyntaxNearKeyword(std::string_view keyword); // 156
access::Error UnclosedQuote(std::string_view rest);        // 105
access::Error MustBeFirstInBatch(std::string_view what);   // 111
access::Error MissingEndComment();                         // 113
access::Error IdentifierTooLong(std::string_view start);   // 103
access::Error NestedTooDeeply();                           // 191
// 50000: a batch or request over the server's size limit, which SQL Server
// enforces without a message of its own.
access::Error TooLarge(std::string_view what, std::size_t limit_bytes);

// Name resolution.
access::Error InvalidObjectName(std::string_view name);  // 208
access::Error InvalidColumnName(std::string_view name);  // 207
access::Error AmbiguousColumnName(std::string_view name);  // 209
access::Error ObjectExists(std::string_view name);        // 2714
access::Error MustDeclareVariable(std::string_view name); // 137

// Writes.
access::Error NullNotAllowed(std::string_view column, std::string_view table,
                             std::string_view statement);  // 515
access::Error Truncated();                                 // 8152
access::Error StatementTerminated();                       // 3621
// 547: a CHECK constraint refused a row; column names a column-level check.
access::Error CheckConflict(std::string_view statement, std::string_view constraint,
                            std::string_view database, std::string_view table,
                            std::string_view column);

// Conversions.
access::Error ConversionSyntax(std::string_view from, std::string_view value,
                               std::string_view to);  // 245
access::Error ConversionOverflowInt(std::string_view from, std::string_view value);  // 248
access::Error ArithmeticOverflow(std::string_view to, std::string_view value);       // 220
access::Error OverflowConverting(std::string_view from, std::string_view to);        // 8115
access::Error DatetimeSyntax();        // 241
access::Error DatetimeOutOfRange();    // 242
access::Error MoneySyntax();           // 235
access::Error ConvertError(std::string_view from, std::string_view to);  // 8114

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_MESSAGES_H_
