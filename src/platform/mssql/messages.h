// SQL Server 2000's messages, in one table: by what each says, its number,
// severity, state and text.
//
// Every message the engine sends, error or information, is made here from
// the table, so that clients see the numbers and texts they know from the
// real server and no text is written twice. A text's {} are filled, in
// order, with the arguments the message is made with.

#ifndef COURT_PLATFORM_MSSQL_MESSAGES_H_
#define COURT_PLATFORM_MSSQL_MESSAGES_H_

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/access/error.h"

namespace court::mssql {

enum class Msg {
  // Parsing and compiling.
  kSyntaxNear,
  kSyntaxNearString,
  kSyntaxNearKeyword,
  kUnclosedQuote,
  kMustBeFirstInBatch,
  kMissingEndComment,
  kIdentifierTooLong,
  kNestedTooDeeply,
  kTooLarge,
  kArgumentCount,
  kArgumentRange,
  kUnknownFunction,
  kObjectIdArgument,
  kMustDeclareVariable,
  kOrderByInView,
  kMoreColumnsThanValues,
  kFewerColumnsThanValues,
  kColumnCountMismatch,
  kNoTableToSelectFrom,
  kAggregateInWhere,
  // Names.
  kInvalidObjectName,
  kInvalidColumnName,
  kAmbiguousColumnName,
  kObjectExists,
  kUnknownDatabase,
  kCannotOpenDatabase,
  kNotValidUser,
  kProcedureNotFound,
  // Permissions.
  kNoPermission,
  kAdHocUpdates,
  kObjectPermission,
  kColumnPermission,
  kDatabasePermission,
  kNotOwner,
  kNoGrantPermission,
  kNoSuchGrantee,
  kCreateDatabaseGrant,
  kPrivilegeNotCompatible,
  // Writing rows.
  kNullNotAllowed,
  kTruncated,
  kStatementTerminated,
  kCheckConflict,
  kDuplicateKey,
  kIdentityInsertOff,
  kUpdateIdentity,
  kDerivedField,
  kDivideByZero,
  // Conversions and types.
  kConversionSyntax,
  kConversionOverflowInt,
  kArithmeticOverflow,
  kOverflowConverting,
  kDatetimeSyntax,
  kDatetimeOutOfRange,
  kMoneySyntax,
  kConvertError,
  kPrecisionTooLarge,
  kSizeTooLarge,
  kUnknownType,
  kNoColumnWidth,
  // Tables, views and defaults.
  kIdentityType,
  kAlterMissingTable,
  kDuplicateColumn,
  kAddNotNullColumn,
  kMultipleIdentity,
  kAlterMissingColumn,
  kCannotAlterColumn,
  kDependentObject,
  kColumnInUse,
  kViewColumnUnnamed,
  kDuplicateViewColumn,
  kCannotDropDatabase,
  kDropMissing,
  kDefaultInUse,
  // Constraints.
  kNoTargetColumn,
  kPrimaryKeyExists,
  kNullablePrimaryKey,
  kDuplicateKeyFound,
  kDefaultExists,
  kIdentityDefault,
  kNoForeignKeys,
  kNotAConstraint,
  kCouldNotCreateConstraint,
  kCouldNotDropConstraint,
  // Databases and backups.
  kCreateDatabaseInTransaction,
  kDatabaseExists,
  kFileExists,
  kDeviceActivation,
  kCreateDatabaseFailed,
  kAllocating,
  kCannotOpenFile,
  kCannotOpenDevice,
  kBackupFileInUse,
  kWriteFailed,
  kBackupInTransaction,
  kNoDifferential,
  kBackupTerminating,
  kProcessedPages,
  kBackupDone,
  // Transactions and storage.
  kCommitWithoutBegin,
  kRollbackWithoutBegin,
  kOutOfMemory,
  kRowTooLarge,
  kLockTimeout,
  kDiskFull,
  kReadOnly,
  kIoError,
  kInternalError,
  // System procedures.
  kLoginExists,
  kNoDatabase,
  kNoLanguage,
  kNoLogin,
  kReservedName,
  kWrongOldPassword,
  kNotServerRole,
  kNoRole,
  kNoMember,
  kUserExists,
  kLoginHasUser,
  kNoUser,
  kUserOwnsObjects,
  kOptionNotUnique,
  kNoOption,
  kDbOptionUsage,
  kNoDefault,
  kNotCreatedDefault,
  kNoTableColumn,
  kTimestampDefault,
  kIdentityBinding,
  kColumnHasDefault,
  kInvalidProcedureArgument,
  kAppLockNotHeld,
  kPathUsage,
  kPathNotFound,
  // Information.
  kPrint,
  kLoginCreated,
  kLoginDropped,
  kPasswordChanged,
  kAddedToRole,
  kAccessGranted,
  kUserDropped,
  kDefaultBound,
  kDefaultUnbound,
  kChangedDatabase,
  kChangedLanguage,
  // Connections.
  kLoginFailed,
  kConnectionLimit,
  kNoPreparedStatement,
  kTransactionRequest,
};

// The message with its {} filled by args.
access::Error Message(Msg id, std::initializer_list<std::string_view> args = {});

// The same message at another severity: the class a client sees for it on
// the wire where that differs from the catalogued one.
access::Error WithSeverity(const access::Error& message, int severity);

// The messages made in many places, by name.
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
access::Error UnknownFunction(std::string_view name);      // 195
// 174, or 189 for a range: a call with too few or too many arguments.
// max_args < 0: no upper limit.
access::Error WrongArgumentCount(std::string_view function, int min_args, int max_args);

access::Error InvalidObjectName(std::string_view name);  // 208
access::Error InvalidColumnName(std::string_view name);  // 207
access::Error AmbiguousColumnName(std::string_view name);  // 209
access::Error ObjectExists(std::string_view name);        // 2714
access::Error MustDeclareVariable(std::string_view name); // 137
access::Error UnknownDatabase(std::string_view name);     // 911
access::Error NoPermission();                             // 15247

access::Error NullNotAllowed(std::string_view column, std::string_view table,
                             std::string_view statement);  // 515
access::Error Truncated();                                 // 8152
// 547: a CHECK constraint refused a row; column names a column-level check.
access::Error CheckConflict(std::string_view statement, std::string_view constraint,
                            std::string_view database, std::string_view table,
                            std::string_view column);

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
