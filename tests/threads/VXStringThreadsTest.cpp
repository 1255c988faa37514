#include "vexlo/strings/VXString.h"

#include <gtest/gtest.h>

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
// let go or change their handle. The holders that detach race with the ones
// that let go, down to the last two; the count alone must order every read
// of the old text before the last holder writes or frees it.
TEST(VXStringThreads, HoldersOfOneRecordDetachAndLetGoAtOnce) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 1500;
  std::vector<VXString> slots(kThreads);
  std::vector<std::string> results(kThreads);
  Turnstile turnstile(kThreads + 1);
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&, t] {
      for (int round = 0; round < kRounds; ++round) {
        turnstile.Arrive();  // the slots are filled
        VXString& mine = slots[t];
        const std::string before = Text(mine);
        switch ((t + round) % 4) {
          case 0:
            mine.append(" plus more");
            break;
          case 1: {
            mine[0] = 'R';
            const VXString copy(mine);  // copies the bytes of the marked record
            mine = copy;
            break;
          }
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
  int mismatches = 0;
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
      const std::string expected[] = {text + " plus more", "R" + text.substr(1), "unrelated", upper};
      if (results[t] != text + "|" + expected[(t + round) % 4]) ++mismatches;
      if (results[t] != text + "|" + Text(slots[t])) ++mismatches;
    }
  }
  for (auto& worker : workers) worker.join();
  EXPECT_EQ(mismatches, 0);
}

// Free-running: every thread copies, assigns, edits and drops handles that
// share records with the other threads' handles, and with two strings that
// all of them read, one of them marked unshareable.
TEST(VXStringThreads, CopiesAssignmentsAndEditsAcrossThreads) {
  constexpr int kThreads = 4;
  constexpr int kIterations = 20000;
  const VXString shared("a text that every thread copies");
  VXString markedSource("marked text");
  markedSource[0] = 'M';
  const VXString& marked = markedSource;
  std::vector<int> failures(kThreads, 0);
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&, t] {
      VXString kept(shared);
      for (int i = 0; i < kIterations; ++i) {
        VXString a(shared);
        VXString b;
        b = a;
        VXString c(b);
        c.append('x');
        b[0] = 'A';
        VXString d(marked);
        if (i % 3 == 0) kept = a;
        if (i % 5 == 0) kept = d;
        if (i % 7 == 0) kept.replace(0, 1, "K");
        if (Text(a) != "a text that every thread copies" || Text(c) != Text(shared) + "x" ||
            Text(b) != "A text that every thread copies" || Text(d) != "Marked text" ||
            a.data() != shared.data()) {
          ++failures[t];
        }
      }
      if (Text(kept).substr(1) != "arked text" && Text(kept).substr(1) != " text that every thread copies") {
        ++failures[t];
      }
    });
  }
  for (auto& worker : workers) worker.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
  EXPECT_EQ(Text(shared), "a text that every thread copies");
  EXPECT_EQ(Text(marked), "Marked text");
}

}  // namespace
