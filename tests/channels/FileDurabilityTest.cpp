// What the file channels let a caller check: the first failure kept with the
// system's reason, the bytes that remain, a sync to the device, positions
// past 4 GiB, and appending to a file that exists.

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <system_error>

#include "support/TempDirectory.h"
#include "vexlo/vexlo.h"

#if defined(_WIN32)
# include <windows.h>
#else
# include <fcntl.h>
# include <unistd.h>
#endif

namespace {

using namespace vx;
using std::errc;

// The platform's own open and close, to close a channel's handle underneath it.
#if defined(_WIN32)
constexpr bool kWindows = true;
HANDLE RawOpen(const char* f) { return CreateFileA(f, GENERIC_READ, 7, nullptr, 3, 0, nullptr); }
void RawClose(HANDLE h) { CloseHandle(h); }
#else
constexpr bool kWindows = false;
int RawOpen(const char* f) { return ::open(f, O_RDONLY); }
void RawClose(int fd) { ::close(fd); }
#endif

CFileWriter Writer(const std::string& path, int disposition) {
  return CFileWriter(path.c_str(), EFileCreationDisposition(disposition),
                     EFileShareCharacteristics::ShareRead);
}

// Makes one of a failure row's calls, named by a letter, and tells whether it
// answered its failure value.
bool Make(CFileWriter& w, char call) {
  if (call == 'w' || call == 'W') w.Write("abc", call == 'w' ? 3 : size_t{1} << 32);
  if (call == 'c') w.Close();
  if (call == 's') return w.Seek(-1, ESeekStart::Begin) == 0;
  if (call == 'S') return w.Seek64(-7, ESeekStart::End) == 0;
  return call != 'y' || !w.Sync();
}
bool Make(CFileReader& r, char call) {
  if (call == 'c') r.Close();
  if (call == 'g') return r.GetRemaining() == 0;
  if (call == 'p') return r.GetCurrentPosition64() == UINT64_MAX;
  if (call == 'm') return r.Seek64(4294967294, ESeekStart::Begin) && !r.Seek(1, ESeekStart(1));
  try {
    if (call == 'r' || call == 'R') r.Read(nullptr, call == 'r' ? 0 : size_t{1} << 32);
  } catch (const tvc::TVCBufferUnderrunException&) {
    return true;
  }
  return call != 'r' && call != 'R';
}

// A row opens a reader (r), a writer with a disposition (w0 to w4) or no file
// (-) on a name in a folder that holds the 6-byte file "six", then makes its
// calls. In upper case the channel took the handle that a raw open had just
// freed (POSIX and Wine hand out the lowest free one), which is then closed
// underneath it. The first failure stays.
TEST(FileDurability, EveryFailureIsKeptWithTheSystemsReasonAndTheFirstStays) {
  const struct {
    const char *kind, *name, *calls;
    errc expected;
  } rows[] = {
      {"r", "none", "", errc::no_such_file_or_directory},
      {"w0", ".", "", kWindows ? errc::permission_denied : errc::is_a_directory},
      {"w3", "/dev/full", "w", errc::no_space_on_device},
      {"-", ".", "wy", errc::bad_file_descriptor},
      {"w3", "six", "sw", errc::invalid_argument},
      {"w3", "six", "Sy", errc::invalid_argument},
      {"w4", "six", "W", errc::invalid_argument},
      {"r", "six", "R", errc::invalid_argument},
      {"r", "six", "m", errc::invalid_argument},
      {"r", "six", "crg", errc::bad_file_descriptor},
      {"w3", "six", "cy", errc::bad_file_descriptor},
      {"W3", "six", "w", errc::bad_file_descriptor},
      {"W3", "six", "y", errc::bad_file_descriptor},
      {"W3", "six", "c", errc::bad_file_descriptor},
      {"R", "six", "r", errc::bad_file_descriptor},
      {"R", "six", "g", errc::bad_file_descriptor},
      {"R", "six", "p", errc::bad_file_descriptor},
  };
  const vxtest::TempDirectory dir;
  for (const auto& row : rows) {
    const std::string path = row.name[0] == '/' ? row.name : dir.File(row.name);
    Writer(dir.File("six"), 0).Write("abcdef", 6);
    const auto raw = RawOpen(path.c_str());
    RawClose(raw);
    const bool read = std::tolower(row.kind[0]) == 'r';
    CFileReader reader(read ? path.c_str() : nullptr, EFileShareCharacteristics::ShareWrite);
    CFileWriter writer =
        read || row.kind[0] == '-' ? CFileWriter() : Writer(path, row.kind[1] - '0');
    if (std::isupper(row.kind[0])) RawClose(raw);
    bool answered = true;
    for (char c : std::string(row.calls)) answered &= read ? Make(reader, c) : Make(writer, c);
    const std::error_code error = read ? reader.GetError() : writer.GetError();
    EXPECT_TRUE(answered && error == row.expected &&
                (read ? reader.HasFailed() : writer.HasFailed()))
        << row.kind << " " << row.name << " " << row.calls << ": " << error.message();
  }
}

// The records as a loop on GetRemaining reads them from `reader`, with "!"
// where a read threw.
template <class Reader>
std::string Loop(Reader&& reader) {
  CPortableInputStream in(&reader);
  std::string got;
  try {
    for (int r = 0; reader.GetRemaining() > 0; got += std::to_string(r)) in.GetInt(r);
  } catch (const tvc::TVCBufferUnderrunException&) {
    got += "!";
  }
  return got;
}

// A log that starts 5 GiB into a sparse file, written by three sessions that
// open it and seek to its end, each synced. Before each session and at the
// end, a loop on GetRemaining reads exactly the records there are (0, 1, 3,
// 6), from the file and from its bytes in memory, and throws only at a record
// cut off at the end.
TEST(FileDurability, ALogPastFourGiBAppendedTwiceReadsBackRecordByRecord) {
  constexpr std::int64_t kFar = (std::int64_t{5} << 30) + 7;
  const vxtest::TempDirectory dir;
  const std::string log = dir.File("log");
  std::string expected;
  const auto check = [&](const char* tail) {
    CFileReader reader(log.c_str(), EFileShareCharacteristics::ShareWrite);
    EXPECT_EQ(reader.Seek64(kFar, ESeekStart::Begin), kFar);
    std::vector<unsigned char> bytes(reader.GetRemaining());
    reader.Read(bytes.data(), bytes.size());
    EXPECT_EQ(Loop(CMemReader(bytes)), expected + tail);
    EXPECT_EQ(reader.Seek64(kFar, ESeekStart::Begin), kFar);
    EXPECT_EQ(Loop(reader), expected + tail);
    EXPECT_FALSE(reader.HasFailed()) << reader.GetError().message();
  };
  for (int session = 0, record = 0; session < 3; ++session) {
    CFileWriter writer = Writer(log, session == 0 ? 0 : 3);
    check("");
    const std::int64_t end = kFar + 8 * record;
    EXPECT_EQ(writer.Seek64(session == 0 ? kFar : 0, ESeekStart(session == 0 ? 0 : 2)), end);
    CPortableOutputStream out(&writer);
    for (int i = 0; i <= session; ++i, expected += std::to_string(record++)) out.PutInt(record);
    const std::error_code error = writer.GetError();
    if (error == errc::file_too_large) GTEST_SKIP() << "no 5 GiB file here: " << error.message();
    ASSERT_FALSE(writer.HasFailed()) << error.message();
    EXPECT_EQ(writer.GetCurrentPosition64(), kFar + 8 * record);
    EXPECT_TRUE(writer.Sync());
  }
  check("");
  CFileWriter cut = Writer(log, 3);
  cut.Seek64(0, ESeekStart::End);
  cut.Write("0000", 4);
  check("!");
}

}  // namespace
