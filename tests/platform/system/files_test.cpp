// Windows paths of the server land in its drive folders, and the file
// operations fail the way the installer expects.

#include "platform/system/files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/access/error.h"
#include "tests/support/temp_dir.h"

namespace court::system {
namespace {

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(root_ / "C");
    std::filesystem::create_directories(root_ / "D");
  }
  testing::TempDir folder_;
  const std::filesystem::path root_ = folder_.path();
};

TEST_F(FilesTest, MapsDriveLetterAndBackslashes) {
  DriveMap map(root_);
  EXPECT_EQ(map.Map("D:\\法院_SQL数据\\法院_Data.MDF"), root_ / "D" / "法院_SQL数据" / "法院_Data.MDF");
  EXPECT_EQ(map.Map("c:\\temp_sj.temp"), root_ / "C" / "temp_sj.temp");
  EXPECT_EQ(map.Map("D:"), root_ / "D");
  EXPECT_THROW(map.Map("\\\\server\\share"), access::Error);
  // The server's own paths pass as they are (backups into DIR/backups).
  EXPECT_EQ(map.Map("/srv/court/backups/"), "/srv/court/backups/");
  EXPECT_EQ(map.Drives(), (std::vector<std::string>{"C:", "D:"}));
}

TEST_F(FilesTest, MakeDirectoryNeedsTheDrive) {
  Files files{DriveMap(root_)};
  files.MakeDirectory("D:\\法院_SQL数据");
  EXPECT_TRUE(files.DirectoryExists("D:\\法院_SQL数据"));
  EXPECT_FALSE(files.FileExists("D:\\法院_SQL数据"));
  EXPECT_THROW(files.MakeDirectory("Q:\\法院_SQL数据"), access::Error);
  EXPECT_THROW(files.MakeDirectory("D:\\法院_SQL数据"), access::Error);
}

TEST_F(FilesTest, DeleteRemovesOnlyExistingFiles) {
  Files files{DriveMap(root_)};
  std::ofstream(files.Map("c:\\temp_sj.temp")) << "x";
  EXPECT_TRUE(files.FileExists("C:\\temp_sj.temp"));
  files.DeleteFile("c:\\temp_sj.temp");
  EXPECT_FALSE(files.FileExists("c:\\temp_sj.temp"));
  try {
    files.DeleteFile("c:\\temp_sj.temp");
    FAIL();
  } catch (const access::Error& e) {
    EXPECT_EQ(e.number(), 53);
  }
}

}  // namespace
}  // namespace court::system
