// Memory readers underrunning on several threads at once: each underrun logs
// one line through the logger, and the lines come out whole, each with its
// own reader's numbers, in each reader's order, none lost.

#include <gtest/gtest.h>

#include <sstream>  // and std::string
#include <thread>

#include "vexlo/channels/CMemReader.h"  // and std::vector
#include "vexlo/tvc/TVCBufferUnderrunException.h"

namespace {

TEST(LogLinesThreads, ConcurrentUnderrunsLogWholeLinesWithTheirOwnNumbers) {
  constexpr size_t kThreads = 6, kUnderruns = 150;
  testing::internal::CaptureStderr();
  std::vector<std::thread> threads;
  for (size_t t = 1; t <= kThreads; ++t)
    threads.emplace_back([t] {  // reader t holds t bytes, and underruns from position 1
      std::vector<unsigned char> bytes(t, 0), buffer(1000 * t + kUnderruns);
      vx::CMemReader reader(bytes);
      reader.Read(buffer.data(), 1);
      for (size_t m = 0; m < kUnderruns; ++m)
        EXPECT_THROW(reader.Read(buffer.data(), 1000 * t + m), tvc::TVCBufferUnderrunException);
    });
  for (std::thread& thread : threads) thread.join();
  std::istringstream lines(testing::internal::GetCapturedStderr());
  std::vector<size_t> logged(kThreads, 0);  // per reader, the lines so far
  for (std::string line; std::getline(lines, line);) {
    const size_t size = std::stoul(line.substr(line.rfind(" of ") + 4));  // the reader's
    EXPECT_EQ(line, "CMemReader Read failure - attempt to read " +
                        std::to_string(1000 * size + logged.at(size - 1)++) +
                        " bytes from position 1 of " + std::to_string(size) + " byte buffer");
  }
  EXPECT_EQ(logged, std::vector<size_t>(kThreads, kUnderruns));
}

}  // namespace
