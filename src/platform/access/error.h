// The one failure type of the data-access layer.
//
// Every failing open, query, statement or update throws an Error that carries
// a number and a description. Where a server raised the failure, the number is
// the server's own message number (208, 2714, ...) and the description its
// message text; failures of the layer itself use ADO's numbers (3021, 3265,
// 3704, 3706, ...). Errors pass up unchanged through the installer: only the
// few places that are documented to ignore a failure catch them.

#ifndef COURT_PLATFORM_ACCESS_ERROR_H_
#define COURT_PLATFORM_ACCESS_ERROR_H_

#include <stdexcept>
#include <string>

namespace court::access {

class Error : public std::runtime_error {
 public:
  // severity and state matter only to servers (court-sqlcmd prints them).
  Error(int number, std::string description, int severity = 16, int state = 1)
      : std::runtime_error(description),
        number_(number),
        severity_(severity),
        state_(state),
        description_(std::move(description)) {}

  int number() const { return number_; }
  int severity() const { return severity_; }
  int state() const { return state_; }
  const std::string& description() const { return description_; }

 private:
  int number_;
  int severity_;
  int state_;
  std::string description_;
};

// ADO's own error numbers, for failures that no server raised.
namespace ado {
inline constexpr int kNoCurrentRecord = 3021;     // BOF or EOF is true
inline constexpr int kItemNotFound = 3265;        // no field of that name or ordinal
inline constexpr int kObjectClosed = 3704;        // operation on a closed object
inline constexpr int kObjectOpen = 3705;          // open on an open object
inline constexpr int kProviderNotFound = 3706;    // no driver for the connection string
inline constexpr int kNotUpdatable = 3251;        // the record set cannot be updated
inline constexpr int kFileExists = 3004;          // Stream save: file already exists
inline constexpr int kFileIo = 3002;              // Stream save/read: file could not be written
inline constexpr int kInvalidArgument = 3001;     // arguments of the wrong kind or out of range
inline constexpr int kIllegalOperation = 3219;    // not allowed in this context (backward on forward-only)
}  // namespace ado

}  // namespace court::access

#endif  // COURT_PLATFORM_ACCESS_ERROR_H_
