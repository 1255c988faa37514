#include "vexlo/tvc/LogErr.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(LogErrThreads, ConcurrentMessagesStayWholeLines) {
  constexpr int kThreads = 8;
  constexpr int kMessages = 200;
  testing::internal::CaptureStderr();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int m = 0; m < kMessages; ++m) {
        tvc::LogErr("thread %d message %Iu of a line long enough to be cut by a careless writer", t,
                    static_cast<size_t>(m));
      }
    });
  }
  for (auto& thread : threads) thread.join();
  std::istringstream lines(testing::internal::GetCapturedStderr());

  std::map<int, int> next;  // per thread, the message number expected next
  std::string line;
  int total = 0;
  while (std::getline(lines, line)) {
    int t = -1;
    size_t m = 0;
    char tail[128] = {};
    ASSERT_EQ(std::sscanf(line.c_str(), "thread %d message %zu of a %127[^\n]", &t, &m, tail), 3)
        << line;
    EXPECT_STREQ(tail, "line long enough to be cut by a careless writer");
    EXPECT_EQ(static_cast<int>(m), next[t]++) << "thread " << t;
    ++total;
  }
  EXPECT_EQ(total, kThreads * kMessages);
}

}  // namespace
