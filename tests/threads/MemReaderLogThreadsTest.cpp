// Memory readers failing on several threads at once: each failure logs one
// line through the logger, and the lines of different threads must come out
// whole, each with its own reader's numbers, none lost.

#include "vexlo/channels/CMemReader.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(MemReaderLogThreads, ConcurrentUnderrunsLogWholeLines) {
  constexpr size_t kThreads = 6;
  constexpr size_t kFailures = 150;
  testing::internal::CaptureStderr();
  std::vector<std::thread> threads;
  std::vector<int> thrown(kThreads, 0);
  for (size_t t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &thrown] {
      // Reader t holds t + 1 bytes and asks for 1000 * (t + 1) + m of them.
      const std::vector<unsigned char> bytes(t + 1, 0x5A);
      vx::CMemReader reader(bytes);
      unsigned char sink[1];
      reader.Read(sink, 1);  // position 1, so the line carries it
      for (size_t m = 0; m < kFailures; ++m) {
        std::vector<unsigned char> buffer(1000 * (t + 1) + m);
        try {
          reader.Read(buffer.data(), buffer.size());
        } catch (const tvc::TVCBufferUnderrunException&) {
          ++thrown[t];
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  std::istringstream lines(testing::internal::GetCapturedStderr());

  std::map<size_t, size_t> next;  // per reader, the m expected next
  std::string line;
  size_t total = 0;
  while (std::getline(lines, line)) {
    size_t count = 0, position = 0, size = 0;
    char tail[32] = {};
    ASSERT_EQ(std::sscanf(line.c_str(),
                          "CMemReader Read failure - attempt to read %zu bytes from position %zu "
                          "of %zu byte %31[^\n]",
                          &count, &position, &size, tail),
              4)
        << line;
    EXPECT_STREQ(tail, "buffer");
    ASSERT_GE(size, 1u);
    ASSERT_LE(size, kThreads);
    const size_t t = size - 1;
    EXPECT_EQ(position, 1u);
    EXPECT_EQ(count, 1000 * (t + 1) + next[t]) << "reader " << t << ": a line lost or garbled";
    ++next[t];
    ++total;
  }
  EXPECT_EQ(total, kThreads * kFailures);
  for (size_t t = 0; t < kThreads; ++t) EXPECT_EQ(thrown[t], static_cast<int>(kFailures));
}

}  // namespace
