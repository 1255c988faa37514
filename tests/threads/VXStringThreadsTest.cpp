// Eight threads share, copy, assign, detach (by editing and through the
// writable index), hand to each other and give up strings whose records the
// other threads hold at the same time, all of them copying the same strings
// at once.
// Under the thread sanitizer (preset tsan) any unordered access to a record
// is reported; every build checks that each string reads what its own thread
// put there, and that afterwards every source holds its text alone again.
#include "vexlo/strings/VXString.h"

#include <gtest/gtest.h>

#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct vx::detail::VXStringTestAccess {
  static long Count(const VXString& s) { return s.rep_->refCount.load(); }
};

namespace {

using vx::VXString;
using Access = vx::detail::VXStringTestAccess;

TEST(VXStringThreads, StringsSharedAcrossThreadsKeepTheirOwnText) {
  std::vector<std::string> texts;
  std::vector<VXString> sources;
  for (char c = 'a'; c < 'q'; ++c) sources.emplace_back(texts.emplace_back(c % 7 * 6, c).c_str());
  std::mutex mutex;
  std::pair<VXString, std::string> handed;  // shared between threads under the mutex
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      std::mt19937 random(t);
      std::pair<VXString, std::string> mine;  // a string and the text it must hold
      for (int i = 0; i < 300000; ++i) {
        const size_t k = random() % sources.size();
        const VXString copy(sources[k]);  // by every thread at once
        // clang-format off
        switch (random() % 5) {
          case 0: mine.first = sources[k]; mine.second = texts[k]; break;
          case 1: mine.first.append("+"); mine.second += '+'; break;
          case 2: if (!mine.second.empty()) mine.first[0] = mine.second[0] = '#'; break;
          case 3: { std::lock_guard<std::mutex> lock(mutex); handed = mine; } break;
          default: { std::lock_guard<std::mutex> lock(mutex); mine = handed; } break;
        }
        // clang-format on
        ASSERT_EQ(mine.first.view(), mine.second) << "thread " << t << ", step " << i;
        ASSERT_EQ(copy.data(), sources[k].data()) << "a copy of source " << k << " shares it";
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  handed.first = VXString();
  for (size_t k = 0; k < sources.size(); ++k) {
    EXPECT_EQ(sources[k].view(), texts[k]) << "source " << k;
    EXPECT_EQ(Access::Count(sources[k]), 1) << "source " << k << " is held alone again";
  }
}

}  // namespace
