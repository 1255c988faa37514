// append(char) one million times against std::string::push_back, in a plain
// program built against an installed library (scripts/append_plain.sh): no
// benchmark framework around the loops, and the library reached through its
// installed headers and shared object as any user's program reaches it.
// Prints the median processor time of each and their ratio.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include <vexlo/strings/VXString.h>

namespace {

constexpr int kAppends = 1000000;
constexpr int kRounds = 31;

char ByteAt(int i) { return static_cast<char>('a' + (i & 15)); }

// Seconds of processor time that `run` takes; `run` answers a length that
// must be kAppends.
template <class Run>
double Time(Run run) {
  const std::clock_t start = std::clock();
  const size_t length = run();
  const std::clock_t end = std::clock();
  if (length != static_cast<size_t>(kAppends)) {
    std::fprintf(stderr, "wrong length %zu\n", length);
    std::exit(1);
  }
  return static_cast<double>(end - start) / CLOCKS_PER_SEC;
}

size_t AppendVXString() {
  vx::VXString text;
  for (int i = 0; i < kAppends; ++i) text.append(ByteAt(i));
  return text.data()[kAppends - 1] == ByteAt(kAppends - 1) ? text.length() : 0;
}

size_t PushBackStdString() {
  std::string text;
  for (int i = 0; i < kAppends; ++i) text.push_back(ByteAt(i));
  return text[kAppends - 1] == ByteAt(kAppends - 1) ? text.size() : 0;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main() {
  std::vector<double> ours, theirs;
  for (int round = 0; round < kRounds; ++round) {
    // Alternating order, so that neither always runs on a warm heap.
    if (round % 2 == 0) {
      ours.push_back(Time(AppendVXString));
      theirs.push_back(Time(PushBackStdString));
    } else {
      theirs.push_back(Time(PushBackStdString));
      ours.push_back(Time(AppendVXString));
    }
  }
  const double a = Median(ours), b = Median(theirs);
  std::printf("append(char) x %d: %.3f ms, push_back: %.3f ms, ratio %.2f (median of %d)\n",
              kAppends, a * 1e3, b * 1e3, a / b, kRounds);
  return 0;
}
