#include "BenchSupport.h"

#include <random>

namespace vxbench {

namespace {
int64_t fileBytes = 256 * MiB;
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int64_t size : {16 * int64_t{1}, 256 * int64_t{1}, 4 * KiB, 64 * KiB, MiB, 16 * MiB}) {
    b->Arg(size);
  }
}

std::string Letters(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> letter('a', 'z');
  std::string text(size, '\0');
  for (char& c : text) {
    c = static_cast<char>(letter(random));
  }
  return text;
}

void CountBytes(benchmark::State& state, int64_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
}

bool Check(benchmark::State& state, bool ok, const char* what) {
  if (!ok) {
    state.SkipWithError(what);
  }
  return ok;
}

int64_t FileBytes() { return fileBytes; }

void SetFileBytes(int64_t bytes) { fileBytes = bytes; }

}  // namespace vxbench
