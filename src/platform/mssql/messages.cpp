#include "platform/mssql/messages.h"

#include <iterator>

namespace court::mssql {

namespace {

struct MessageRow {
  Msg id;
  int number;
  int severity;
  const char* text;
  int state = 1;
};

using enum Msg;

// In the order of Msg, which the static_assert below holds it to.
constexpr MessageRow kMessages[] = {
    {kSyntaxNear, 170, 15, "Line 1: Incorrect syntax near '{}'."},
    {kSyntaxNearString, 170, 15, "Line 1: Incorrect syntax near the character string."},
    {kSyntaxNearKeyword, 156, 15, "Incorrect syntax near the keyword '{}'."},
    {kUnclosedQuote, 105, 15, "Unclosed quotation mark before the character string '{}'."},
    {kMustBeFirstInBatch, 111, 15, "'{}' must be the first statement in a query batch."},
    {kMissingEndComment, 113, 15, "Missing end comment mark '*/'."},
    {kIdentifierTooLong, 103, 15, "The identifier that starts with '{}' is too long. Maximum length is 128."},
    {kNestedTooDeeply, 191, 15,
     "Some part of your SQL statement is nested too deeply. Rewrite the query or break it up into "
     "smaller queries."},
    {kTooLarge, 50000, 16, "The {} is larger than this server accepts ({} bytes)."},
    {kArgumentCount, 174, 15, "The {} function requires {} arguments."},
    {kArgumentRange, 189, 15, "The {} function requires {} to {} arguments."},
    {kUnknownFunction, 195, 15, "'{}' is not a recognized function name."},
    {kObjectIdArgument, 8116, 16, "Argument data type is invalid for argument 1 of object_id function."},
    {kMustDeclareVariable, 137, 15, "Must declare the variable '{}'."},
    {kOrderByInView, 1033, 15,
     "The ORDER BY clause is invalid in views, inline functions, derived tables, and subqueries, "
     "unless TOP is also specified."},
    {kMoreColumnsThanValues, 109, 15,
     "There are more columns in the INSERT statement than values specified in the VALUES clause. "
     "The number of values in the VALUES clause must match the number of columns specified in the "
     "INSERT statement."},
    {kFewerColumnsThanValues, 110, 15,
     "There are fewer columns in the INSERT statement than values specified in the VALUES clause. "
     "The number of values in the VALUES clause must match the number of columns specified in the "
     "INSERT statement."},
    {kColumnCountMismatch, 213, 16,
     "Insert Error: Column name or number of supplied values does not match table definition."},
    {kNoTableToSelectFrom, 263, 16, "Must specify table to select from."},
    {kAggregateInWhere, 147, 16,
     "An aggregate may not appear in the WHERE clause unless it is in a subquery contained in a "
     "HAVING clause or a select list, and the column being aggregated is an outer reference."},

    {kInvalidObjectName, 208, 16, "Invalid object name '{}'."},
    {kInvalidColumnName, 207, 16, "Invalid column name '{}'."},
    {kAmbiguousColumnName, 209, 16, "Ambiguous column name '{}'."},
    {kObjectExists, 2714, 16, "There is already an object named '{}' in the database."},
    {kUnknownDatabase, 911, 16,
     "Could not locate entry in sysdatabases for database '{}'. No entry found with that name. Make "
     "sure that the name is entered correctly."},
    {kCannotOpenDatabase, 4060, 11, "Cannot open database requested in login '{}'. Login fails."},
    {kNotValidUser, 916, 14, "Server user '{}' is not a valid user in database '{}'."},
    {kProcedureNotFound, 2812, 16, "Could not find stored procedure '{}'."},

    {kNoPermission, 15247, 16, "User does not have permission to perform this action."},
    {kAdHocUpdates, 259, 16,
     "Ad hoc updates to system catalogs are not enabled. The system administrator must reconfigure "
     "SQL Server to allow this."},
    {kObjectPermission, 229, 14, "{} permission denied on object '{}', database '{}', owner 'dbo'."},
    {kColumnPermission, 230, 14,
     "{} permission denied on column '{}' of object '{}', database '{}', owner 'dbo'."},
    {kDatabasePermission, 262, 14, "{} permission denied in database '{}'."},
    {kNotOwner, 3704, 16, "User does not have permission to perform this operation on object '{}'."},
    {kNoGrantPermission, 4613, 16, "Grantor does not have GRANT permission."},
    {kNoSuchGrantee, 4604, 16, "There is no such user or group '{}'."},
    {kCreateDatabaseGrant, 4619, 16, "CREATE DATABASE permission can only be granted in the master database."},
    {kPrivilegeNotCompatible, 4606, 16, "Granted or revoked privilege {} is not compatible with object."},

    {kNullNotAllowed, 515, 16,
     "Cannot insert the value NULL into column '{}', table '{}'; column does not allow nulls. {} fails."},
    {kTruncated, 8152, 16, "String or binary data would be truncated."},
    {kStatementTerminated, 3621, 10, "The statement has been terminated."},
    {kCheckConflict, 547, 16,
     "{} statement conflicted with {} CHECK constraint '{}'. The conflict occurred in database '{}', "
     "table '{}'{}."},
    {kDuplicateKey, 2627, 14,
     "Violation of {} constraint '{}'. Cannot insert duplicate key in object '{}'."},
    {kIdentityInsertOff, 544, 16,
     "Cannot insert explicit value for identity column in table '{}' when IDENTITY_INSERT is set to OFF."},
    {kUpdateIdentity, 8102, 16, "Cannot update identity column '{}'."},
    {kDerivedField, 4406, 16,
     "Update or insert of view or function '{}' failed because it contains a derived or constant field."},
    {kDivideByZero, 8134, 16, "Divide by zero error encountered."},

    {kConversionSyntax, 245, 16, "Syntax error converting the {} value '{}' to a column of data type {}."},
    {kConversionOverflowInt, 248, 16,
     "The conversion of the {} value '{}' overflowed an int column. Maximum integer value exceeded."},
    {kArithmeticOverflow, 220, 16, "Arithmetic overflow error for data type {}, value = {}."},
    {kOverflowConverting, 8115, 16, "Arithmetic overflow error converting {} to data type {}."},
    {kDatetimeSyntax, 241, 16, "Syntax error converting datetime from character string."},
    {kDatetimeOutOfRange, 242, 16,
     "The conversion of a char data type to a datetime data type resulted in an out-of-range "
     "datetime value."},
    {kMoneySyntax, 235, 16, "Cannot convert a char value to money. The char value has incorrect syntax."},
    {kConvertError, 8114, 16, "Error converting data type {} to {}."},
    // These four start with the position of the column or parameter.
    {kPrecisionTooLarge, 2750, 16, "{}Specified column precision {} is greater than the maximum precision of 38."},
    {kSizeTooLarge, 131, 16,
     "The size ({}) given to the type '{}' exceeds the maximum allowed for any data type ({})."},
    {kUnknownType, 2715, 16, "{}Cannot find data type {}."},
    {kNoColumnWidth, 2716, 16, "{}Cannot specify a column width on data type {}."},

    {kIdentityType, 2749, 16,
     "Identity column '{}' must be of data type int, bigint, smallint, tinyint, or decimal or numeric "
     "with a scale of 0, and constrained to be nonnullable."},
    {kAlterMissingTable, 4902, 11, "Cannot alter table '{}' because this table does not exist in database '{}'."},
    {kDuplicateColumn, 2705, 16,
     "Column names in each table must be unique. Column name '{}' in table '{}' is specified more than once."},
    {kAddNotNullColumn, 4901, 16,
     "ALTER TABLE only allows columns to be added that can contain nulls or have a DEFAULT definition "
     "specified. Column '{}' cannot be added to table '{}' because it does not allow nulls and does "
     "not specify a DEFAULT definition."},
    {kMultipleIdentity, 2744, 16,
     "Multiple identity columns specified for table '{}'. Only one identity column per table is allowed."},
    {kAlterMissingColumn, 4924, 16, "{} failed because column '{}' does not exist in table '{}'."},
    {kCannotAlterColumn, 4928, 16, "Cannot alter column '{}' because it is '{}'."},
    {kDependentObject, 5074, 16, "The object '{}' is dependent on column '{}'."},
    {kColumnInUse, 4922, 16, "{} {} failed because one or more objects access this column."},
    {kViewColumnUnnamed, 4511, 16,
     "Create View or Function failed because no column name was specified for column {}."},
    {kDuplicateViewColumn, 4506, 16,
     "Column names in each view or function must be unique. Column name '{}' in view or function '{}' "
     "is specified more than once."},
    {kCannotDropDatabase, 3702, 16, "Cannot drop the database '{}' on this server."},
    {kDropMissing, 3701, 11, "Cannot drop the {} '{}', because it does not exist in the system catalog."},
    {kDefaultInUse, 3716, 16, "The default '{}' cannot be dropped because it is bound to one or more column."},

    {kNoTargetColumn, 1911, 16, "Column name '{}' does not exist in the target table."},
    {kPrimaryKeyExists, 1779, 16, "Table '{}' already has a primary key defined on it."},
    {kNullablePrimaryKey, 8111, 16, "Cannot define PRIMARY KEY constraint on nullable column in table '{}'."},
    {kDuplicateKeyFound, 1505, 14,
     "CREATE UNIQUE INDEX terminated because a duplicate key was found for index ID 1. Most "
     "significant primary key is '{}'."},
    {kDefaultExists, 1781, 16, "Column already has a DEFAULT bound to it."},
    {kIdentityDefault, 1754, 16,
     "Defaults cannot be created on columns with an IDENTITY attribute. Table '{}', column '{}'."},
    {kNoForeignKeys, 1767, 16, "Foreign key constraints are not supported by this server."},
    {kNotAConstraint, 3728, 16, "'{}' is not a constraint."},
    {kCouldNotCreateConstraint, 1750, 16, "Could not create constraint. See previous errors."},
    {kCouldNotDropConstraint, 3727, 16, "Could not drop constraint. See previous errors."},

    {kCreateDatabaseInTransaction, 226, 16,
     "CREATE DATABASE statement not allowed within multi-statement transaction."},
    {kDatabaseExists, 1801, 16, "Database '{}' already exists."},
    {kFileExists, 5170, 16, "Cannot create file '{}' because it already exists."},
    {kDeviceActivation, 5105, 16, "Device activation error. The physical file name '{}' may be incorrect."},
    {kCreateDatabaseFailed, 1802, 16,
     "CREATE DATABASE failed. Some file names listed could not be created. Check previous errors."},
    {kAllocating, 1805, 10, "The CREATE DATABASE process is allocating {} MB on disk '{}'."},
    {kCannotOpenFile, 5120, 16, "Unable to open the physical file \"{}\"."},
    {kCannotOpenDevice, 3201, 16,
     "Cannot open backup device '{}'. Device error or device off-line. See the SQL Server error log "
     "for more details."},
    {kBackupFileInUse, 3201, 16,
     "Cannot open backup device '{}'. It holds a backup already and this server keeps one backup per "
     "file: add WITH INIT to replace it, or name a new file."},
    {kWriteFailed, 3202, 16,
     "Write on '{}' failed, status = {}. See the SQL Server error log for more details."},
    {kBackupInTransaction, 3021, 16, "Cannot perform a backup or restore operation within a transaction."},
    {kNoDifferential, 3035, 16,
     "Cannot perform a differential backup for database '{}': this server keeps full backups only."},
    {kBackupTerminating, 3013, 16, "BACKUP DATABASE is terminating abnormally."},
    {kProcessedPages, 4035, 10, "Processed {} pages for database '{}', file '{}' on file 1."},
    {kBackupDone, 3014, 10, "BACKUP DATABASE successfully processed {}"},

    {kCommitWithoutBegin, 3902, 16, "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION."},
    {kRollbackWithoutBegin, 3903, 16,
     "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION."},
    {kOutOfMemory, 701, 17, "There is insufficient system memory to run this query."},
    {kRowTooLarge, 1701, 16, "Creating or altering the row failed because it is too large."},
    {kLockTimeout, 1222, 16,
     "Lock request time out period exceeded. Another program is writing to this server; run again "
     "when it has finished.",
     56},
    {kDiskFull, 1105, 17,
     "Could not allocate space because the disk holding the database is full. Free disk space, then "
     "run again ({}).",
     2},
    {kReadOnly, 3906, 16,
     "Could not update the database because its file or disk is read-only. Make it writable, then "
     "run again ({})."},
    {kIoError, 823, 24, "I/O error ({}) detected on a database file. Check the disk, then run again.", 2},
    {kInternalError, 8624, 16, "Internal SQL Server error."},

    {kLoginExists, 15025, 16, "The login '{}' already exists."},
    {kNoDatabase, 15010, 16, "The database '{}' does not exist. Use sp_helpdb to show available databases."},
    {kNoLanguage, 15033, 16, "'{}' is not a valid official language name."},
    {kNoLogin, 15007, 16, "The login '{}' does not exist."},
    {kReservedName, 15405, 11, "Cannot use the reserved user or role name '{}'."},
    {kWrongOldPassword, 15211, 16, "Old (current) password incorrect for user. The password was not changed."},
    {kNotServerRole, 15402, 11, "'{}' is not a fixed server role."},
    {kNoRole, 15014, 16, "The role '{}' does not exist in the current database."},
    {kNoMember, 15410, 16, "User or role '{}' does not exist in this database."},
    {kUserExists, 15023, 16, "User or role '{}' already exists in the current database."},
    {kLoginHasUser, 15063, 16, "The login already has an account under a different user name."},
    {kNoUser, 15008, 16, "User '{}' does not exist in the current database."},
    {kUserOwnsObjects, 15183, 16, "The user owns objects in the database and cannot be dropped."},
    {kOptionNotUnique, 15242, 16, "Database option '{}' is not unique."},
    {kNoOption, 15011, 16, "Database option '{}' does not exist."},
    {kDbOptionUsage, 15241, 16, "Usage: sp_dboption [dbname [,optname [,'true' | 'false']]]"},
    {kNoDefault, 15016, 16, "The default '{}' does not exist."},
    {kNotCreatedDefault, 15050, 11,
     "Cannot bind default '{}'. The default must be created using the CREATE DEFAULT statement."},
    {kNoTableColumn, 15104, 16, "You do not own a table named '{}' that has a column named '{}'."},
    {kTimestampDefault, 15101, 16, "Cannot bind a default to a column of data type timestamp."},
    {kIdentityBinding, 15102, 16, "Cannot bind a default to an identity column."},
    {kColumnHasDefault, 15103, 16,
     "Cannot bind a default to a column created with or altered to have a default value."},
    {kInvalidProcedureArgument, 15600, 16, "An invalid parameter or option was specified for procedure '{}'."},
    {kAppLockNotHeld, 1223, 16,
     "Cannot release the application lock (Database Principal: 'public', Resource: '{}') because it "
     "is not currently held."},
    {kPathUsage, 22027, 16, "Usage:  EXECUTE {} '<path>'"},
    {kPathNotFound, 22048, 16,
     "xp_create_subdir() returned error 3, 'The system cannot find the path specified.' ({})"},

    {kPrint, 0, 0, "{}"},
    {kLoginCreated, 15298, 10, "New login created."},
    {kLoginDropped, 15249, 10, "Login dropped."},
    {kPasswordChanged, 15478, 10, "Password changed."},
    {kAddedToRole, 15488, 10, "'{}' added to role '{}'."},
    {kAccessGranted, 15341, 10, "Granted database access to '{}'."},
    {kUserDropped, 15491, 10, "User has been dropped from current database."},
    {kDefaultBound, 15511, 10, "Default bound to column."},
    {kDefaultUnbound, 15519, 10, "Default unbound from table column."},
    {kChangedDatabase, 5701, 10, "Changed database context to '{}'."},
    {kChangedLanguage, 5703, 0, "Changed language setting to {}."},

    {kLoginFailed, 18456, 14, "Login failed for user '{}'."},
    {kConnectionLimit, 17809, 20,
     "Could not connect because the maximum number of '{}' user connections has already been "
     "reached. The system administrator can use sp_configure to increase the maximum value. The "
     "connection has been closed."},
    {kNoPreparedStatement, 8179, 16, "Could not find prepared statement with handle {}."},
    {kTransactionRequest, 50000, 16, "Transaction manager request {} is not supported by this server."},
};

constexpr bool InOrder() {
  for (std::size_t i = 0; i < std::size(kMessages); ++i)
    if (static_cast<std::size_t>(kMessages[i].id) != i) return false;
  return true;
}
static_assert(InOrder(), "kMessages must list every Msg in the enum's order");

std::string Filled(std::string_view text, std::initializer_list<std::string_view> args) {
  std::string out;
  const std::string_view* next = args.begin();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "{}") == 0 && next != args.end()) {
      out += *next++;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

access::Error Message(Msg id, std::initializer_list<std::string_view> args) {
  const MessageRow& row = kMessages[static_cast<std::size_t>(id)];
  return access::Error(row.number, Filled(row.text, args), row.severity, row.state);
}

access::Error WithSeverity(const access::Error& message, int severity) {
  return access::Error(message.number(), message.description(), severity, message.state());
}

access::Error SyntaxNear(std::string_view token) { return Message(kSyntaxNear, {token}); }
access::Error SyntaxNearKeyword(std::string_view keyword) { return Message(kSyntaxNearKeyword, {keyword}); }
access::Error UnclosedQuote(std::string_view rest) { return Message(kUnclosedQuote, {rest}); }
access::Error MustBeFirstInBatch(std::string_view what) { return Message(kMustBeFirstInBatch, {what}); }
access::Error MissingEndComment() { return Message(kMissingEndComment); }
access::Error IdentifierTooLong(std::string_view start) { return Message(kIdentifierTooLong, {start}); }
access::Error NestedTooDeeply() { return Message(kNestedTooDeeply); }

access::Error TooLarge(std::string_view what, std::size_t limit_bytes) {
  return Message(kTooLarge, {what, std::to_string(limit_bytes)});
}

access::Error UnknownFunction(std::string_view name) { return Message(kUnknownFunction, {name}); }

access::Error WrongArgumentCount(std::string_view function, int min_args, int max_args) {
  if (max_args < 0 || max_args == min_args) return Message(kArgumentCount, {function, std::to_string(min_args)});
  return Message(kArgumentRange, {function, std::to_string(min_args), std::to_string(max_args)});
}

access::Error InvalidObjectName(std::string_view name) { return Message(kInvalidObjectName, {name}); }
access::Error InvalidColumnName(std::string_view name) { return Message(kInvalidColumnName, {name}); }
access::Error AmbiguousColumnName(std::string_view name) { return Message(kAmbiguousColumnName, {name}); }
access::Error ObjectExists(std::string_view name) { return Message(kObjectExists, {name}); }
access::Error MustDeclareVariable(std::string_view name) { return Message(kMustDeclareVariable, {name}); }
access::Error UnknownDatabase(std::string_view name) { return Message(kUnknownDatabase, {name}); }
access::Error NoPermission() { return Message(kNoPermission); }

access::Error NullNotAllowed(std::string_view column, std::string_view table, std::string_view statement) {
  return Message(kNullNotAllowed, {column, table, statement});
}
access::Error Truncated() { return Message(kTruncated); }

access::Error CheckConflict(std::string_view statement, std::string_view constraint,
                            std::string_view database, std::string_view table,
                            std::string_view column) {
  const std::string where = column.empty() ? std::string() : ", column '" + std::string(column) + "'";
  return Message(kCheckConflict,
                 {statement, column.empty() ? "TABLE" : "COLUMN", constraint, database, table, where});
}

access::Error ConversionSyntax(std::string_view from, std::string_view value, std::string_view to) {
  return Message(kConversionSyntax, {from, value, to});
}
access::Error ConversionOverflowInt(std::string_view from, std::string_view value) {
  return Message(kConversionOverflowInt, {from, value});
}
access::Error ArithmeticOverflow(std::string_view to, std::string_view value) {
  return Message(kArithmeticOverflow, {to, value});
}
access::Error OverflowConverting(std::string_view from, std::string_view to) {
  return Message(kOverflowConverting, {from, to});
}
access::Error DatetimeSyntax() { return Message(kDatetimeSyntax); }
access::Error DatetimeOutOfRange() { return Message(kDatetimeOutOfRange); }
access::Error MoneySyntax() { return Message(kMoneySyntax); }
access::Error ConvertError(std::string_view from, std::string_view to) {
  return Message(kConvertError, {from, to});
}

}  // namespace court::mssql
