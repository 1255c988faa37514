#include "vexlo/strings/VXString.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using vx::VXString;

std::string Text(const VXString& s) { return std::string(s.data(), s.length()); }

// Lets the main thread and the workers take turns, round by round.
class Turnstile {
 public:
  explicit Turnstile(int parties) : parties_(parties) {}
  void Arrive() {
    std::unique_lock<std::mutex> lock(mutex_);
    const long generation = generation_;
    if (++arrived_ == parties_) {
      arrived_ = 0;
      ++generation_;
      ready_.notify_all();
    } else {
      ready_.wait(lock, [&] { return generation_ != generation; });
    }
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  const int parties_;
  int arrived_ = 0;
  long generation_ = 0;
};

std::string RoundText(int round) { return "round " + std::to_string(round) + " of shared text"; }

// Each round, every worker holds one of several handles to one record (the
// string that made it is gone), then all of them at once read it and either
// let go or change their handle, while copying two strings that all of them
// share (one marked unshareable). The holders that detach race with the ones
// that let go, down to the last two; the count alone must order every read
// of the old text before the last holder writes or frees it.
TEST(VXStringThreads, HoldersOfOneRecordDetachAndLetGoAtOnce) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 1500;
  std::vector<VXString> slots(kThreads);
  const VXString common("every worker copies this");
  VXString marked("and this");
  marked[0] = 'A';
  std::atomic<int> mismatches{0};
  std::vector<std::string> results(kThreads);
  Turnstile turnstile(kThreads + 1);
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&, t] {
      for (int round = 0; round < kRounds; ++round) {
        turnstile.Arrive();  // the slots are filled
        VXString& mine = slots[t];
        const std::string before = Text(mine);
        const VXString fromShared(common), fromMarked(marked);  // read by every worker at once
        if (fromShared.data() != common.data() || fromMarked.data() == marked.data()) ++mismatches;
        switch ((t + round) % 4) {
          case 0:
            mine.append(" plus more");
            break;
          case 1:
            mine[0] = 'R';
            mine = VXString(mine);
            break;  // a copy of a marked record
          case 2:
            mine = VXString("unrelated");
            break;
          default:
            mine.toUpper();
            break;
        }
        results[t] = before + "|" + Text(mine);
        turnstile.Arrive();  // done with the slot
      }
    });
  }
  for (int round = 0; round < kRounds; ++round) {
    {
      const VXString base(RoundText(round).c_str());
      for (VXString& slot : slots) slot = base;
    }
    turnstile.Arrive();
    turnstile.Arrive();
    const std::string text = RoundText(round);
    std::string upper = text;
    for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    for (int t = 0; t < kThreads; ++t) {
      const std::string expected[] = {text + " plus more", "R" + text.substr(1), "unrelated",
                                      upper};
      if (results[t] != text + "|" + expected[(t + round) % 4]) ++mismatches;
      if (results[t] != text + "|" + Text(slots[t])) ++mismatches;
    }
  }
  for (auto& worker : workers) worker.join();
  EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
