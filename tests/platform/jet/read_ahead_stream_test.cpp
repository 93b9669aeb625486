// The read-ahead stream libmdb reads Jet files through: what a reader gets
// from it is what the file holds, wherever it seeks and however it jumps
// between windows.

#include "platform/jet/read_ahead_stream.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <string>

#include "tests/support/temp_dir.h"

namespace court::jet {
namespace {

class ReadAheadStreamTest : public ::testing::Test {
 protected:
  // A file of `size` bytes that differ from page to page.
  std::FILE* Open(std::size_t size) {
    bytes_.resize(size);
    std::mt19937 random(7);
    for (char& byte : bytes_) byte = static_cast<char>(random());
    const std::filesystem::path file = folder_.path() / "pages";
    std::ofstream(file, std::ios::binary).write(bytes_.data(), static_cast<std::streamsize>(size));
    fd_ = ::open(file.c_str(), O_RDONLY);
    return OpenReadAheadStream(fd_);
  }
  ~ReadAheadStreamTest() override {
    if (fd_ >= 0) ::close(fd_);
  }

  std::string At(std::size_t offset, std::size_t size) const { return bytes_.substr(offset, size); }

  testing::TempDir folder_;
  std::string bytes_;
  int fd_ = -1;
};

std::string Read(std::FILE* stream, off64_t offset, std::size_t size) {
  std::string got(size, '\0');
  EXPECT_EQ(fseeko64(stream, offset, SEEK_SET), 0);
  got.resize(std::fread(got.data(), 1, size, stream));
  return got;
}

TEST_F(ReadAheadStreamTest, PagesReadInAnyOrderAreTheFilesBytes) {
  // Ten windows and a part: more than the stream keeps at once.
  const std::size_t size = 10 * 64 * 1024 + 3 * 4096;
  std::FILE* stream = Open(size);
  ASSERT_NE(stream, nullptr);
  // libmdb's pattern: the end first, then the page.
  std::mt19937 random(11);
  for (int i = 0; i < 500; ++i) {
    ASSERT_EQ(fseeko64(stream, 0, SEEK_END), 0);
    ASSERT_EQ(ftello64(stream), static_cast<off64_t>(size));
    const std::size_t page = random() % (size / 4096);
    ASSERT_EQ(Read(stream, static_cast<off64_t>(page * 4096), 4096), At(page * 4096, 4096)) << page;
  }
  // Reads across windows and at odd offsets.
  EXPECT_EQ(Read(stream, 64 * 1024 - 10, 100), At(64 * 1024 - 10, 100));
  EXPECT_EQ(Read(stream, 5, 3 * 64 * 1024), At(5, 3 * 64 * 1024));
  // The file's end: a short read, then nothing.
  EXPECT_EQ(Read(stream, static_cast<off64_t>(size - 100), 4096), At(size - 100, 100));
  EXPECT_EQ(Read(stream, static_cast<off64_t>(size + 4096), 4096), "");
  EXPECT_NE(fseeko64(stream, -1, SEEK_SET), 0);
  std::fclose(stream);
}

TEST_F(ReadAheadStreamTest, ReadsTheFileItWasGivenAfterThatIsClosed) {
  std::FILE* stream = Open(3 * 4096);
  ASSERT_NE(stream, nullptr);
  ::close(fd_);
  fd_ = -1;
  EXPECT_EQ(Read(stream, 4096, 4096), At(4096, 4096));
  std::fclose(stream);
}

}  // namespace
}  // namespace court::jet
