// Searching, comparing and hashing the bytes of a text, against the C
// library functions that mark the physical limit of each scan and against
// Boost's hash_range.
//
// Every text is lower-case ASCII letters of a fixed seed. The byte searched
// for, and the 8-byte pattern, sit at the very end, so each search reads the
// whole text and each answer is known in advance.
#include <strings.h>

#include <boost/container_hash/hash.hpp>

#include <cstdint>
#include <cstring>
#include <string>

#include "BenchSupport.h"
#include "vexlo/strings/VXString.h"

namespace {

using vxbench::Check;
using vxbench::CountBytes;
using vxbench::Letters;

constexpr char kNeedle = '#';
constexpr size_t kPatternSize = 8;

size_t SizeOf(const benchmark::State& state) { return static_cast<size_t>(state.range(0)); }

std::string TextEndingIn(size_t size, char last) {
  std::string text = Letters(size);
  text.back() = last;
  return text;
}

std::string Pattern() { return Letters(kPatternSize, 2); }

std::string TextEndingInPattern(size_t size) {
  std::string text = Letters(size);
  text.replace(size - kPatternSize, kPatternSize, Pattern());
  return text;
}

std::string Upper(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

vx::VXString ToVX(const std::string& text) { return vx::VXString(text.data(), text.size()); }

void FindCharVXString(benchmark::State& state) {
  const vx::VXString text = ToVX(TextEndingIn(SizeOf(state), kNeedle));
  size_t found = vx::NPOS;
  for (auto _ : state) {
    benchmark::DoNotOptimize(text.data());
    found = text.first(kNeedle);
    benchmark::DoNotOptimize(found);
  }
  Check(state, found == text.length() - 1, "first(char) missed the byte");
  CountBytes(state, state.range(0));
}
BENCHMARK(FindCharVXString)->Name("FindChar/VXString")->Apply(vxbench::Sizes);

void FindCharMemchr(benchmark::State& state) {
  const std::string text = TextEndingIn(SizeOf(state), kNeedle);
  const void* found = nullptr;
  for (auto _ : state) {
    benchmark::DoNotOptimize(text.data());
    found = std::memchr(text.data(), kNeedle, text.size());
    benchmark::DoNotOptimize(found);
  }
  Check(state, found == text.data() + text.size() - 1, "memchr missed the byte");
  CountBytes(state, state.range(0));
}
BENCHMARK(FindCharMemchr)->Name("FindChar/memchr")->Apply(vxbench::Sizes);

// The same 8-byte pattern, searched as it stands and in upper case with the
// case ignored: both find it at the end.
void FindSeqVXString(benchmark::State& state, vx::VXString::ECaseComp mode) {
  const std::string letters = TextEndingInPattern(SizeOf(state));
  const vx::VXString text = ToVX(letters);
  const std::string pattern = mode == vx::VXString::Exact ? Pattern() : Upper(Pattern());
  size_t found = vx::NPOS;
  for (auto _ : state) {
    benchmark::DoNotOptimize(text.data());
    found = text.index(pattern.data(), pattern.size(), 0, mode);
    benchmark::DoNotOptimize(found);
  }
  const size_t expected = letters.find(Pattern());
  Check(state, found == expected, "index() answered another position than std::string::find");
  CountBytes(state, state.range(0));
}
BENCHMARK_CAPTURE(FindSeqVXString, exact, vx::VXString::Exact)
    ->Name("FindSeq/VXStringExact")
    ->Apply(vxbench::Sizes);
BENCHMARK_CAPTURE(FindSeqVXString, ignore_case, vx::VXString::IgnoreCase)
    ->Name("FindSeq/VXStringIgnoreCase")
    ->Apply(vxbench::Sizes);

void FindSeqMemmem(benchmark::State& state) {
  const std::string text = TextEndingInPattern(SizeOf(state));
  const std::string pattern = Pattern();
  const void* found = nullptr;
  for (auto _ : state) {
    benchmark::DoNotOptimize(text.data());
    found = memmem(text.data(), text.size(), pattern.data(), pattern.size());
    benchmark::DoNotOptimize(found);
  }
  Check(state, found != nullptr, "memmem missed the pattern");
  CountBytes(state, state.range(0));
}
BENCHMARK(FindSeqMemmem)->Name("FindSeq/memmem")->Apply(vxbench::Sizes);

void FindSeqStdString(benchmark::State& state) {
  const std::string text = TextEndingInPattern(SizeOf(state));
  const std::string pattern = Pattern();
  size_t found = std::string::npos;
  for (auto _ : state) {
    benchmark::DoNotOptimize(text.data());
    found = text.find(pattern);
    benchmark::DoNotOptimize(found);
  }
  Check(state, found != std::string::npos, "std::string::find missed the pattern");
  CountBytes(state, state.range(0));
}
BENCHMARK(FindSeqStdString)->Name("FindSeq/StdStringFind")->Apply(vxbench::Sizes);

// Two strings with records of their own, so that no comparison can take a
// shortcut through a shared buffer.
void CompareVXString(benchmark::State& state, vx::VXString::ECaseComp mode, bool mixedCase) {
  const std::string letters = Letters(SizeOf(state));
  const vx::VXString a = ToVX(letters);
  const vx::VXString b = ToVX(mixedCase ? Upper(letters) : letters);
  int result = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(a.data());
    result = a.compareTo(b, mode);
    benchmark::DoNotOptimize(result);
  }
  Check(state, result == 0, "compareTo found a difference");
  CountBytes(state, state.range(0));
}
BENCHMARK_CAPTURE(CompareVXString, exact, vx::VXString::Exact, false)
    ->Name("Compare/VXStringExact")
    ->Apply(vxbench::Sizes);
BENCHMARK_CAPTURE(CompareVXString, ignore_case, vx::VXString::IgnoreCase, false)
    ->Name("CompareIgnoreCase/VXString")
    ->Apply(vxbench::Sizes);
BENCHMARK_CAPTURE(CompareVXString, mixed_case, vx::VXString::IgnoreCase, true)
    ->Name("CompareMixedCase/VXString")
    ->Apply(vxbench::Sizes);

void CompareMemcmp(benchmark::State& state) {
  const std::string a = Letters(SizeOf(state));
  const std::string b = a;
  int result = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(a.data());
    result = std::memcmp(a.data(), b.data(), a.size());
    benchmark::DoNotOptimize(result);
  }
  Check(state, result == 0, "memcmp found a difference");
  CountBytes(state, state.range(0));
}
BENCHMARK(CompareMemcmp)->Name("Compare/memcmp")->Apply(vxbench::Sizes);

// Two equal texts, and a text against its upper-case form: the second makes
// every byte go through the case folding.
void CompareStrncasecmp(benchmark::State& state, bool mixedCase) {
  const std::string a = Letters(SizeOf(state));
  const std::string b = mixedCase ? Upper(a) : a;
  int result = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(a.data());
    result = strncasecmp(a.data(), b.data(), a.size());
    benchmark::DoNotOptimize(result);
  }
  Check(state, result == 0, "strncasecmp found a difference");
  CountBytes(state, state.range(0));
}
BENCHMARK_CAPTURE(CompareStrncasecmp, same, false)
    ->Name("CompareIgnoreCase/strncasecmp")
    ->Apply(vxbench::Sizes);
BENCHMARK_CAPTURE(CompareStrncasecmp, mixed, true)
    ->Name("CompareMixedCase/strncasecmp")
    ->Apply(vxbench::Sizes);

// The combining step of the library's string hash, written as the plain loop
// that a user would write: each byte sign-extended, then
// h ^= v + 0x9E3779B9 + (h << 6) + (h >> 2).
uint64_t HashLoop(const char* data, size_t size) {
  uint64_t h = 0;
  for (size_t i = 0; i < size; ++i) {
    const auto v = static_cast<uint64_t>(static_cast<int64_t>(static_cast<signed char>(data[i])));
    h ^= v + 0x9E3779B9u + (h << 6) + (h >> 2);
  }
  return h;
}

void HashPlainLoop(benchmark::State& state) {
  const std::string text = Letters(SizeOf(state));
  uint64_t h = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(text.data());
    h = HashLoop(text.data(), text.size());
    benchmark::DoNotOptimize(h);
  }
  Check(state, HashLoop("abc", 3) == 0x00000A16FB515711u, "plain loop hash is wrong");
  CountBytes(state, state.range(0));
}
BENCHMARK(HashPlainLoop)->Name("Hash/PlainLoop")->Apply(vxbench::Sizes);

void HashVXString(benchmark::State& state) {
  const vx::VXString text = ToVX(Letters(SizeOf(state)));
  size_t h = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(text.data());
    h = text.hash();
    benchmark::DoNotOptimize(h);
  }
  Check(state, h == HashLoop(text.data(), text.length()), "hash() differs from the plain loop");
  CountBytes(state, state.range(0));
}
BENCHMARK(HashVXString)->Name("Hash/VXString")->Apply(vxbench::Sizes);

void HashBoostRange(benchmark::State& state) {
  const std::string text = Letters(SizeOf(state));
  size_t h = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(text.data());
    h = boost::hash_range(text.begin(), text.end());
    benchmark::DoNotOptimize(h);
  }
  CountBytes(state, state.range(0));
}
BENCHMARK(HashBoostRange)->Name("Hash/BoostHashRange")->Apply(vxbench::Sizes);

}  // namespace
