// The binary stream's position rules: what a read returns before and after a
// save, and the create-only save option.

#include "platform/access/stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/access/error.h"
#include "tests/support/temp_dir.h"

namespace court::access {
namespace {

class StreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stream_.set_type(Stream::Type::kBinary);
    stream_.Open();
  }
  testing::TempDir folder_;
  const std::filesystem::path file_ = folder_.path() / "stream.bin";
  Stream stream_;
};

TEST_F(StreamTest, ReadAfterWriteAloneReturnsNothing) {
  stream_.Write({1, 2, 3});
  EXPECT_TRUE(stream_.Read().empty());
}

TEST_F(StreamTest, SaveRewindsSoReadReturnsEverythingWritten) {
  Bytes data(3 * 1024 * 1024);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 7);
  stream_.Write(data);
  stream_.SaveToFile(file_, Stream::SaveOption::kCreateNotExist);
  EXPECT_EQ(stream_.Read(Stream::kReadAll), data);
  EXPECT_EQ(std::filesystem::file_size(file_), data.size());
}

TEST_F(StreamTest, CreateOnlySaveRefusesAnExistingFile) {
  std::ofstream(file_) << "left over";
  stream_.Write({9});
  try {
    stream_.SaveToFile(file_, Stream::SaveOption::kCreateNotExist);
    FAIL() << "saved over an existing file";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), ado::kFileExists);
  }
}

TEST_F(StreamTest, ClosedStreamRefusesWork) {
  stream_.Close();
  EXPECT_THROW(stream_.Write({1}), Error);
  EXPECT_THROW(stream_.Read(), Error);
}

}  // namespace
}  // namespace court::access
