// The channels. Each writer stores what it is given, in whatever pieces, and
// each reader gives it back in other pieces. Then one table of operations,
// each on the objects as the rows before it left them, with the state that it
// must reach. Where allocations can be made to fail, each allocation of each
// row fails in turn and must leave the state as it was, leaking neither memory
// nor a file descriptor.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>

#include "support/AllocationFailure.h"
#include "support/Platform.h"
#include "support/TempDirectory.h"
#include "vexlo/vexlo.h"

namespace {

using namespace vx;
using namespace vxtest;
using Underrun = tvc::TVCBufferUnderrunException;
using Share = EFileShareCharacteristics;
using Disposition = EFileCreationDisposition;
using Bytes = std::vector<unsigned char>;
constexpr size_t k4G = size_t{1} << 32, kMost = ~size_t{0};

TEST(Channels, EachReaderGivesBackInAnyPiecesWhatEachWriterStored) {
  TempDirectory dir;
  const std::string out = dir.File("out"), in = dir.File("in");
  Bytes source(1310);
  for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<unsigned char>(i);
  CFileWriter file(out.c_str(), Disposition::CreateNew, Share::ShareNone);
  CMemStreamBuf memory(0);  // its writer is a CMemWriter, its reader (below) a CMemReader
  PXIpcStreamBuf ipc;
  for (auto* writer :
       std::initializer_list<tvc::ITVCBinaryWriter*>{&file, memory.GetWriter(), &ipc}) {
    size_t at = 0;
    for (size_t n : {0, 1, 7, 1000, 0, 2, 4, 8, 16, 272}) {
      writer->Write(&source[at], n);
      at += n;
    }
  }
  CFileWriter(file).Close();  // closes the file for every copy
  EXPECT_FALSE(file.IsValid());
  const char* const kinds[] = {"file", "memory", "ipc"};
  const Bytes stores[] = {TempDirectory::Read(out),
                          Bytes(memory.str(), memory.str() + memory.out_waiting()),
                          Bytes(ipc.str(), ipc.str() + ipc.out_waiting())};
  for (const Bytes& stored : stores) {
    CFileWriter(in.c_str(), Disposition::CreateAlways, Share::ShareNone)
        .Write(stored.data(), stored.size());
    CFileReader fileIn(in.c_str(), Share::ShareRead);
    CMemStreamBuf memoryIn(reinterpret_cast<const char*>(stored.data()), stored.size());
    PXIpcStreamBuf ipcIn;
    ipcIn.Write(stored.data(), stored.size());
    tvc::ITVCBinaryReader* const readers[] = {&fileIn, memoryIn.GetReader(), &ipcIn};
    for (tvc::ITVCBinaryReader* const& reader : readers) {
      Bytes got(source.size());
      size_t at = 0;
      for (size_t n : {5, 0, 1, 2, 4, 8, 16, 1024, 250}) {
        reader->Read(&got[at], n);
        at += n;
      }
      EXPECT_EQ(got, source) << "written by the " << kinds[&stored - stores]
                             << " writer, read by the " << kinds[&reader - readers] << " reader";
    }
  }
}

// Each disposition on a file of ten bytes and on a missing file: what writing
// "ab" leaves there, behind a "-" where the open failed ("none": no file).
TEST(CFileWriter, EachDispositionCreatesOpensOrTruncatesAsDocumented) {
  TempDirectory dir;
  const char* const expected[][2] = {
      {"ab", "ab"},    {"-0123456789", "ab"},   {"ab23456789", "ab"}, {"ab23456789", "-none"},
      {"ab", "-none"}, {"-0123456789", "-none"}};  // a value out of range
  for (int d = 0; d < 6; ++d) {
    for (int exists = 1; exists >= 0; --exists) {
      const std::string path = dir.File(std::to_string(d * 2 + exists).c_str());
      if (exists) std::ofstream(path) << "0123456789";
      CFileWriter out(path.c_str(), Disposition(d == 5 ? 7 : d), Share::ShareNone);
      const std::string opened = out ? "" : "-";
      out.Write("ab", 2);  // nothing on a writer that did not open
      out.Close();
      const Bytes bytes = TempDirectory::Read(path);
      EXPECT_EQ(opened + (std::filesystem::exists(path) ? std::string(bytes.begin(), bytes.end())
                                                        : "none"),
                expected[d][1 - exists])
          << "disposition " << d << (exists ? " on an existing file" : " on a missing file");
    }
  }
}

// What a row compares: a writer's bytes, "|" ("!" if the terminator is missing)
// and capacity; a queue's bytes waiting and capacity; a file channel's position.
std::string State(const CMemWriter& w) {
  const char* s = reinterpret_cast<const char*>(w.GetData());
  return std::string(s, w.GetSize()) + (s[w.GetSize()] ? "!" : "|") +
         std::to_string(w.GetCapacity());
}
std::string State(const PXIpcStreamBuf& q) {
  PXIpcStreamBuf copy(q);
  std::string waiting(copy.out_waiting(), '\0');
  copy.Read(&waiting[0], waiting.size());
  return waiting + "|" + std::to_string(q.GetCapacity());
}
template <class File>
std::string State(const File& f) {
  return f.IsValid() ? std::to_string(f.GetCurrentPosition()) : "closed";
}

// The files this process holds open, where the system lists them; 0 elsewhere.
// Under Wine the Linux list is visible but counts Wine's own descriptors,
// which it opens and closes as it likes, so a Windows build takes 0.
long OpenFiles() {
#if defined(_WIN32)
  return 0;
#else
  std::error_code none;
  return std::distance(std::filesystem::directory_iterator("/proc/self/fd", none), {});
#endif
}

TEST(Channels, EachOperationReachesItsStateOrFailsLeavingItUnchanged) {
  TempDirectory dir;
  const std::string ten = dir.File("ten"), a = dir.File("a"), fresh = dir.File("b");
  CFileWriter(ten.c_str(), Disposition::CreateNew, Share::ShareNone).Write("0123456789", 10);
  CMemWriter w, sized(4), small, big(40);
  PXIpcStreamBuf q, q10, adopted(new char[4]{'w', 'x', 'y', 'z'}, 4), target, empty, fresh2;
  CFileReader in(ten.c_str(), Share::ShareRead), in2 = in;
  CFileWriter out(a.c_str(), Disposition::CreateAlways, Share::ShareNone), out2 = out;
  CMemReader reader(reinterpret_cast<const unsigned char*>("0123456789"), 10), copy = reader;
  char got[11] = {}, b[8] = {};
  target.Write("ab", 2);
  out.Write("ab", 2);
  reader.Read(got, 4);
  const auto S = [](const auto& x) { return [&x] { return State(x); }; };
  const auto none = [] { return std::string(); };
  struct Row {
    const char* fact;  // what the row checks; it starts from the state the rows above left
    std::function<void()> operation;
    std::function<std::string()> state;
    std::string expected;
  };
  const Row rows[] = {
      // CMemWriter w: the content needs max(capacity + capacity / 2, size), then the terminator.
      {"5 bytes into capacity 1 grow to 5, then 7", [&] { w.Write("abcde", 5); }, S(w), "abcde|7"},
      {"a full writer grows to max(7 + 3, 8)", [&] { w.Write("fg", 2); }, S(w), "abcdefg|10"},
      {"17 bytes need 17, then 25 for the terminator", [&] { w.Write("hijklmnopq", 10); }, S(w),
       "abcdefghijklmnopq|25"},
      {"CMemWriter(4) takes 4 bytes without growing", [&] { sized.Write("abcd", 4); }, S(sized),
       "abcd|5"},
      {"assignment gives exactly the size; self-assignment keeps it",
       [&] {
         small = w;
         small = *&small;
       },
       S(small), "abcdefghijklmnopq|18"},
      {"a writer's own bytes survive the growth that frees them",
       [&] { w.Write(w.GetData() + 8, 9); }, S(w), "abcdefghijklmnopqijklmnopq|37"},
      // PXIpcStreamBuf q: 16 bytes first (also for 0 bytes), or twice a count of 8 or more; a
      // later Write that does not fit grows to 3 * (capacity + count) / 2.
      {"a first Write of 0 bytes allocates 16", [&] { q.Write("", 0); }, S(q), "|16"},
      {"3 bytes fit in 16", [&] { q.Write("abc", 3); }, S(q), "abc|16"},
      {"a first Write of 10 bytes allocates 20", [&] { q10.Write("0123456789", 10); }, S(q10),
       "0123456789|20"},
      {"Read consumes from the front", [&] { q.Read(b, 1); }, S(q), "bc|16"},
      {"Read of more than waits throws and consumes nothing",
       [&] { EXPECT_THROW(q.Read(b, 3), Underrun); }, S(q), "bc|16"},
      {"20 more bytes grow to 3 * (16 + 20) / 2", [&] { q.Write("ABCDEFGHIJKLMNOPQRST", 20); },
       S(q), "bcABCDEFGHIJKLMNOPQRST|54"},
      {"an adopted block of 4 grows on its first Write", [&] { adopted.Write("!", 1); }, S(adopted),
       "wxyz!|7"},
      {"a queue's own bytes survive the growth that frees them",
       [&] { adopted.Write(adopted.str(), 5); }, S(adopted), "wxyz!wxyz!|18"},
      {"forward() makes every byte wait again", [&] { q.forward(); }, S(q),
       "abcABCDEFGHIJKLMNOPQRST|54"},
      {"assignment copies bytes, positions and capacity", [&] { target = q; }, S(target),
       "abcABCDEFGHIJKLMNOPQRST|54"},
      {"a queue without a buffer assigned frees the target's",
       [&] {
         target = empty;
         target = *&target;
       },
       S(target), "|0"},
      {"a queue without a buffer takes a copy of the source's", [&] { fresh2 = q; }, S(fresh2),
       "abcABCDEFGHIJKLMNOPQRST|54"},
      {"between equal capacities the buffer is reused, positions copied",
       [&] {
         q.Read(b, 3);
         fresh2 = q;
         q.forward();
       },
       S(fresh2), "ABCDEFGHIJKLMNOPQRST|54"},
      {"a larger writer keeps its capacity when assigned a smaller one", [&] { big = small; },
       S(big), "abcdefghijklmnopq|41"},
      // CMemReader reader, at 4 of 10; its copy `copy` is at 0. An underrun copies nothing and
      // keeps the position, also when the logger cannot allocate and drops its line.
      {"an underrun copies nothing", [&] { EXPECT_THROW(reader.Read(got + 4, 7), Underrun); },
       [&] { return got; }, "0123"},
      {"after an underrun the rest reads; a copy reads on alone",
       [&] {
         reader.Read(got + 4, 6);
         copy.Read(got + 1, 1);
       },
       [&] { return got; }, "0023456789"},
      // CFileReader in and its copy in2, on the ten bytes: one handle, one position.
      {"Seek from the end moves every copy", [&] { EXPECT_EQ(in.Seek(0, ESeekStart::End), 10u); },
       S(in2), "10"},
      {"Seek back from the current position",
       [&] { EXPECT_EQ(in.Seek(-3, ESeekStart::Current), 7u); }, S(in2), "7"},
      {"an origin out of range seeks from the start",
       [&] { EXPECT_EQ(in.Seek(4, ESeekStart(5)), 4u); }, S(in2), "4"},
      {"a count of 4 GiB asks for 0 and throws", [&] { EXPECT_THROW(in.Read(b, k4G), Underrun); },
       S(in), "4"},
      {"a short read throws with the bytes there in place, at the end",
       [&] { EXPECT_THROW(in2.Read(b, 7), Underrun); }, [&] { return State(in) + b; }, "10456789"},
      {"a refused Seek returns 0 and closes every copy",
       [&] { EXPECT_EQ(in.Seek(-1, ESeekStart::Begin), 0u); }, S(in2), "closed"},
      {"Read on a closed reader throws, also for 0 bytes",
       [&] { EXPECT_THROW(in.Read(b, 0), Underrun); }, S(in), "closed"},
      // CFileWriter out and its copy out2. Open closes the file for every copy first, then opens
      // the new one for this writer alone, at 0; a failure to allocate comes first and changes
      // nothing.
      {"Open closes the old file for every copy",
       [&] { out.Open(ten.c_str(), Disposition::TruncateExisting, Share::ShareNone); }, S(out2),
       "closed"},
      {"a count of 4 GiB + 3 is refused whole, `data` unread", [&] { out.Write("xyz", k4G + 3); },
       S(out), "0"},
      {"Write advances the position", [&] { out.Write("xyz", 3); }, S(out), "3"},
      {"Seek to the largest 32-bit distance", [&] { out.Seek(0x7FFFFFFF, ESeekStart::Begin); },
       S(out), "2147483647"},
      {"Seek to 4 GiB - 2", [&] { out.Seek(0x7FFFFFFF, ESeekStart::Current); }, S(out),
       "4294967294"},
      // Wine (as of 8.0) moves there, answering 0.
      {"Seek beyond 4 GiB fails and closes the file", [&] { out.Seek(2, ESeekStart::Current); },
       S(out), RunningUnderWine() ? "0" : "closed"},
      // Whichever allocation fails, the objects made before it are destroyed.
      {"each CMemWriter constructor that allocates",
       [&] {
         CMemWriter();
         CMemWriter(9);
         CMemWriter("ab", 2);
         CMemWriter{w};
       },
       none, ""},
      {"an array of buffers, a read buffer, a queue's copy",
       [&] {
         CMemStreamBuf pair[2] = {}, fromText("ab", 2);
         PXIpcStreamBuf{q};
       },
       none, ""},
      {"an owning reader and its copy release the buffer once",
       [&] { CMemReader owner(new unsigned char[2], 2, true), sharer = owner; }, none, ""},
      {"a CFileReader", [&] { CFileReader(a.c_str(), Share::ShareRead); }, none, ""},
      {"a CFileWriter",
       [&] { CFileWriter(fresh.c_str(), Disposition::CreateNew, Share::ShareNone); }, none, ""},
  };
  testing::internal::CaptureStderr();  // the memory reader logs its underrun
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "row " << &row - rows << ": " << row.fact);
    // The open files count too: a failed operation must not leak one.
    const auto state = [&] { return std::to_string(OpenFiles()) + ":" + row.state(); };
    const std::string before = state();
    // An allocation failure that the operation swallowed (the logger does) is rethrown, so that the
    // state is checked after it too.
    ForEachAllocationFailure(
        [&] {
          row.operation();
          if (AllocationFailureFired()) throw std::bad_alloc();
        },
        [&] { EXPECT_EQ(state(), before) << "after a failed allocation"; });
    EXPECT_EQ(row.state(), row.expected);
  }
  testing::internal::GetCapturedStderr();
  out.Close();
  EXPECT_EQ(TempDirectory::Read(ten), Bytes({'x', 'y', 'z'}));
  EXPECT_THROW(small.Write("x", kMost), std::length_error);  // `data` is not read
  EXPECT_THROW(CMemWriter{kMost}, std::length_error);        // no room for the terminator
  // As `new` refuses an array size it cannot serve: capacity + count overflows, 3/2 of that is too
  // large, twice the first count is.
  for (size_t count : {kMost - 8, kMost / 3})
    EXPECT_THROW(q.Write("x", count), std::bad_array_new_length);
  EXPECT_THROW(PXIpcStreamBuf().Write("x", kMost / 2 + 1), std::bad_array_new_length);
  EXPECT_EQ(State(small) + State(q), "abcdefghijklmnopq|18abcABCDEFGHIJKLMNOPQRST|54");
}

// Copies made by assignment share what copy construction shares (a file
// channel's handle and position) or copy it (a memory reader's position);
// the target's own file is closed when it held the last share. Channels with
// nothing behind them answer quietly.
TEST(Channels, AssignmentSharesOrCopiesAndEmptyChannelsAnswerQuietly) {
  TempDirectory dir;
  const std::string one = dir.File("one"), two = dir.File("two"), three = dir.File("three");
  CFileWriter(one.c_str(), Disposition::CreateNew, Share::ShareNone).Write("0123456789", 10);
  CFileWriter(two.c_str(), Disposition::CreateNew, Share::ShareNone).Write("abcdefghij", 10);
  CFileReader first(one.c_str(), Share::ShareRead), second(two.c_str(), Share::ShareRead);
  const long open = OpenFiles();
  second = first;
  second = *&second;
  EXPECT_EQ(OpenFiles(), open == 0 ? 0 : open - 1) << "the second file stayed open";
  char got[4] = {};
  first.Read(got, 2);
  second.Read(got + 2, 1);
  EXPECT_STREQ(got, "012");
  EXPECT_TRUE(static_cast<bool>(second));

  CFileWriter none;  // holds no file: invalid, and every call is harmless
  EXPECT_TRUE(!none);
  none.Write("x", 1);
  EXPECT_EQ(none.Seek(5, ESeekStart::Begin) + none.GetCurrentPosition(), 0u);
  none.Close();
  CFileWriter writer(three.c_str(), Disposition::CreateNew, Share::ShareNone);
  none = writer;
  none.Write("xy", 2);
  EXPECT_EQ(writer.GetCurrentPosition(), 2u);
  writer.Close();
  EXPECT_TRUE(!none) << "closing one copy closes the assigned one";
  none.Open(three.c_str(), Disposition::OpenExisting, Share::ShareNone);
  EXPECT_FALSE(!none);

  const unsigned char digits[] = "0123456789";
  CMemReader reader(digits, 10), other(digits + 8, 2);
  reader.Read(got, 3);
  other = reader;
  other.Read(got, 2);
  reader.Read(got + 2, 1);
  EXPECT_STREQ(got, "343") << "the assigned reader reads on alone";

  char text[] = "xyz";  // a read buffer over writable bytes reads them as they are
  CMemStreamBuf buffer(text, 3);
  buffer.GetReader()->Read(got, 3);
  EXPECT_STREQ(got, "xyz");
  EXPECT_EQ(buffer.GetWriter(), nullptr);
  EXPECT_STREQ(buffer.str(), "");
  EXPECT_EQ(buffer.out_waiting(), 0u);
}

}  // namespace
