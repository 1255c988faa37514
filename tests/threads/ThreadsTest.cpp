// What runs on many threads at once, under the thread sanitizer too (preset
// tsan), where any unordered access is reported: strings whose records other
// threads hold, and the logger's lines.
#include <gtest/gtest.h>

#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "vexlo/channels/CMemReader.h"
#include "vexlo/strings/VXString.h"

struct vx::detail::VXStringTestAccess {
  static long Count(const VXString& s) { return s.rep_->refCount.load(); }
};

namespace {

// Eight threads copy, assign, detach (by editing and through the writable index) and swap with a
// shared slot strings whose records the others hold, all of them copying the same sources at
// once: each string reads what its own thread put there, and afterwards every source holds its
// text alone again.
TEST(VXStringThreads, StringsSharedAcrossThreadsKeepTheirOwnText) {
  std::vector<std::string> texts;
  std::vector<vx::VXString> sources;
  for (char c = 'a'; c < 'q'; ++c) sources.emplace_back(texts.emplace_back(c % 7 * 6, c).c_str());
  std::mutex mutex;
  std::pair<vx::VXString, std::string> handed;  // shared between threads under the mutex
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < 8; ++t)
    threads.emplace_back([&, t] {
      std::mt19937 random(t);
      std::pair<vx::VXString, std::string> mine;  // a string and the text it must hold
      for (int i = 0; i < 300000; ++i) {
        const size_t k = random() % sources.size();
        const vx::VXString copy(sources[k]);  // by every thread at once
        // clang-format off
        switch (random() % 4) {
          case 0: mine.first = sources[k]; mine.second = texts[k]; break;
          case 1: mine.first.append("+"); mine.second += '+'; break;
          case 2: if (!mine.second.empty()) mine.first[0] = mine.second[0] = '#'; break;
          default: { std::lock_guard<std::mutex> lock(mutex); std::swap(mine, handed); } break;
        }
        // clang-format on
        ASSERT_TRUE(mine.first.view() == mine.second && copy.data() == sources[k].data())
            << "thread " << t << ", step " << i << ": its own text, and a copy that shares";
      }
    });
  for (std::thread& thread : threads) thread.join();
  handed = {};
  for (size_t k = 0; k < sources.size(); ++k)
    EXPECT_TRUE(sources[k].view() == texts[k] &&
                vx::detail::VXStringTestAccess::Count(sources[k]) == 1)
        << "source " << k << " holds its text alone again";
}

// Memory readers underrun on six threads at once, each logging one line per underrun: the lines
// come out whole, each with its own reader's numbers, in each reader's order, none lost.
TEST(LogLinesThreads, ConcurrentUnderrunsLogWholeLinesWithTheirOwnNumbers) {
  testing::internal::CaptureStderr();
  std::vector<std::thread> threads;
  for (size_t t = 1; t <= 6; ++t)
    threads.emplace_back([t] {  // reader t holds t bytes, and underruns from position 1
      vx::CMemReader reader(reinterpret_cast<const unsigned char*>("abcdef"), t);
      reader.Read(std::vector<unsigned char>(1).data(), 1);
      for (size_t m = 0; m < 150; ++m) EXPECT_ANY_THROW(reader.Read(nullptr, 1000 * t + m));
    });
  for (std::thread& thread : threads) thread.join();
  std::istringstream lines(testing::internal::GetCapturedStderr());
  std::vector<size_t> logged(6, 0);  // per reader, the lines so far
  for (std::string line; std::getline(lines, line);) {
    const size_t size = std::stoul(line.substr(line.rfind(" of ") + 4));  // the reader's
    EXPECT_EQ(line, "CMemReader Read failure - attempt to read " +
                        std::to_string(1000 * size + logged.at(size - 1)++) +
                        " bytes from position 1 of " + std::to_string(size) + " byte buffer");
  }
  EXPECT_EQ(logged, std::vector<size_t>(6, 150));
}

}  // namespace
