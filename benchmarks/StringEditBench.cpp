// Growing a string one byte at a time: one million appends to a string that
// starts empty, the way a parser or an encoder builds its output.
#include <QByteArray>

#include <string>

#include "BenchSupport.h"
#include "CowString.h"
#include "vexlo/strings/VXString.h"

namespace {

constexpr int kAppends = 1000000;

char ByteAt(int i) { return static_cast<char>('a' + (i & 15)); }

void AppendVXString(benchmark::State& state) {
  for (auto _ : state) {
    vx::VXString text;
    for (int i = 0; i < kAppends; ++i) {
      text.append(ByteAt(i));
    }
    benchmark::DoNotOptimize(text.data());
    vxbench::Check(state, text.length() == kAppends, "wrong length");
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kAppends);
}
BENCHMARK(AppendVXString)->Name("AppendChar1M/VXString")->Unit(benchmark::kMillisecond);

void AppendStdString(benchmark::State& state) {
  for (auto _ : state) {
    std::string text;
    for (int i = 0; i < kAppends; ++i) {
      text.push_back(ByteAt(i));
    }
    benchmark::DoNotOptimize(text.data());
    vxbench::Check(state, text.size() == kAppends, "wrong length");
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kAppends);
}
BENCHMARK(AppendStdString)->Name("AppendChar1M/StdString")->Unit(benchmark::kMillisecond);

void AppendCowString(benchmark::State& state) {
  for (auto _ : state) {
    vxbench::CowString text;
    for (int i = 0; i < kAppends; ++i) {
      text.PushBack(ByteAt(i));
    }
    benchmark::DoNotOptimize(text.Data());
    vxbench::Check(state, text.Size() == kAppends, "wrong length");
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kAppends);
}
BENCHMARK(AppendCowString)->Name("AppendChar1M/CowString")->Unit(benchmark::kMillisecond);

void AppendQByteArray(benchmark::State& state) {
  for (auto _ : state) {
    QByteArray text;
    for (int i = 0; i < kAppends; ++i) {
      text.append(ByteAt(i));
    }
    benchmark::DoNotOptimize(text.data());
    vxbench::Check(state, text.size() == kAppends, "wrong length");
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kAppends);
}
BENCHMARK(AppendQByteArray)->Name("AppendChar1M/QByteArray")->Unit(benchmark::kMillisecond);

}  // namespace
