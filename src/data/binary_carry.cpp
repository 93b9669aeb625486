#include "data/binary_carry.h"

#include "platform/access/error.h"
#include "platform/access/stream.h"

namespace court::data {
namespace {

void DeleteTemporaryFileIfPresent(const provisioning::RunState& run) {
  if (run.local_files.FileExists(kTemporaryFile)) run.local_files.DeleteFile(kTemporaryFile);
}

}  // namespace

access::Value CarryBinary(const provisioning::RunState& run, const access::Value& raw) {
  if (raw.is_null()) return access::Value();
  if (raw.type() != access::ValueType::kBinary)
    throw access::Error(access::ado::kInvalidArgument,
                        "Arguments are of the wrong type, are out of acceptable range, or are in "
                        "conflict with one another: a binary stream cannot take a " +
                            std::string(access::TypeName(raw.type())) + " value.");
  access::Stream stream;
  DeleteTemporaryFileIfPresent(run);
  stream.set_type(access::Stream::Type::kBinary);
  stream.Open();
  stream.Write(raw.binary());
  stream.SaveToFile(run.local_files.Map(kTemporaryFile), access::Stream::SaveOption::kCreateNotExist);
  access::Value carried = access::Value::Binary(stream.Read(access::Stream::kReadAll));
  stream.Close();
  run.local_files.DeleteFile(kTemporaryFile);
  return carried;
}

}  // namespace court::data
