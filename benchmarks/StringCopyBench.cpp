// Copying and destroying a string, alone and from eight threads at once;
// moving strings between vectors.
//
// The bare atomic increment and decrement of one counter is the floor of any
// reference-counted copy; std::string's deep copy (with its small-string
// storage) is what a copy costs without sharing; the old-ABI std::string,
// QByteArray and std::shared_ptr<std::string> share like VXString does.
#include <QByteArray>

#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "BenchSupport.h"
#include "CowString.h"
#include "vexlo/strings/VXString.h"

namespace {

using vxbench::Letters;

void CopySizes(benchmark::internal::Benchmark* b) {
  b->Arg(8);
  vxbench::Sizes(b);
}

void CopyAtomicIncDec(benchmark::State& state) {
  std::atomic<long> count{1};
  for (auto _ : state) {
    count.fetch_add(1, std::memory_order_seq_cst);
    benchmark::DoNotOptimize(count.fetch_sub(1, std::memory_order_seq_cst));
  }
}
BENCHMARK(CopyAtomicIncDec)->Name("Copy/AtomicIncDec");

void CopyVXString(benchmark::State& state) {
  const std::string text = Letters(static_cast<size_t>(state.range(0)));
  const vx::VXString source(text.data(), text.size());
  for (auto _ : state) {
    vx::VXString copy(source);
    benchmark::DoNotOptimize(&copy);
    benchmark::ClobberMemory();
  }
  const vx::VXString probe(source);
  vxbench::Check(state, probe.data() == source.data(), "the copy did not share the record");
}
BENCHMARK(CopyVXString)->Name("Copy/VXString")->Apply(CopySizes);

void CopyStdString(benchmark::State& state) {
  const std::string source = Letters(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    std::string copy(source);
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(CopyStdString)->Name("Copy/StdString")->Apply(CopySizes);

void CopyCowString(benchmark::State& state) {
  const std::string text = Letters(static_cast<size_t>(state.range(0)));
  const vxbench::CowString source = vxbench::CowString::FromBytes(text.data(), text.size());
  for (auto _ : state) {
    vxbench::CowString copy(source);
    benchmark::DoNotOptimize(&copy);
    benchmark::ClobberMemory();
  }
  vxbench::Check(state, source.Size() == text.size(), "COW string lost its text");
}
BENCHMARK(CopyCowString)->Name("Copy/CowString")->Apply(CopySizes);

void CopyQByteArray(benchmark::State& state) {
  const std::string text = Letters(static_cast<size_t>(state.range(0)));
  const QByteArray source(text.data(), static_cast<int>(text.size()));
  for (auto _ : state) {
    QByteArray copy(source);
    benchmark::DoNotOptimize(&copy);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(CopyQByteArray)->Name("Copy/QByteArray")->Apply(CopySizes);

void CopySharedPtrString(benchmark::State& state) {
  const auto source = std::make_shared<std::string>(Letters(64));
  for (auto _ : state) {
    std::shared_ptr<std::string> copy(source);
    benchmark::DoNotOptimize(copy.get());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(CopySharedPtrString)->Name("Copy/SharedPtrString");

// Eight threads copy and destroy one object that all of them read: every
// copy and destruction fights for the cache line of one reference count.
// Thread 0 builds the object before the timed loop and frees it after; the
// loop begins and ends at a barrier of all threads.
constexpr int kThreads = 8;
constexpr size_t kSharedSize = 64;

std::atomic<long> sharedCount{1};

void SharedAtomicIncDec(benchmark::State& state) {
  for (auto _ : state) {
    sharedCount.fetch_add(1, std::memory_order_seq_cst);
    benchmark::DoNotOptimize(sharedCount.fetch_sub(1, std::memory_order_seq_cst));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(SharedAtomicIncDec)->Name("SharedCopy/AtomicIncDec")->Threads(kThreads)->UseRealTime();

std::unique_ptr<vx::VXString> sharedVXString;

void SharedVXString(benchmark::State& state) {
  if (state.thread_index() == 0) {
    const std::string text = Letters(kSharedSize);
    sharedVXString = std::make_unique<vx::VXString>(text.data(), text.size());
  }
  for (auto _ : state) {
    vx::VXString copy(*sharedVXString);
    benchmark::DoNotOptimize(&copy);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
  if (state.thread_index() == 0) {
    sharedVXString.reset();
  }
}
BENCHMARK(SharedVXString)->Name("SharedCopy/VXString")->Threads(kThreads)->UseRealTime();

std::shared_ptr<std::string> sharedPtrString;

void SharedSharedPtrString(benchmark::State& state) {
  if (state.thread_index() == 0) {
    sharedPtrString = std::make_shared<std::string>(Letters(kSharedSize));
  }
  for (auto _ : state) {
    std::shared_ptr<std::string> copy(sharedPtrString);
    benchmark::DoNotOptimize(copy.get());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
  if (state.thread_index() == 0) {
    sharedPtrString.reset();
  }
}
BENCHMARK(SharedSharedPtrString)
    ->Name("SharedCopy/SharedPtrString")
    ->Threads(kThreads)
    ->UseRealTime();

std::unique_ptr<vxbench::CowString> sharedCowString;

void SharedCowString(benchmark::State& state) {
  if (state.thread_index() == 0) {
    const std::string text = Letters(kSharedSize);
    sharedCowString = std::make_unique<vxbench::CowString>(
        vxbench::CowString::FromBytes(text.data(), text.size()));
  }
  for (auto _ : state) {
    vxbench::CowString copy(*sharedCowString);
    benchmark::DoNotOptimize(&copy);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
  if (state.thread_index() == 0) {
    sharedCowString.reset();
  }
}
BENCHMARK(SharedCowString)->Name("SharedCopy/CowString")->Threads(kThreads)->UseRealTime();

std::unique_ptr<QByteArray> sharedQByteArray;

void SharedQByteArray(benchmark::State& state) {
  if (state.thread_index() == 0) {
    const std::string text = Letters(kSharedSize);
    sharedQByteArray = std::make_unique<QByteArray>(text.data(), static_cast<int>(text.size()));
  }
  for (auto _ : state) {
    QByteArray copy(*sharedQByteArray);
    benchmark::DoNotOptimize(&copy);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
  if (state.thread_index() == 0) {
    sharedQByteArray.reset();
  }
}
BENCHMARK(SharedQByteArray)->Name("SharedCopy/QByteArray")->Threads(kThreads)->UseRealTime();

// Moving 100 000 strings of 64 bytes from one vector into another, then
// destroying the moved-from strings: what a container pays when it moves its
// elements (growth, sorting, erasing). The vectors keep their room between
// iterations, and the strings go back and forth.
constexpr size_t kMovedStrings = 100000;
constexpr size_t kMovedSize = 64;

template <class String, class Make>
void MoveStrings(benchmark::State& state, Make make) {
  const std::string text = Letters(kMovedSize);
  std::vector<String> from, to;
  from.reserve(kMovedStrings);
  to.reserve(kMovedStrings);
  for (size_t i = 0; i < kMovedStrings; ++i) from.push_back(make(text));
  for (auto _ : state) {
    for (String& s : from) to.push_back(std::move(s));
    from.clear();
    from.swap(to);
    benchmark::ClobberMemory();
  }
  vxbench::Check(state, from.size() == kMovedStrings && to.empty(), "strings lost on the way");
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kMovedStrings));
}

void MoveVXString(benchmark::State& state) {
  MoveStrings<vx::VXString>(state,
                            [](const std::string& t) { return vx::VXString(t.data(), t.size()); });
}
BENCHMARK(MoveVXString)->Name("MoveVector/VXString");

void MoveStdString(benchmark::State& state) {
  MoveStrings<std::string>(state, [](const std::string& t) { return t; });
}
BENCHMARK(MoveStdString)->Name("MoveVector/StdString");

void MoveQByteArray(benchmark::State& state) {
  MoveStrings<QByteArray>(
      state, [](const std::string& t) { return QByteArray(t.data(), static_cast<int>(t.size())); });
}
BENCHMARK(MoveQByteArray)->Name("MoveVector/QByteArray");

}  // namespace
