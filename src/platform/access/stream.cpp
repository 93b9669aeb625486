#include "platform/access/stream.h"

#include <fstream>

#include "platform/access/error.h"

namespace court::access {

void Stream::set_type(Type type) {
  if (open_ && position_ != 0)
    throw Error(ado::kInvalidArgument,
                "Operation is not allowed in this context: the stream type changes only at position 0.");
  type_ = type;
}

void Stream::Open() {
  if (open_) throw Error(ado::kObjectOpen, "Operation is not allowed when the object is open.");
  open_ = true;
  data_.clear();
  position_ = 0;
}

void Stream::RequireOpen() const {
  if (!open_) throw Error(ado::kObjectClosed, "Operation is not allowed when the object is closed.");
}

void Stream::Write(const Bytes& data) {
  RequireOpen();
  if (type_ != Type::kBinary)
    throw Error(ado::kInvalidArgument, "Operation is not allowed in this context: Write needs a binary stream.");
  data_.resize(std::max(data_.size(), position_ + data.size()));
  std::copy(data.begin(), data.end(), data_.begin() + static_cast<long>(position_));
  position_ += data.size();
}

void Stream::SaveToFile(const std::filesystem::path& file, SaveOption option) {
  RequireOpen();
  if (option == SaveOption::kCreateNotExist && std::filesystem::exists(file))
    throw Error(ado::kFileExists, "Write to file failed: '" + file.string() + "' already exists.");
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data_.data()), static_cast<std::streamsize>(data_.size()));
  if (!out) throw Error(ado::kFileIo, "Write to file failed: '" + file.string() + "'.");
  position_ = 0;
}

Bytes Stream::Read(long count) {
  RequireOpen();
  std::size_t available = data_.size() - position_;
  std::size_t take = count < 0 ? available : std::min<std::size_t>(available, static_cast<std::size_t>(count));
  Bytes out(data_.begin() + static_cast<long>(position_), data_.begin() + static_cast<long>(position_ + take));
  position_ += take;
  return out;
}

void Stream::Close() {
  RequireOpen();
  open_ = false;
  data_.clear();
  position_ = 0;
}

}  // namespace court::access
