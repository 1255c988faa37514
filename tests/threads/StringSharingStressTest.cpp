// Concurrency stress for the shared string records: many threads copying,
// assigning, detaching and destroying strings whose records other threads
// hold at the same time. Run under ThreadSanitizer (preset tsan), which
// reports any unsynchronised access to a record; in the other builds the
// checks of texts, sharing and counts still apply.

#include "vexlo/strings/VXString.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <deque>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/AllocationFailure.h"

namespace {

using vx::VXString;
using Clock = std::chrono::steady_clock;

constexpr int kThreads = 8;
constexpr auto kDuration = std::chrono::milliseconds(2500);

std::string Text(const VXString& s) { return std::string(s.data(), s.length()); }

// The texts that the shared strings hold; every copy taken from source k
// must read sourceText(k) until its holder changes it.
std::string SourceText(std::size_t k) {
  return std::string(k % 3 == 0 ? 40 : 5 + k, static_cast<char>('a' + k % 26));
}

// A queue through which threads hand strings to each other, so that a record
// is often given up on another thread than the one that copied it.
class Exchange {
 public:
  void Put(const VXString& s) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (queue_.size() < 64) queue_.push_back(s);
  }
  bool Take(VXString& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (queue_.empty()) return false;
    out = queue_.front();
    queue_.pop_front();
    return true;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.clear();
  }

 private:
  std::mutex mutex_;
  std::deque<VXString> queue_;
};

TEST(StringSharingStress, CopyDetachAndDestroyAcrossThreads) {
  const long before = vxtest::LiveAllocations();
  {
    std::vector<VXString> sources;
    for (std::size_t k = 0; k < 16; ++k) {
      const std::string t = SourceText(k);
      sources.emplace_back(t.data(), t.size());
    }
    Exchange exchange;
    std::atomic<long> operations{0};
    std::atomic<int> failures{0};
    const auto stop = Clock::now() + kDuration;

    auto worker = [&](unsigned seed) {
      std::mt19937 rng(seed);
      std::vector<VXString> mine(8);
      std::vector<std::string> expected(8);
      long done = 0;
      while (Clock::now() < stop) {
        for (int round = 0; round < 64; ++round, ++done) {
          const std::size_t slot = rng() % mine.size();
          const std::size_t k = rng() % sources.size();
          switch (rng() % 8) {
            case 0:  // share a record that every thread shares
              mine[slot] = sources[k];
              expected[slot] = SourceText(k);
              break;
            case 1: {  // copy construction and destruction of the copy
              const VXString copy(sources[k]);
              if (copy.data() != sources[k].data()) failures.fetch_add(1);
              break;
            }
            case 2:  // detach by editing
              mine[slot].append("+", 1);
              expected[slot] += '+';
              break;
            case 3:  // detach by case folding
              mine[slot].toUpper();
              for (char& c : expected[slot]) {
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
              }
              break;
            case 4:  // make unshareable, write through the reference
              if (!expected[slot].empty()) {
                mine[slot][0] = '#';
                expected[slot][0] = '#';
              }
              break;
            case 5: {  // hand a share to another thread
              exchange.Put(mine[slot]);
              break;
            }
            case 6: {  // take a share some thread handed over, then drop it
              VXString taken;
              if (exchange.Take(taken)) {
                mine[slot] = taken;
                expected[slot] = Text(taken);
              }
              break;
            }
            default:  // give the record up
              mine[slot] = VXString();
              expected[slot].clear();
              break;
          }
          if (Text(mine[slot]) != expected[slot]) failures.fetch_add(1);
        }
      }
      operations.fetch_add(done);
    };

    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
      threads.emplace_back(worker, 1000u + static_cast<unsigned>(t));
    for (auto& thread : threads) thread.join();
    exchange.Clear();

    EXPECT_EQ(failures.load(), 0);
    EXPECT_GT(operations.load(), 10000);
    std::printf("[threads] %ld string operations on %d threads\n", operations.load(), kThreads);
    for (std::size_t k = 0; k < sources.size(); ++k) {
      EXPECT_EQ(Text(sources[k]), SourceText(k)) << "source " << k << " was written";
      // Every other holder is gone: an edit happens in place again, so the
      // count came back to exactly one.
      if (sources[k].capacity() > sources[k].length() + 1) {
        const char* before = sources[k].data();
        sources[k].append("z", 1);
        EXPECT_EQ(sources[k].data(), before) << "source " << k << " still counts other holders";
      }
    }
  }
  if (vxtest::AllocationFailureInjectable()) {
    EXPECT_EQ(vxtest::LiveAllocations(), before);
  }
}

TEST(StringSharingStress, OneStringCopiedByManyThreadsAtOnce) {
  VXString shared(std::string(100, 's').c_str());
  const char* const text = shared.data();
  std::atomic<bool> go{false};
  std::atomic<long> copies{0};
  std::atomic<long> mismatches{0};
  const auto stop = Clock::now() + kDuration;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      while (!go.load()) std::this_thread::yield();
      std::vector<VXString> held;
      long n = 0;
      while (Clock::now() < stop) {
        for (int i = 0; i < 256; ++i, ++n) {
          held.emplace_back(shared);                                          // raise the count
          if (held.size() > 32) held.erase(held.begin(), held.begin() + 16);  // lower it
          VXString assigned;
          assigned = shared;  // raise and lower through assignment
          if (assigned.data() != text) mismatches.fetch_add(1);
        }
      }
      copies.fetch_add(n);
    });
  }
  go.store(true);
  for (auto& thread : threads) thread.join();
  EXPECT_GT(copies.load(), 10000);
  EXPECT_EQ(mismatches.load(), 0);
  std::printf("[threads] %ld copies of one string on %d threads\n", copies.load(), kThreads);
  EXPECT_EQ(shared.data(), text);
  EXPECT_EQ(Text(shared), std::string(100, 's'));
  shared.append("!", 1);  // the only holder again: edited in place
  EXPECT_EQ(shared.data(), text);
}

}  // namespace
