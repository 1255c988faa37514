// The file channels where the system answers in parts or refuses, where it
// has FIFOs, signals, /dev/full and /proc (tests/support/Platform.h): a Read
// delivers exactly its count, or throws once no more can come with what came
// in place; a refused Write returns quietly and never ends the process.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/Platform.h"
#include "support/TempDirectory.h"
#include "vexlo/vexlo.h"

namespace {

using vx::CFileReader;
using vx::CFileWriter;
using Share = vx::EFileShareCharacteristics;
using Disposition = vx::EFileCreationDisposition;
using Underrun = tvc::TVCBufferUnderrunException;

// Another thread opens the FIFO at `path` through a CFileWriter, writes `pieces` 20 ms apart (also
// before the first) and closes it; this thread reads `reads` through a CFileReader, which waits
// for the writer's open. Returns each read's buffer, prefilled with '.', behind a "|", with "!"
// where the Read threw. With `signals`, SIGUSR1 interrupts both threads meanwhile and is counted.
std::string ThroughFifo(const std::string& path, const std::vector<std::string>& pieces,
                        const std::vector<size_t>& reads, long* signals) {
  std::thread writer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    CFileWriter out(path.c_str(), Disposition::OpenExisting, Share::ShareNone);
    for (const std::string& piece : pieces) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      out.Write(piece.data(), piece.size());
    }
  });
  std::string got;
  const auto read = [&] {
    CFileReader in(path.c_str(), Share::ShareRead);
    for (size_t count : reads) {
      std::string buffer(count, '.'), end;  // exactly `count`: a read past it is caught
      try {
        in.Read(&buffer[0], count);
      } catch (const Underrun&) {
        end = "!";
      }
      got += "|" + buffer + end;
    }
  };
  signals ? void(*signals += vxtest::WhileInterrupted(writer, read)) : read();
  writer.join();
  return got;
}

// Pieces that arrive apart, reads that straddle them, a last read that runs short, and a block of
// 1 MiB that no pipe holds, which the system takes in parts; each also with SIGUSR1, installed
// without SA_RESTART, interrupting the blocked open, reads and writes on both sides. /dev/full
// refuses every write; a FIFO whose reader has gone breaks it, which would raise SIGPIPE and end
// the process had the writer not kept it away, while a SIGPIPE already pending is the caller's and
// stays; the writers stay open. Reading this process's memory at address 0 is refused (EIO): Read
// throws, and the reader stays open at its position.
TEST(FileChannels, APipeDeliversWhatArrivesApartAndWhatTheSystemRefusesKeepsTheChannelsOpen) {
  const vxtest::TempDirectory dir;
  const std::string path = dir.File("fifo");
  if (!vxtest::MakeFifo(path)) GTEST_SKIP() << "no FIFOs, signals, /dev/full or /proc here";
  std::string block(1 << 20, '\0');
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 7 % 251);
  const std::pair<std::vector<std::string>, std::vector<size_t>> rows[] = {
      {{"abc", "defgh"}, {8, 1}},
      {{"ab", "cdefg", "hij"}, {1, 6, 2, 4}},
      {{"", "abc", ""}, {0, 2, 0, 3}},
      {{}, {0, 1}},
      {{block}, {1, 65535, 65537, 300000, 617503, 1}},
  };
  long signals = 0;
  for (long* interrupted : {static_cast<long*>(nullptr), &signals}) {
    for (const auto& [pieces, reads] : rows) {
      std::string all, expected;  // what came, then '.' where nothing did
      for (const std::string& piece : pieces) all += piece;
      for (size_t count : reads) {
        expected += "|" + all.substr(0, count) +
                    std::string(count - std::min(count, all.size()), '.') +
                    (all.size() < count ? "!" : "");
        all.erase(0, count);
      }
      EXPECT_TRUE(ThroughFifo(path, pieces, reads, interrupted) == expected)
          << pieces.size() << " pieces, " << reads.size() << " reads"
          << (interrupted ? ", interrupted" : "");
    }
  }
  EXPECT_GT(signals, 0) << "no signal came";

  std::thread reader([&] { CFileReader(path.c_str(), Share::ShareRead); });
  CFileWriter broken(path.c_str(), Disposition::OpenExisting, Share::ShareNone);
  CFileWriter full("/dev/full", Disposition::OpenExisting, Share::ShareNone);
  reader.join();
  for (CFileWriter* writer : {&full, &broken}) {
    writer->Write("abc", 3);
    writer->Write("", 0);
    EXPECT_TRUE(writer->IsValid());
  }
  EXPECT_TRUE(vxtest::PendingPipeSignalSurvives([&] { broken.Write("abc", 3); }));
  CFileReader memory("/proc/self/mem", Share::ShareRead);
  char byte = '.';
  EXPECT_THROW(memory.Read(&byte, 1), Underrun);
  EXPECT_EQ(byte + std::to_string(memory.IsValid()) + std::to_string(memory.GetCurrentPosition()),
            ".10");
}

}  // namespace
