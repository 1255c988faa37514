// Encoding through the typed streams into memory. The floor of the portable
// stream's block transfer is a memcpy of the text it produces: 1 MiB of bytes
// becomes 2 MiB of hexadecimal digits. Integers are put one million at a time
// through both output streams, which write the same values, one as 4 raw
// bytes and one as 8 digits. Every writer is sized for its result up front,
// so that the cases measure the streams and not the writer's growth.
#include <cstring>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "vexlo/channels/CMemReader.h"
#include "vexlo/channels/CMemWriter.h"
#include "vexlo/streams/CBinaryOutputStream.h"
#include "vexlo/streams/CPortableInputStream.h"
#include "vexlo/streams/CPortableOutputStream.h"

namespace {

constexpr size_t kBlock = static_cast<size_t>(vxbench::MiB);
constexpr int kInts = 1000000;

void PortableBlockMemcpy(benchmark::State& state) {
  const std::string source = vxbench::Letters(2 * kBlock);
  std::vector<char> target(source.size());
  for (auto _ : state) {
    benchmark::DoNotOptimize(source.data());
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::ClobberMemory();
  }
  vxbench::Check(state, std::memcmp(target.data(), source.data(), source.size()) == 0,
                 "memcpy copied wrong bytes");
  vxbench::CountBytes(state, static_cast<int64_t>(kBlock));
}
BENCHMARK(PortableBlockMemcpy)->Name("PortableBlock1MiB/Memcpy2MiB")->Unit(benchmark::kMicrosecond);

void PortableBlockPutN(benchmark::State& state) {
  const std::string block = vxbench::Letters(kBlock);
  bool ok = true;
  for (auto _ : state) {
    vx::CMemWriter writer(2 * kBlock);
    vx::CPortableOutputStream out(&writer);
    out.PutN(block.data(), block.size());
    benchmark::DoNotOptimize(writer.GetData());
    // 'a' to 'z' are 0x61 to 0x7A: every other digit is a 6 or a 7.
    ok = ok && writer.GetSize() == 2 * kBlock && (writer.GetData()[2 * kBlock - 2] | 1) == '7';
  }
  vxbench::Check(state, ok, "PutN wrote the wrong text");
  vxbench::CountBytes(state, static_cast<int64_t>(kBlock));
}
BENCHMARK(PortableBlockPutN)->Name("PortableBlock1MiB/PutN")->Unit(benchmark::kMicrosecond);

void PortableBlockGetN(benchmark::State& state) {
  const std::string block = vxbench::Letters(kBlock);
  vx::CMemWriter encoded(2 * kBlock);
  vx::CPortableOutputStream(&encoded).PutN(block.data(), block.size());
  std::vector<char> decoded(kBlock);
  for (auto _ : state) {
    vx::CMemReader reader(encoded.GetData(), encoded.GetSize());
    vx::CPortableInputStream in(&reader);
    in.GetN(decoded.data(), decoded.size());
    benchmark::ClobberMemory();
  }
  vxbench::Check(state, std::memcmp(decoded.data(), block.data(), kBlock) == 0,
                 "GetN decoded the wrong bytes");
  vxbench::CountBytes(state, static_cast<int64_t>(kBlock));
}
BENCHMARK(PortableBlockGetN)->Name("PortableBlock1MiB/GetN")->Unit(benchmark::kMicrosecond);

template <class Stream>
void PutInts(benchmark::State& state, size_t encodedWidth) {
  bool ok = true;
  for (auto _ : state) {
    vx::CMemWriter writer(kInts * encodedWidth);
    Stream out(&writer);
    for (int i = 0; i < kInts; ++i) {
      out.PutInt(i);
    }
    benchmark::DoNotOptimize(writer.GetData());
    ok = ok && writer.GetSize() == kInts * encodedWidth;
  }
  vxbench::Check(state, ok, "the stream wrote the wrong number of bytes");
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kInts);
}
void PutIntsBinary(benchmark::State& state) { PutInts<vx::CBinaryOutputStream>(state, 4); }
BENCHMARK(PutIntsBinary)->Name("PutInt1M/Binary")->Unit(benchmark::kMillisecond);

void PutIntsPortable(benchmark::State& state) { PutInts<vx::CPortableOutputStream>(state, 8); }
BENCHMARK(PutIntsPortable)->Name("PutInt1M/Portable")->Unit(benchmark::kMillisecond);

}  // namespace
