#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <type_traits>

#include "ChannelTestSupport.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

namespace {

using tvc::TVCBufferUnderrunException;
using vx::CFileReader;
using vx::CFileWriter;
using vx::EFileCreationDisposition;
using vx::EFileShareCharacteristics;
using vx::ESeekStart;
using vxtest::Bytes;

static_assert(!std::is_default_constructible<CFileReader>::value, "a reader is only opened");
static_assert(std::is_nothrow_copy_constructible<CFileReader>::value &&
                  std::is_nothrow_copy_assignable<CFileWriter>::value,
              "copies share the handle without allocating");
static_assert(!std::is_convertible<CFileReader, bool>::value, "boolean test in conditions only");
static_assert(std::is_same<decltype(std::declval<CFileWriter&>().Seek(0L, ESeekStart::Begin)),
                           unsigned long>::value,
              "");

constexpr auto kShareRead = EFileShareCharacteristics::ShareRead;
constexpr auto kShareNone = EFileShareCharacteristics::ShareNone;

class FileChannel : public testing::Test {
 protected:
  vxtest::TempDirectory directory;
  const std::string path = directory.File("ten.bin");
  const std::string other = directory.File("other.bin");
  const Bytes ten = vxtest::Pattern(10);
  void SetUp() override { vxtest::WriteFile(path, ten); }
};

TEST_F(FileChannel, EveryDispositionOnAMissingAndAnExistingFile) {
  struct Case {
    int disposition;
    bool opensMissing, opensExisting;
    const char* afterWritingXY;  // the existing file "abcdef" after Write("XY")
  };
  const Case cases[] = {{0, true, true, "XY"},     {1, true, false, "abcdef"},
                        {2, true, true, "XYcdef"}, {3, false, true, "XYcdef"},
                        {4, false, true, "XY"},    {9, false, false, "abcdef"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.disposition);
    const auto disposition = static_cast<EFileCreationDisposition>(c.disposition);
    const std::string missing = directory.File("missing" + std::to_string(c.disposition));
    {
      CFileWriter writer(missing.c_str(), disposition, kShareNone);
      EXPECT_EQ(writer.IsValid(), c.opensMissing);
      writer.Write("XY", 2);
    }
    EXPECT_EQ(std::filesystem::exists(missing), c.opensMissing);
    if (c.opensMissing) {
      EXPECT_EQ(vxtest::ReadFile(missing), Bytes({'X', 'Y'}));
    }

    vxtest::WriteFile(other, Bytes{'a', 'b', 'c', 'd', 'e', 'f'});
    CFileWriter writer;
    writer.Open(other.c_str(), disposition, kShareNone);
    EXPECT_EQ(writer.IsValid(), c.opensExisting);
    writer.Write("XY", 2);
    writer.Close();
    const std::string expected = c.afterWritingXY;
    EXPECT_EQ(vxtest::ReadFile(other), Bytes(expected.begin(), expected.end()));
  }
}

TEST_F(FileChannel, InvalidObjectsReportZeroAndThrowOnRead) {
  CFileReader reader(directory.File("missing").c_str(), kShareRead);
  CFileWriter writer;
  EXPECT_FALSE(reader.IsValid());
  EXPECT_TRUE(!reader);
  EXPECT_FALSE(static_cast<bool>(writer));
  unsigned char byte;
  EXPECT_THROW(reader.Read(&byte, 0), TVCBufferUnderrunException);
  EXPECT_THROW(reader.Read(&byte, 1), TVCBufferUnderrunException);
  writer.Write("x", 1);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(reader.Seek(3, ESeekStart::Begin), 0u);
    EXPECT_EQ(writer.Seek(3, ESeekStart::Begin), 0u);
    EXPECT_EQ(reader.GetCurrentPosition(), 0u);
    EXPECT_EQ(writer.GetCurrentPosition(), 0u);
    reader.Close();
    writer.Close();
  }
  EXPECT_FALSE(std::filesystem::exists(directory.File("missing")));
}

TEST_F(FileChannel, ShortReadAtTheEndPlacesTheBytesThatWereThere) {
  CFileReader reader(path.c_str(), kShareRead);
  Bytes got(12, 0);
  EXPECT_THROW(reader.Read(got.data(), 12), TVCBufferUnderrunException);
  EXPECT_EQ(Bytes(got.begin(), got.begin() + 10), ten);
  EXPECT_EQ(reader.GetCurrentPosition(), 10u);
  EXPECT_TRUE(reader.IsValid());
  // 2^32 bytes reach the platform as a count of 0: nothing read, and it throws.
  reader.Seek(0, ESeekStart::Begin);
  EXPECT_THROW(reader.Read(got.data(), size_t{1} << 32), TVCBufferUnderrunException);
  EXPECT_EQ(reader.GetCurrentPosition(), 0u);
}

TEST_F(FileChannel, SeekFromEachOrigin) {
  CFileReader reader(path.c_str(), kShareRead);
  EXPECT_EQ(reader.Seek(0, ESeekStart::End), 10u);
  EXPECT_EQ(reader.Seek(-3, ESeekStart::Current), 7u);
  EXPECT_EQ(reader.GetCurrentPosition(), 7u);
  EXPECT_EQ(reader.Seek(4, static_cast<ESeekStart>(5)), 4u);  // acts as Begin
  unsigned char byte = 0;
  reader.Read(&byte, 1);
  EXPECT_EQ(byte, ten[4]);
  EXPECT_EQ(reader.Seek(20, ESeekStart::Begin), 20u);  // beyond the end is a position too

  CFileWriter writer(other.c_str(), EFileCreationDisposition::CreateAlways, kShareNone);
  writer.Write("abcdef", 6);
  EXPECT_EQ(writer.Seek(-4, ESeekStart::End), 2u);
  writer.Write("Z", 1);
  EXPECT_EQ(writer.GetCurrentPosition(), 3u);
  writer.Close();
  EXPECT_EQ(vxtest::ReadFile(other), Bytes({'a', 'b', 'Z', 'd', 'e', 'f'}));
}

TEST_F(FileChannel, FailingSeekClosesTheFileForEveryCopy) {
  CFileReader reader(path.c_str(), kShareRead);
  const CFileReader copy(reader);
  reader.Seek(5, ESeekStart::Begin);
  EXPECT_EQ(reader.Seek(-6, ESeekStart::Current), 0u);
  EXPECT_FALSE(reader.IsValid());
  EXPECT_FALSE(copy.IsValid());
  EXPECT_EQ(reader.Seek(0, ESeekStart::Begin), 0u);

  CFileWriter writer(other.c_str(), EFileCreationDisposition::CreateAlways, kShareNone);
  EXPECT_EQ(writer.Seek(-1, ESeekStart::Begin), 0u);
  EXPECT_FALSE(writer.IsValid());
}

TEST_F(FileChannel, PositionsBeyond32BitsFail) {
  CFileWriter writer(other.c_str(), EFileCreationDisposition::CreateAlways, kShareNone);
  EXPECT_EQ(writer.Seek(0x7FFFFFFF, ESeekStart::Begin), 2147483647u);
  EXPECT_EQ(writer.Seek(0x7FFFFFFF, ESeekStart::Current), 4294967294u);
  EXPECT_EQ(writer.Seek(2, ESeekStart::Current), 0u);
  EXPECT_FALSE(writer.IsValid());

  // A distance wider than 32 bits (where long is) fails the same way.
  CFileReader reader(path.c_str(), kShareRead);
  const unsigned long expected = sizeof(long) > 4 ? 0 : 2147483647ul;
  EXPECT_EQ(reader.Seek(std::numeric_limits<long>::max(), ESeekStart::Begin), expected);
  EXPECT_EQ(reader.IsValid(), expected != 0);
}

TEST_F(FileChannel, CopiesShareOneHandleAndOnePosition) {
  CFileReader reader(path.c_str(), kShareRead);
  unsigned char got[3];
  {
    CFileReader copy(reader);
    reader.Read(got, 3);
    copy.Read(got, 2);
    EXPECT_EQ(got[0], ten[3]);
    CFileReader assigned(other.c_str(), kShareRead);
    assigned = copy;
    EXPECT_EQ(assigned.GetCurrentPosition(), 5u);
  }
  reader.Read(got, 1);  // the copies' destruction left the file open
  EXPECT_EQ(got[0], ten[5]);

  CFileWriter writer(other.c_str(), EFileCreationDisposition::CreateAlways, kShareNone);
  CFileWriter copy(writer);
  writer.Write("ab", 2);
  copy.Write("cd", 2);
  copy.Close();
  EXPECT_FALSE(writer.IsValid());
  EXPECT_EQ(vxtest::ReadFile(other), Bytes({'a', 'b', 'c', 'd'}));
}

TEST_F(FileChannel, HandleIsClosedExactlyOnce) {
  // A second close of a released handle would hit the next file opened,
  // which usually receives the same handle value.
  auto closed = std::make_unique<CFileReader>(path.c_str(), kShareRead);
  closed->Close();
  auto copy = std::make_unique<CFileReader>(*closed);
  CFileReader next(path.c_str(), kShareRead);
  closed.reset();
  copy.reset();
  unsigned char got[10];
  next.Read(got, 10);
  EXPECT_EQ(Bytes(got, got + 10), ten);
}

TEST_F(FileChannel, OpenOnAWriterThatHoldsAFileClosesItAndOpensTheNamedFile) {
  CFileWriter writer(other.c_str(), EFileCreationDisposition::CreateAlways, kShareNone);
  const CFileWriter formerCopy(writer);
  const std::string third = directory.File("third.bin");
  writer.Open(third.c_str(), EFileCreationDisposition::CreateNew, kShareNone);
  EXPECT_TRUE(writer.IsValid());
  EXPECT_FALSE(formerCopy.IsValid());
  writer.Write("3", 1);
  writer.Close();
  EXPECT_EQ(vxtest::ReadFile(third), Bytes{'3'});
  EXPECT_TRUE(vxtest::ReadFile(other).empty());
}

TEST_F(FileChannel, WriteOfFourGigabytesOrMoreWritesNothing) {
  CFileWriter writer(other.c_str(), EFileCreationDisposition::CreateAlways, kShareNone);
  const char three[3] = {'a', 'b', 'c'};
  writer.Write(three, (size_t{1} << 32) + 3);  // not read: the platform cannot take it
  writer.Write(three, size_t{1} << 32);
  EXPECT_EQ(writer.GetCurrentPosition(), 0u);
  writer.Write(three, 3);
  writer.Close();
  EXPECT_EQ(vxtest::ReadFile(other), Bytes({'a', 'b', 'c'}));
}

TEST_F(FileChannel, EveryShareValueOpensAndOutOfRangeActsAsNoSharing) {
  for (int share : {0, 1, 2, 3, 7, -1}) {
    CFileReader reader(path.c_str(), static_cast<EFileShareCharacteristics>(share));
    EXPECT_TRUE(reader.IsValid()) << share;
  }
  // Where share modes are enforced, a second reader is refused beside a
  // reader that shares nothing, and admitted beside one that shares reading.
  auto secondOpens = [&](int firstShare) {
    CFileReader first(path.c_str(), static_cast<EFileShareCharacteristics>(firstShare));
    return CFileReader(path.c_str(), kShareRead).IsValid();
  };
  EXPECT_TRUE(secondOpens(2));
  EXPECT_EQ(secondOpens(7), secondOpens(3));
}

}  // namespace
