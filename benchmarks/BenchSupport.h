#ifndef VEXLO_BENCHMARKS_BENCHSUPPORT_H
#define VEXLO_BENCHMARKS_BENCHSUPPORT_H

/// \file
/// Helpers shared by the benchmark cases: sizes, deterministic texts and the
/// byte counters.
///
/// Naming: every case is called `<Case>/<Implementation>[/<size>]`, for
/// example `Copy/StdString/65536` beside `Copy/VXString/65536`, so that
/// scripts/bench_report.py can put each of ours next to its peer.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace vxbench {

constexpr int64_t KiB = 1024;
constexpr int64_t MiB = 1024 * KiB;

/// Adds the sizes of every case whose cost depends on the size:
/// 16 B, 256 B, 4 KiB, 64 KiB, 1 MiB and 16 MiB.
void Sizes(benchmark::internal::Benchmark* b);

/// `size` lower-case ASCII letters, the same for the same seed on every run.
std::string Letters(size_t size, uint32_t seed = 1);

/// Counts `bytes` processed per iteration (so the JSON carries throughput).
void CountBytes(benchmark::State& state, int64_t bytes);

/// Marks the run as failed when `ok` is false: a case whose result is wrong
/// measured nothing worth reporting.
bool Check(benchmark::State& state, bool ok, const char* what);

/// The byte count of the file cases: 256 MiB, or what --file_mib= asked for.
int64_t FileBytes();
void SetFileBytes(int64_t bytes);

/// Registers the file cases (FileBench.cpp) once FileBytes() is settled.
void RegisterFileBenchmarks();

}  // namespace vxbench

#endif  // VEXLO_BENCHMARKS_BENCHSUPPORT_H
