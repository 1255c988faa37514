// The file channels on what is not a plain file on disk: a pipe whose bytes
// come in pieces, calls that a signal interrupts, devices that refuse a read
// or a write, a directory. Each must end as the channels promise: a Read
// delivers exactly its count, or throws once no more can come with the bytes
// that came in place; a refused Write returns quietly (and never takes the
// process down); a directory does not open and is left as it was.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDirectory.h"
#include "vexlo/vexlo.h"

#if !defined(_WIN32)
# include <fcntl.h>
# include <pthread.h>
# include <signal.h>
# include <sys/stat.h>
# include <unistd.h>
#endif

namespace {

using vx::CFileReader;
using vx::CFileWriter;
using Share = vx::EFileShareCharacteristics;
using Disposition = vx::EFileCreationDisposition;
using Underrun = tvc::TVCBufferUnderrunException;

TEST(FileChannels, ADirectoryOpensForNeitherReadingNorWritingAndKeepsItsContent) {
  const vxtest::TempDirectory dir;
  const std::string inside = dir.File("inside");
  std::ofstream(inside) << "kept";
  CFileReader reader(dir.path.string().c_str(), Share::ShareRead);
  EXPECT_FALSE(reader.IsValid());
  char byte = 0;
  EXPECT_THROW(reader.Read(&byte, 0), Underrun);
  for (int d = 0; d <= 4; ++d) {
    CFileWriter writer(dir.path.string().c_str(), Disposition(d), Share::ShareNone);
    EXPECT_FALSE(writer.IsValid()) << "disposition " << d;
    writer.Write("x", 1);
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir.path));
  EXPECT_EQ(vxtest::TempDirectory::Read(inside), std::vector<unsigned char>({'k', 'e', 'p', 't'}));
}

#if defined(_WIN32)

TEST(FileChannels, OnPipesSignalsAndDevices) {
  GTEST_SKIP() << "FIFOs, signals, /dev/full and /proc are POSIX; the Windows file API is "
                  "tried in tests/windows";
}

#else

// A FIFO of its own in a temporary directory.
struct Fifo {
  const vxtest::TempDirectory dir;
  const std::string path = dir.File("fifo");
  Fifo() { EXPECT_EQ(mkfifo(path.c_str(), 0600), 0) << path; }
};

std::atomic<int> interruptions{0};
void CountInterruption(int) { interruptions.fetch_add(1); }

// While it lives, a thread sends SIGUSR1 every millisecond to each of
// `targets`. Its handler is installed without SA_RESTART, so a blocked read
// or write that it reaches returns EINTR or a short count. The handler stays
// installed: a signal still on its way when the sender stops must not find
// the default action, which ends the process.
class Interrupter {
 public:
  explicit Interrupter(std::vector<pthread_t> targets) {
    struct sigaction action = {};
    action.sa_handler = CountInterruption;
    sigemptyset(&action.sa_mask);
    sigaction(SIGUSR1, &action, nullptr);
    sender_ = std::thread([this, targets] {
      while (!stop_) {
        for (pthread_t t : targets) pthread_kill(t, SIGUSR1);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
  }
  ~Interrupter() {
    stop_ = true;
    sender_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread sender_;
};

// Another thread opens a FIFO through a CFileWriter, writes `pieces` into it
// and closes it, pausing 20 ms before the open and before each piece; this
// thread opens it through a CFileReader, which waits for the writer, and
// reads `reads`. Returns each read's buffer (prefilled with '.') behind a "|",
// with "!" where the Read threw.
std::string ThroughFifo(const std::vector<std::string>& pieces, const std::vector<size_t>& reads,
                        bool interrupted) {
  Fifo fifo;
  std::atomic<bool> written{false};
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    CFileWriter out(fifo.path.c_str(), Disposition::OpenExisting, Share::ShareNone);
    for (const std::string& piece : pieces) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      out.Write(piece.data(), piece.size());
    }
    out.Close();
    written = true;
  });
  std::string got;
  {
    std::unique_ptr<Interrupter> interrupter;
    if (interrupted) interrupter.reset(new Interrupter({pthread_self(), writer.native_handle()}));
    CFileReader in(fifo.path.c_str(), Share::ShareRead);
    if (!in) {
      // Another reader takes what the writer writes until it is done, so that the test fails
      // rather than waits for ever.
      const int sink = ::open(fifo.path.c_str(), O_RDONLY | O_NONBLOCK);
      for (char drained[4096]; !written;) {
        if (::read(sink, drained, sizeof drained) <= 0) std::this_thread::yield();
      }
      ::close(sink);
      got = "the reader did not open";
    }
    for (size_t count : reads) {
      std::vector<char> buffer(count, '.');  // exactly `count`: a read past it is caught
      bool threw = false;
      try {
        in.Read(buffer.data(), count);
      } catch (const Underrun&) {
        threw = true;
      }
      got += "|" + std::string(buffer.begin(), buffer.end()) + (threw ? "!" : "");
    }
  }
  writer.join();
  return got;
}

TEST(FileChannels, APipeReadDeliversPiecesThatArriveApartAndThrowsOnlyAtItsEnd) {
  struct Row {
    std::vector<std::string> pieces;
    std::vector<size_t> reads;
    const char* expected;
  };
  const Row rows[] = {
      {{"abc", "defgh"}, {8, 1}, "|abcdefgh|.!"},
      {{"ab", "cdefg", "hij"}, {1, 6, 2, 4}, "|a|bcdefg|hi|j...!"},
      {{"", "abc", ""}, {0, 2, 0, 3}, "||ab||c..!"},
      {{}, {0, 1}, "||.!"},
  };
  const int before = interruptions;
  for (bool interrupted : {false, true}) {
    for (const Row& row : rows) {
      EXPECT_EQ(ThroughFifo(row.pieces, row.reads, interrupted), row.expected)
          << "row " << &row - rows << (interrupted ? ", interrupted" : "");
    }
  }
  EXPECT_GT(interruptions, before) << "no signal was sent";
}

// More than a pipe holds: the Write blocks, the system takes it in parts,
// and signals interrupt both sides while they wait.
TEST(FileChannels, APipeCarriesABlockLargerThanItHoldsThroughInterruptedCalls) {
  std::string block(1 << 20, '\0'), expected;
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 7 % 251);
  const std::vector<size_t> reads = {1, 65535, 65537, 300000, 617503, 1};  // the block, and 1 more
  const int before = interruptions;
  const std::string got = ThroughFifo({block}, reads, true);
  for (size_t r = 0, at = 0; r < reads.size(); at += reads[r++]) {
    expected += "|" + (at < block.size() ? block.substr(at, reads[r]) : ".") +
                (r + 1 == reads.size() ? "!" : "");
  }
  EXPECT_TRUE(got == expected) << "lost, doubled or reordered bytes";
  EXPECT_GT(interruptions, before) << "no signal was sent";
}

bool SignalPending(int signal) {
  sigset_t pending;
  sigpending(&pending);
  return sigismember(&pending, signal) == 1;
}

// /dev/full refuses every write; a FIFO whose reader has gone breaks it,
// which would raise SIGPIPE and end the process had the writer not kept it
// away. Either way Write returns, the writer stays open, and no signal is
// left behind.
TEST(FileChannels, AWriteTheSystemRefusesReturnsQuietlyAndKeepsTheWriterOpen) {
  CFileWriter full("/dev/full", Disposition::OpenExisting, Share::ShareNone);
  ASSERT_TRUE(full.IsValid());
  full.Write("abc", 3);
  EXPECT_TRUE(full.IsValid());

  Fifo fifo;
  std::thread reader([&] { CFileReader(fifo.path.c_str(), Share::ShareRead).Close(); });
  CFileWriter broken(fifo.path.c_str(), Disposition::OpenExisting, Share::ShareNone);
  reader.join();
  ASSERT_TRUE(broken.IsValid());
  broken.Write("abc", 3);
  broken.Write("", 0);
  EXPECT_TRUE(broken.IsValid());
  EXPECT_FALSE(SignalPending(SIGPIPE));

  // A SIGPIPE that was pending before the write is the caller's: it stays.
  sigset_t pipe, old;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, &old);
  pthread_kill(pthread_self(), SIGPIPE);
  broken.Write("abc", 3);
  EXPECT_TRUE(SignalPending(SIGPIPE));
  const timespec now = {0, 0};
  sigtimedwait(&pipe, nullptr, &now);
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

// Reading a process's own memory at address 0 is refused (EIO): Read throws,
// and the reader stays open at its position.
TEST(FileChannels, AReadTheSystemRefusesThrowsAndKeepsTheReaderOpen) {
  CFileReader memory("/proc/self/mem", Share::ShareRead);
  if (!memory) GTEST_SKIP() << "no /proc/self/mem here";
  char byte = '.';
  EXPECT_THROW(memory.Read(&byte, 1), Underrun);
  EXPECT_EQ(byte, '.');
  EXPECT_TRUE(memory.IsValid());
  EXPECT_EQ(memory.GetCurrentPosition(), 0u);
}

// A pipe has no position: asking for it answers 4294967295 and keeps the
// file open, a move from any origin is refused and closes it.
TEST(FileChannels, APipeHasNoPosition) {
  Fifo fifo;
  const int keeper = ::open(fifo.path.c_str(), O_RDWR);  // both ends open: nothing blocks
  ASSERT_NE(keeper, -1);
  for (vx::ESeekStart origin :
       {vx::ESeekStart::Begin, vx::ESeekStart::Current, vx::ESeekStart::End}) {
    CFileReader in(fifo.path.c_str(), Share::ShareRead);
    CFileWriter out(fifo.path.c_str(), Disposition::OpenExisting, Share::ShareNone);
    ASSERT_TRUE(in && out);
    EXPECT_EQ(in.GetCurrentPosition(), 4294967295u);
    EXPECT_EQ(in.Seek(0, origin) + out.Seek(0, origin), 0u);
    EXPECT_FALSE(in.IsValid() || out.IsValid()) << "origin " << static_cast<int>(origin);
  }
  ::close(keeper);
}

// Positions are 32-bit. A `long` offset that does not fit in 32 bits is a
// move the platform cannot make; once a write has carried the position past
// 4 GiB, it cannot be told (4294967295, the file stays open) and a move that
// stays there fails. Both refusals close the file.
TEST(FileChannels, PositionsBeyondThirtyTwoBitsAreRefused) {
  const vxtest::TempDirectory dir;
  const std::string path = dir.File("big");
  CFileWriter out(path.c_str(), Disposition::CreateAlways, Share::ShareNone);
  if (sizeof(long) > 4) {
    CFileWriter copy = out;
    EXPECT_EQ(copy.Seek(std::numeric_limits<long>::min(), vx::ESeekStart::End), 0u);
    EXPECT_FALSE(out.IsValid());
    out.Open(path.c_str(), Disposition::OpenExisting, Share::ShareNone);
  }
  out.Seek(0x7FFFFFFF, vx::ESeekStart::Begin);
  EXPECT_EQ(out.Seek(0x7FFFFFFF, vx::ESeekStart::Current), 4294967294u);
  out.Write("abc", 3);  // a sparse file of 4 GiB + 1 bytes
  EXPECT_EQ(out.GetCurrentPosition(), 4294967295u);
  EXPECT_TRUE(out.IsValid());
  EXPECT_EQ(out.Seek(-1, vx::ESeekStart::End), 0u);
  EXPECT_FALSE(out.IsValid());
}

// There is no share mode to refuse an open here: under every share value a
// reader and a writer open the same file at once. A null name opens nothing.
TEST(FileChannels, EveryShareValueOpensAndANullNameDoesNot) {
  const vxtest::TempDirectory dir;
  const std::string path = dir.File("shared");
  std::vector<CFileReader> readers;
  std::vector<CFileWriter> writers;
  for (int share = 0; share <= 4; ++share) {
    writers.emplace_back(path.c_str(), Disposition::OpenAlways, Share(share));
    readers.emplace_back(path.c_str(), Share(share));
    EXPECT_TRUE(writers.back() && readers.back()) << "share value " << share;
  }
  EXPECT_FALSE(CFileReader(nullptr, Share::ShareRead).IsValid());
  EXPECT_FALSE(CFileWriter(nullptr, Disposition::CreateAlways, Share::ShareNone).IsValid());
}

#endif

}  // namespace
