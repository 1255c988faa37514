// What the file channels let a caller check: the first failure kept with the
// system's reason, the bytes that remain, a sync to the device, positions
// past 4 GiB, and appending to a file that exists.

#include "support/Support.h"
#include "vexlo/vexlo.h"

// The platform's own open and close, to close a channel's handle underneath
// it: the channel takes the handle that a raw open has just freed, POSIX and
// Wine handing out the lowest free one.
#if defined(_WIN32)
# include <windows.h>
constexpr bool kWindows = true;
static HANDLE RawOpen(const char* f) { return CreateFileA(f, GENERIC_READ, 7, {}, 4, 0, {}); }
#else
# include <fcntl.h>
# include <unistd.h>
constexpr bool kWindows = false;
static int RawOpen(const char* f) { return ::open(f, O_RDONLY | O_CREAT, 0600); }
static void CloseHandle(int fd) { ::close(fd); }
#endif

namespace {

using namespace vx;
using Share = EFileShareCharacteristics;

CFileWriter Writer(const std::string& path, int disposition) {
  return CFileWriter(path.c_str(), EFileCreationDisposition(disposition), Share::ShareRead);
}

// The records that a loop on GetRemaining reads from `reader`, then "!" if a
// read threw.
template <class Reader>
std::string Loop(Reader&& reader, std::string got = "") try {
  CPortableInputStream in(&reader);
  for (int r = 0; reader.GetRemaining() > 0; got += std::to_string(r)) in.GetInt(r);
  return got;
} catch (const tvc::TVCBufferUnderrunException&) {
  return got + "!";
}

// A row opens a writer on a name in a folder (- none) and makes the calls
// that its letters name: c Close, S a Seek64 to before the start, m a Seek64
// to 2^32 - 1, P GetCurrentPosition (which answers 2^32 - 1 also when it
// fails, and the platform gives no reason), y Sync, w and W a Write of 3 and
// 2^32 bytes; each failing call answers its failure value. In upper case the writer's handle is
// closed underneath it. The first failure stays.
//
// Then a log that starts 5 GiB into a sparse file, which sessions open, seek
// to its end (the first two to its start), add 0, 1, 2 and 3 records to and
// sync, the last half a record. After each, a loop on GetRemaining reads
// exactly the records there are, from the file and from memory, and throws
// only at the one cut off; the reader keeps no failure. A reader whose handle
// is closed underneath it answers and keeps the failures.
TEST(FileDurability, FailuresAreKeptWithTheirReasonAndALogPastFourGiBReadsBack) {
  const std::tuple<char, const char*, const char*, std::errc> rows[] = {
      {'w', ".", "", kWindows ? std::errc::permission_denied : std::errc::is_a_directory},
      {'w', "/dev/full", "w", std::errc::no_space_on_device},
      {'-', ".", "y", std::errc::bad_file_descriptor},
      {'w', "six", "Sy", std::errc::invalid_argument},
      {'w', "six", "mP", std::errc::invalid_argument},
      {'w', "six", "W", std::errc::invalid_argument},
      {'W', "six", "y", std::errc::bad_file_descriptor},
      {'W', "six", "c", std::errc::bad_file_descriptor},
  };
  const vxtest::TempDirectory dir;
  for (const auto& [kind, name, calls, expected] : rows) {
    const std::string path = name[0] == '/' ? name : dir.File(name);
    const auto raw = RawOpen(path.c_str());
    CloseHandle(raw);
    CFileWriter writer = kind == '-' ? CFileWriter() : Writer(path, 2);
    if (kind == 'W') CloseHandle(raw);
    EXPECT_TRUE(kind != '-' || !writer.IsValid());
    for (char call : std::string(calls)) {
      if (call == 'c') writer.Close();
      EXPECT_TRUE(call != 'S' || writer.Seek64(-7, ESeekStart::End) == 0);
      if (call == 'm') writer.Seek64(4294967295, ESeekStart::Begin);
      EXPECT_TRUE(call != 'P' || writer.GetCurrentPosition() == 4294967295);
      if (call == 'w' || call == 'W') writer.Write("abc", call == 'w' ? 3 : size_t{1} << 32);
      EXPECT_TRUE(call != 'y' || !writer.Sync());
    }
    EXPECT_EQ(writer.HasFailed() ? writer.GetError() : std::error_code(), expected)
        << kind << name << " " << calls;
  }
  constexpr std::int64_t kFar = (std::int64_t{5} << 30) + 7;
  std::string log = dir.File("log"), expected;
  CMemWriter all;
  CPortableOutputStream out(&all);
  for (int session = 0, record = 0; session < 5; ++session) {
    CFileWriter writer = Writer(log, session == 0 ? 0 : 3);
    EXPECT_EQ(writer.Seek64(record ? 0 : kFar, ESeekStart(record ? 2 : 0)), kFar + 8 * record);
    const size_t from = all.GetSize();
    for (int i = 0; i < session % 4; ++i, expected += std::to_string(record++)) out.PutInt(record);
    if (session == 4) all.Write("0000", 4), expected += "!";
    writer.Write(all.GetData() + from, all.GetSize() - from);
    if (writer.GetError() == std::errc::file_too_large) GTEST_SKIP() << "no 5 GiB file here";
    ASSERT_FALSE(writer.HasFailed()) << writer.GetError().message();
    EXPECT_EQ(writer.GetCurrentPosition64(), kFar + all.GetSize());
    EXPECT_TRUE(writer.Sync());
    CFileReader reader(log.c_str(), Share::ShareWrite);
    reader.Seek64(kFar, ESeekStart::Begin);
    EXPECT_EQ(Loop(reader) + Loop(CMemReader(all.GetData(), all.GetSize())), expected + expected);
    EXPECT_FALSE(reader.HasFailed()) << reader.GetError().message();
  }
  const auto raw = RawOpen(log.c_str());
  CloseHandle(raw);
  CFileReader reader(log.c_str(), Share::ShareWrite);
  CloseHandle(raw);
  EXPECT_TRUE(reader.GetRemaining() == 0 && reader.GetCurrentPosition64() == UINT64_MAX &&
              reader.HasFailed() && reader.GetError() == std::errc::bad_file_descriptor);
  EXPECT_THROW(reader.Read(nullptr, 0), tvc::TVCBufferUnderrunException);
}

}  // namespace
