#ifndef VEXLO_FUZZ_SUPPORT_FUZZTALLY_H
#define VEXLO_FUZZ_SUPPORT_FUZZTALLY_H

#include <array>
#include <cstddef>
#include <cstdio>

namespace vxfuzz {

/// Counters of what a fuzz target saw (operations run, underruns, malformed
/// values rejected, allocation failures survived), printed to the standard
/// output when the program ends:
///
///     [stream_input] inputs 81234, gets 1201223, underruns 80042, ...
///
/// Counting allocates nothing, so it does not disturb the leak check.
///
///     enum { kInputs, kUnderruns };
///     vxfuzz::FuzzTally& Tally() { static vxfuzz::FuzzTally t("stream_input"); return t; }
///     Tally().Add(kUnderruns, "underruns");
class FuzzTally {
 public:
  static constexpr std::size_t kCounters = 16;

  explicit FuzzTally(const char* target) : target_(target) {}
  FuzzTally(const FuzzTally&) = delete;
  FuzzTally& operator=(const FuzzTally&) = delete;

  ~FuzzTally() {
    std::printf("[%s]", target_);
    const char* separator = " ";
    for (std::size_t i = 0; i < kCounters; ++i) {
      if (names_[i] == nullptr) continue;
      std::printf("%s%s %ld", separator, names_[i], values_[i]);
      separator = ", ";
    }
    std::printf("\n");
    std::fflush(stdout);
  }

  /// Adds `n` to counter `slot`, which prints as `name`.
  void Add(std::size_t slot, const char* name, long n = 1) {
    names_[slot] = name;
    values_[slot] += n;
  }

 private:
  const char* target_;
  std::array<const char*, kCounters> names_{};
  std::array<long, kCounters> values_{};
};

}  // namespace vxfuzz

#endif  // VEXLO_FUZZ_SUPPORT_FUZZTALLY_H
