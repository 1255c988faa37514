// The channels: every writer against every reader with each allocation of
// each call failing in turn; the capacities that copies and assignments take
// and the memory channels' limits; the file channels' dispositions and shared
// handles; files that are not plain files, where the system has FIFOs,
// signals, /dev/full and /proc (tests/support/Support.h); and what the file
// channels let a caller check: the first failure kept with the system's
// reason, the bytes that remain, a sync to the device, positions past 4 GiB,
// and appending to a file that exists.

#include <algorithm>
#include <chrono>
#include <sstream>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "support/Support.h"
#include "vexlo/vexlo.h"

namespace {

using namespace vx;
using namespace vxtest;
using Underrun = tvc::TVCBufferUnderrunException;
using Share = EFileShareCharacteristics;
using Disposition = EFileCreationDisposition;
constexpr size_t kLargest = PTRDIFF_MAX, k4G = size_t{1} << 32;

// Runs `call` with each of its allocations failing in turn, also one that it swallows (the logger
// does): `state` must then read as before, and neither a block nor a file may be left open.
void EachFailing(const std::function<void()>& call, std::function<std::string()> state = {}) {
  const auto all = [&] { return std::to_string(OpenFiles()) + ":" + (state ? state() : ""); };
  const std::string before = all();
  ForEachAllocationFailure(
      [&] { call(), AllocationFailureFired() ? throw std::bad_alloc() : void(); },
      [&] { EXPECT_EQ(all(), before) << "after a failed allocation"; });
}

// A memory writer's bytes (then "!" if the terminator is missing) and capacity; a queue's bytes
// from its start, as many as wait, and capacity (read from a copy).
std::string State(const CMemWriter& w) {
  const std::string bytes(reinterpret_cast<const char*>(w.GetData()), w.GetSize());
  return bytes + (w.GetData()[w.GetSize()] ? "!|" : "|") + std::to_string(w.GetCapacity());
}
std::string State(PXIpcStreamBuf q) {
  return std::string(q.str() ? q.str() : "", q.out_waiting()) + "|" +
         std::to_string(q.GetCapacity());
}

// The documented growth rules: a memory writer takes capacity + capacity / 2 or the size needed,
// whichever is more, for the content and then for the terminator; the queue allocates 16 first,
// or twice a count of 8 or more, and then 3 * (capacity + count) / 2 when the count does not fit.
size_t MemoryRule(size_t c, size_t used, size_t n) {
  for (size_t need : {used + n, used + n + 1}) c = n && need > c ? std::max(c + c / 2, need) : c;
  return c;
}
size_t QueueRule(size_t c, size_t used, size_t n) {
  if (c == 0) return n < 8 ? 16 : 2 * n;
  return used + n > c ? 3 * (c + n) / 2 : c;
}

// Each writer, from its documented first capacity, takes blocks of the room it has left less one,
// exactly that, one more, its own bytes in place (which its growth frees) and more than half its
// capacity again; the file writer through a copy, which shares its position. Each reader reads
// them back in pieces of 2^k - 1 bytes; asked for one byte more than is left it throws, a file
// reader with the rest in place, the others having copied and consumed nothing. Constructors that
// allocate fail cleanly, also that of a reader that owns its bytes.
TEST(Channels, EachReaderGivesBackWhatEachWriterHoldsAndAFailedCallChangesNothing) {
  TempDirectory dir;
  const std::string path = dir.File("written"), copied = dir.File("copied");
  CMemWriter memory;
  CMemStreamBuf device;
  const auto& inDevice = dynamic_cast<const CMemWriter&>(*device.GetWriter());
  PXIpcStreamBuf queue;
  CFileWriter file(path.c_str(), Disposition::CreateNew, Share::ShareRead), copy = file;
  EachFailing([&] { CMemReader(new unsigned char[2], 2, true), CFileReader(path.c_str(), {}); });
  struct Kind {
    tvc::ITVCBinaryWriter* writer;
    std::function<std::string()> state;  // as State(); a file's bytes and position
    std::function<const void*()> own;    // its bytes in place, if it has any
    size_t capacity;
    size_t (*rule)(size_t, size_t, size_t);
  } kinds[] = {
      {&memory, [&] { return State(memory); }, [&] { return memory.GetData(); }, 1, MemoryRule},
      {device.GetWriter(), [&] { return State(inDevice); }, [&] { return device.str(); }, 1025,
       MemoryRule},
      {&queue, [&] { return State(queue); }, [&] { return queue.str(); }, 0, QueueRule},
      {&copy,
       [&] { return TempDirectory::Read(path) + "|" + std::to_string(file.GetCurrentPosition()); },
       [] { return nullptr; }, 0, [](size_t, size_t used, size_t n) { return used + n; }}};
  for (Kind& k : kinds) {
    SCOPED_TRACE(testing::Message() << "writer " << &k - kinds);
    std::string held;
    for (size_t step = 0; step < 12; ++step) {
      size_t room = 0, extra[] = {0, 1, 2, 0, k.capacity};
      while (k.rule(k.capacity, held.size(), room + 1) == k.capacity) ++room;
      std::string block(std::max(room + extra[step % 5], size_t{1}) - 1, '\0');
      for (char& c : block) c = static_cast<char>(std::rand());
      if (step % 5 == 3) block = held;
      const void* data = step % 5 == 3 && k.own() ? k.own() : block.data();
      EachFailing([&] { k.writer->Write(data, block.size()); }, k.state);
      k.capacity = k.rule(k.capacity, held.size(), block.size());
      held += block;
      ASSERT_EQ(k.state(), held + "|" + std::to_string(k.capacity)) << "step " << step;
    }
    std::ofstream(copied, std::ios::binary) << held;
    auto* const bytes = std::copy(held.begin(), held.end(), new unsigned char[held.size()]);
    CMemReader owner(bytes - held.size(), held.size(), true), copy = owner, owning(bytes, 0);
    owning = copy;  // one release
    CMemStreamBuf over(held.data(), held.size());
    PXIpcStreamBuf through;
    through.Write(held.data(), held.size());
    CFileReader in(copied.c_str(), Share::ShareRead);
    tvc::ITVCBinaryReader* const readers[] = {&owning, over.GetReader(), &through, &in};
    for (tvc::ITVCBinaryReader* const& reader : readers) {
      std::string got(held.size() + 1, '.');
      size_t at = 0;
      for (size_t piece = 0; at + piece < held.size(); at += piece, piece = 2 * piece + 1)
        EachFailing([&] { reader->Read(&got[at], piece); }, [&] { return got; });
      EachFailing([&] { EXPECT_THROW(reader->Read(&got[at], held.size() - at + 1), Underrun); },
                  [&] { return got; });
      EXPECT_EQ(got.substr(at) == std::string(got.size() - at, '.'), reader != &in);
      if (reader != &in) reader->Read(&got[at], held.size() - at);
      EXPECT_EQ(got, held + ".") << "reader " << &reader - readers;
      EXPECT_THROW(reader->Read(&got[0], 1), Underrun);
      reader->Read(nullptr, 0);
    }
    EXPECT_TRUE(!*over.str() && !over.out_waiting() && !over.GetWriter() && !device.GetReader());
  }
}

// Assignment reuses the target's storage when it has the room (a writer: the source's size + 1
// bytes; a queue: the source's capacity exactly), else allocates exactly that before it lets the
// old storage go; a copy has exactly that. Self-assignment changes nothing. A size beyond the
// largest buffer (PTRDIFF_MAX bytes) is refused with std::length_error (a writer) or
// std::bad_array_new_length (the queue: a first count above half of it, a growth that overflows
// or exceeds it), changing nothing and reading no byte.
TEST(Channels, CopiesAndAssignmentsTakeExactlyTheRoomTheyNeed) {
  CMemWriter source("01234", 5);  // in exactly 6 bytes
  source.Write("56789", 5);       // in 15
  PXIpcStreamBuf queue, empty;
  queue.Write("0123456789", 10);  // in 20 bytes
  queue.Read(std::string(3, '\0').data(), 3);
  for (size_t room : {10, 11, 12}) {
    CMemWriter target(room - 1);
    PXIpcStreamBuf into(new char[room + 9](), static_cast<int>(room + 9));
    target.Write("ab", 2);
    const void* const kept[] = {target.GetData(), into.str()};
    EachFailing([&] { target = source, target = *&target; }, [&] { return State(target); });
    EachFailing([&] { into = queue, into = *&into; }, [&] { return State(into); });
    EXPECT_EQ(State(target) + State(into) + State(CMemWriter(target)) + State(PXIpcStreamBuf(into)),
              "0123456789|" + std::to_string(std::max<size_t>(room, 11)) +
                  "0123456|200123456789|110123456|20");
    EXPECT_EQ((target.GetData() == kept[0]) + 2 * (into.str() == kept[1]),
              (room > 10) + 2 * (room == 11));
    EXPECT_EQ(State(into = empty), "|0");
  }
  EXPECT_THROW(CMemWriter{kLargest}, std::length_error);
  EXPECT_THROW(source.Write("x", kLargest - 10), std::length_error);
  EXPECT_THROW(empty.Write("x", kLargest / 2 + 1), std::bad_array_new_length);
  for (size_t count : {kLargest - 19, kLargest / 3 * 2 - 18})  // overflowing; exceeding
    EXPECT_THROW(queue.Write("x", count), std::bad_array_new_length);
  EXPECT_EQ(State(source) + State(queue) + State(empty), "0123456789|150123456|20|0");
}

// Each disposition on a file of ten bytes and on a missing file: what writing "ab" leaves there;
// one out of range opens nothing, a reader no missing file, none of them a directory. Copies share
// one handle and one position, and a refused Seek on any of them closes it for all. Open closes
// the old file for every copy and opens the new one for this writer alone; a failure to allocate
// comes first and changes nothing, and no reopening or assignment leaves a file open. A count that
// the 32-bit platform cannot take is refused: a Read asks for 0 and throws, a Write writes nothing.
// A channel without a file answers 0 and does nothing.
TEST(FileChannels, DispositionsAndCopiesThatShareOneHandleAndPosition) {
  TempDirectory dir;
  const std::string folder = dir.path.string(), ten = dir.File("70123456789"), three = ten + "-";
  std::ostringstream seen;
  for (int d : {0, 1, 2, 3, 4, 7}) {
    for (const char* before : {"0123456789", ""}) {
      const std::string path = dir.File(std::to_string(d) + before);
      if (*before) std::ofstream(path) << before;
      CFileWriter(path.c_str(), Disposition(d), Share::ShareNone).Write("ab", 2);
      seen << TempDirectory::Read(path) << ' ';
    }
    seen << CFileWriter(folder.c_str(), Disposition(d), Share::ShareNone).IsValid() << ' ';
  }
  const long open = OpenFiles();
  CFileReader in(ten.c_str(), Share::ShareRead), copy(dir.File("0").c_str(), Share::ShareRead);
  copy = in;  // the file that it held goes with it
  seen << CFileReader(folder.c_str(), Share::ShareRead).IsValid()
       << !CFileReader(dir.File("none").c_str(), Share::ShareRead) << static_cast<bool>(copy) << ' '
       << in.Seek(0, ESeekStart::End) << ' ' << copy.Seek(-3, ESeekStart::Current) << ' '
       << in.Seek(4, ESeekStart(5)) << ' ' << CFileReader(copy).GetCurrentPosition();
  EXPECT_THROW(in.Read(nullptr, k4G), Underrun);
  seen << ' ' << copy.Seek(-1, ESeekStart::Begin) << in.IsValid() << in.GetCurrentPosition();
  CFileWriter out(three.c_str(), Disposition::CreateNew, Share::ShareNone), outCopy = out, none;
  out.Write("AB", 2);
  EachFailing([&] { out.Open(ten.c_str(), Disposition::TruncateExisting, Share::ShareNone); },
              [&] { return std::to_string(out.GetCurrentPosition()) + std::to_string(!outCopy); });
  out.Write("xyz", k4G + 3);
  out.Write("xyz", 3);
  for (int reopened = 0; reopened < 3; ++reopened)
    outCopy = out, out.Open(three.c_str(), Disposition::OpenExisting, Share::ShareNone);
  EXPECT_EQ(OpenFiles(), open == 0 ? 0 : open + 1) << "a file given up stayed open";
  none.Write("x", 1), none.Close();
  seen << ' ' << static_cast<bool>(outCopy) << out.Seek(-1, ESeekStart::Current)
       << out.GetCurrentPosition() << none.Seek(1, ESeekStart::Begin) << none.GetCurrentPosition()
       << !out << !none << TempDirectory::Read(ten) << TempDirectory::Read(three);
  EXPECT_EQ(seen.str(),
            "ab ab 0 0123456789 ab 0 ab23456789 ab 0 ab23456789 none 0 ab none 0 0123456789 none 0 "
            "011 10 7 4 4 000 0000011xyzAB");
}

// Where the file API enforces share modes (Windows), 0 grants deleting, 1 writing, 2 reading;
// out-of-range values none, as 3 does. Each holder is closed before the next value opens the file,
// so a handle left open would refuse the next opener. A reader holds read access alone: a second
// reader that lets others only read opens beside it; a writer holds write access, beside which
// that reader is refused (by 2 for that alone).
TEST(FileChannels, EachShareValueGrantsItsModeToOtherOpeners) {
  if (!Windows()) GTEST_SKIP() << "no share modes here";
  const TempDirectory dir;
  const std::string name = dir.File("shared");
  const char* const path = name.c_str();
  const auto granted = [&](bool /*while the holder is open*/) { return SharesGranted(name); };
  CFileWriter(path, Disposition::CreateAlways, Share::ShareNone);
  EXPECT_TRUE(CFileReader(path, Share::ShareRead) && CFileReader(path, Share::ShareRead));
  for (int value = -1; value < 8; ++value) {
    const unsigned mode = value >= 0 && value < 3 ? 4u >> value : 0;
    EXPECT_EQ(granted(CFileReader(path, Share(value)).IsValid()), mode) << value;
    const CFileWriter writer(path, Disposition::OpenExisting, Share(value));
    EXPECT_EQ(granted(writer.IsValid()), mode) << "writer " << value;
    EXPECT_FALSE(CFileReader(path, Share::ShareRead).IsValid()) << "beside " << value;
  }
}

// Another thread opens the FIFO at `path` through a CFileWriter, writes `bytes` in pieces of
// `sizes`, 20 ms apart (also before the first), and closes it; this thread reads `reads` through a
// CFileReader, which waits for the writer's open, and waits 3 ms before each read while the writer
// waits for room. Returns each read's buffer, prefilled with '.', behind a "|", with "!" where the
// Read threw. With `signals`, SIGUSR1 interrupts both threads meanwhile and is counted. A reader
// that did not open leaves the writer waiting for one for ever: the test fails, and the writer is
// left behind.
std::string ThroughFifo(const std::string& path, const std::string& bytes,
                        const std::vector<size_t>& sizes, const std::vector<size_t>& reads,
                        long* signals) {
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    CFileWriter out(path.c_str(), Disposition::OpenExisting, Share::ShareNone);
    for (size_t i = 0, at = 0; i < sizes.size(); at += sizes[i++]) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      out.Write(bytes.data() + at, sizes[i]);
    }
  });
  std::string got;
  const auto read = [&] {
    CFileReader in(path.c_str(), Share::ShareRead);
    if (!in) got = "not opened";
    for (size_t count : reads) {
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
      std::string buffer(count, '.'), end;  // exactly `count`: a read past it is caught
      try {
        in.Read(&buffer[0], count);
      } catch (const Underrun&) {
        end = "!";
      }
      got += "|" + buffer + end;
    }
  };
  signals ? void(*signals += WhileInterrupted(writer, read)) : read();
  got[0] == 'n' ? writer.detach() : writer.join();
  return got;
}

// Pieces that arrive apart, reads that straddle them, a last read that runs short, and a block of
// 1 MiB that no pipe holds, which the system takes in parts (then 8 KiB, which a write that ran
// past the block would send early); each also with SIGUSR1, installed without SA_RESTART,
// interrupting the blocked open, reads and writes on both sides. /dev/full refuses every write; a
// FIFO whose reader has gone breaks it, which would raise SIGPIPE and end the process had the
// writer not kept it away, while a SIGPIPE already pending is the caller's and stays; the writers
// stay open. Reading this process's memory at address 0 is refused (EIO): Read throws, and the
// reader stays open at its position.
TEST(FileChannels, APipeDeliversWhatArrivesApartAndWhatTheSystemRefusesKeepsTheChannelsOpen) {
  const TempDirectory dir;
  const std::string path = dir.File("fifo");
  if (!MakeFifo(path)) GTEST_SKIP() << "no FIFOs, signals, /dev/full or /proc here";
  std::string block;
  for (size_t i = 0; i < (1 << 20) + 8192; ++i) block += static_cast<char>(i * 7 % 251);
  const std::tuple<std::string, std::vector<size_t>, std::vector<size_t>> rows[] = {
      {"abcdefgh", {3, 5}, {8, 1}},
      {"abcdefghij", {2, 5, 3}, {1, 6, 2, 4}},
      {"abc", {0, 3, 0}, {0, 2, 0, 3}},
      {block, {1 << 20, 8192}, {1, 65535, 65537, 300000, 617503, 8193}}};
  long signals = 0;
  for (long* interrupted : {static_cast<long*>(nullptr), &signals}) {
    for (const auto& [bytes, sizes, reads] : rows) {
      std::string left = bytes, expected;  // what came, then '.' where nothing did
      for (size_t count : reads) {
        expected += "|" + left.substr(0, count).append(count - std::min(count, left.size()), '.') +
                    (left.size() < count ? "!" : "");
        left.erase(0, count);
      }
      EXPECT_TRUE(ThroughFifo(path, bytes, sizes, reads, interrupted) == expected)
          << sizes.size() << (interrupted ? " pieces, interrupted" : " pieces");
    }
  }
  EXPECT_GT(signals, 0) << "no signal came";
  std::thread reader([&] { CFileReader(path.c_str(), Share::ShareRead); });
  CFileWriter broken(path.c_str(), Disposition::OpenExisting, Share::ShareNone);
  CFileWriter full("/dev/full", Disposition::OpenExisting, Share::ShareNone);
  reader.join();
  for (CFileWriter* writer : {&full, &broken}) writer->Write("abc", 3);
  EXPECT_TRUE(PendingPipeSignalSurvives([&] { broken.Write("abc", 3); }));
  CFileReader memory("/proc/self/mem", Share::ShareRead);
  char byte = '.';
  EXPECT_THROW(memory.Read(&byte, 1), Underrun);
  EXPECT_TRUE(byte == '.' && full.IsValid() && broken.IsValid() && memory.IsValid() &&
              memory.GetCurrentPosition() == 0);
}

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
      {'w', ".", "", Windows() ? std::errc::permission_denied : std::errc::is_a_directory},
      {'w', "/dev/full", "w", std::errc::no_space_on_device},
      {'-', ".", "y", std::errc::bad_file_descriptor},
      {'w', "six", "Sy", std::errc::invalid_argument},
      {'w', "six", "mP", std::errc::invalid_argument},
      {'w', "six", "W", std::errc::invalid_argument},
      {'W', "six", "y", std::errc::bad_file_descriptor},
      {'W', "six", "c", std::errc::bad_file_descriptor},
  };
  const TempDirectory dir;
  for (const auto& [kind, name, calls, expected] : rows) {
    const std::string path = name[0] == '/' ? name : dir.File(name);
    CFileWriter writer = kind == 'w' ? Writer(path, 2) : CFileWriter();
    if (kind == 'W') CloseUnderneath(path, [&] { writer = Writer(path, 2); });
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
    EXPECT_EQ(Loop(reader) + Loop(CMemReader(std::vector<unsigned char>(
                                 all.GetData(), all.GetData() + all.GetSize()))),
              expected + expected);
    EXPECT_FALSE(reader.HasFailed()) << reader.GetError().message();
  }
  CFileReader reader(dir.File("none").c_str(), Share::ShareWrite);
  CloseUnderneath(log, [&] { reader = CFileReader(log.c_str(), Share::ShareWrite); });
  EXPECT_TRUE(reader.GetRemaining() == 0 && reader.GetCurrentPosition64() == UINT64_MAX &&
              reader.HasFailed() && reader.GetError() == std::errc::bad_file_descriptor);
  EXPECT_THROW(reader.Read(nullptr, 0), tvc::TVCBufferUnderrunException);
}

}  // namespace
