// Stream: an in-memory binary stream, as the installer moves image values.
//
// Writing appends at the position and leaves the position at the end;
// saving to a file puts the position back at the start, so a Read of
// everything (-1) after a save returns all that was written.

#ifndef COURT_PLATFORM_ACCESS_STREAM_H_
#define COURT_PLATFORM_ACCESS_STREAM_H_

#include <filesystem>

#include "platform/access/value.h"

namespace court::access {

class Stream {
 public:
  enum class Type { kBinary = 1, kText = 2 };
  enum class SaveOption { kCreateNotExist = 1, kCreateOverwrite = 2 };
  static constexpr long kReadAll = -1;

  void set_type(Type type);
  Type type() const { return type_; }

  // Opens empty: no source, mode unknown, options unspecified.
  void Open();
  void Write(const Bytes& data);
  // kCreateNotExist fails (3004) when the file exists.
  void SaveToFile(const std::filesystem::path& file, SaveOption option);
  Bytes Read(long count = kReadAll);
  void Close();

  bool is_open() const { return open_; }

 private:
  void RequireOpen() const;

  Type type_ = Type::kText;
  bool open_ = false;
  Bytes data_;
  std::size_t position_ = 0;
};

}  // namespace court::access

#endif  // COURT_PLATFORM_ACCESS_STREAM_H_
