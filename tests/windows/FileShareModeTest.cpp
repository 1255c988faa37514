// What the file channels' share values do on Windows, where the file API
// enforces share modes. (Elsewhere no open is refused for sharing, so none of
// this can be observed there.)

#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
# define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

#include "channels/ChannelTestSupport.h"

namespace {

using namespace vxtest;
using vx::CFileReader;
using vx::CFileWriter;
using Disposition = vx::EFileCreationDisposition;
using Share = vx::EFileShareCharacteristics;

// Whether another opener, itself sharing everything, may open `path` with
// `access` now.
bool OthersMayOpen(const std::string& path, DWORD access) {
  const HANDLE h =
      CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

// The share mode that the holder of `path` was opened with, read back from
// what it lets others do.
DWORD GrantedShareMode(const std::string& path) {
  return (OthersMayOpen(path, GENERIC_READ) ? FILE_SHARE_READ : 0) |
         (OthersMayOpen(path, GENERIC_WRITE) ? FILE_SHARE_WRITE : 0) |
         (OthersMayOpen(path, DELETE) ? FILE_SHARE_DELETE : 0);
}

class FileShareMode : public testing::Test {
 protected:
  TempDirectory directory;
  const std::string path = directory.File("shared");
  void SetUp() override { WriteFile(path, Text("0123456789")); }
};

TEST_F(FileShareMode, EachValueGrantsTheModeOfItsRow) {
  const struct {
    int value;
    DWORD mode;
  } rows[] = {{0, FILE_SHARE_DELETE},
              {1, FILE_SHARE_WRITE},
              {2, FILE_SHARE_READ},
              {3, 0},
              {7, 0},
              {-1, 0},
              {4, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value);
    {
      const CFileReader reader(path.c_str(), Share(row.value));
      ASSERT_TRUE(reader.IsValid());
      EXPECT_EQ(GrantedShareMode(path), row.mode) << "reader";
    }
    {
      const CFileWriter writer(path.c_str(), Disposition::OpenExisting, Share(row.value));
      ASSERT_TRUE(writer.IsValid());
      EXPECT_EQ(GrantedShareMode(path), row.mode) << "writer";
    }
    EXPECT_EQ(GrantedShareMode(path), DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE})
        << "closed";
  }
}

TEST_F(FileShareMode, AReaderThatSharesNothingRefusesEveryOtherOpener) {
  CFileReader first(path.c_str(), Share::ShareNone);
  ASSERT_TRUE(first.IsValid());
  EXPECT_FALSE(CFileReader(path.c_str(), Share::ShareRead).IsValid());
  CFileWriter truncating(path.c_str(), Disposition::CreateAlways, Share::ShareRead);
  EXPECT_FALSE(truncating.IsValid());
  truncating.Write("xx", 2);

  char got[10];
  first.Read(got, sizeof got);  // refused openers neither truncated nor moved it
  EXPECT_EQ(std::string(got, sizeof got), "0123456789");
  first.Close();
  EXPECT_TRUE(CFileReader(path.c_str(), Share::ShareRead).IsValid());
}

// Windows checks a second open both ways: the first holder must share the
// access the second asks for, and the second must share the access the first
// holds.
TEST_F(FileShareMode, ASecondOpenerMustShareWhatTheFirstHolds) {
  const CFileReader reader(path.c_str(), Share::ShareRead);
  EXPECT_TRUE(CFileReader(path.c_str(), Share::ShareRead).IsValid());
  EXPECT_FALSE(CFileReader(path.c_str(), Share::ShareWrite).IsValid());
  EXPECT_FALSE(CFileWriter(path.c_str(), Disposition::OpenExisting, Share::ShareRead).IsValid());

  const CFileWriter writer(directory.File("log").c_str(), Disposition::CreateNew, Share::ShareRead);
  EXPECT_TRUE(CFileReader(directory.File("log").c_str(), Share::ShareWrite).IsValid());
  EXPECT_FALSE(CFileReader(directory.File("log").c_str(), Share::ShareRead).IsValid());
}

}  // namespace
