// Encoding through the typed streams. The floor of the portable stream's
// block transfer is a memcpy of the text it produces: 1 MiB of bytes becomes
// 2 MiB of hexadecimal digits.
#include <cstring>
#include <string>
#include <vector>

#include "BenchSupport.h"

namespace {

void HexMemcpy2MiB(benchmark::State& state) {
  const std::string source = vxbench::Letters(static_cast<size_t>(2 * vxbench::MiB));
  std::vector<char> target(source.size());
  for (auto _ : state) {
    benchmark::DoNotOptimize(source.data());
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::ClobberMemory();
  }
  vxbench::Check(state, std::memcmp(target.data(), source.data(), source.size()) == 0,
                 "memcpy copied wrong bytes");
  vxbench::CountBytes(state, 2 * vxbench::MiB);
}
BENCHMARK(HexMemcpy2MiB)->Name("PortableBlock1MiB/Memcpy2MiB")->Unit(benchmark::kMicrosecond);

}  // namespace
