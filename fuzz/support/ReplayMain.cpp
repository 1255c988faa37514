// A main() for the fuzz targets without libFuzzer, with two modes.
//
// Replay: runs the target on every file named, and on every file under every
// directory named, so that the corpora replay as ordinary tests in every build.
//
//     vexlo_fuzz_string_ops_replay fuzz/corpus/string_ops crash-1234
//
// Random: runs the target on N inputs made from a fixed seed, each a corpus
// input mutated a few times or plain random bytes, so that every host runs
// the target's model on thousands of inputs without libFuzzer. The first
// failing input is printed as hex bytes and saved for replay.
//
//     vexlo_fuzz_string_ops_replay --random 3000 1 fuzz/corpus/string_ops

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/Hex.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace vxf {
extern bool g_throwOnFailure;  // see support/FuzzHarness.h
}

// The files named and every file under the directories named, all in name
// order, so that a seed picks the same corpus inputs on every host. A
// directory's files sort after it, so the loop reaches those it inserts.
static std::vector<std::string> ReadAll(std::set<std::filesystem::path> names) {
  std::vector<std::string> inputs;
  for (const std::filesystem::path& name : names) {
    if (std::filesystem::is_regular_file(name)) {
      std::ifstream in(name, std::ios::binary);
      inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {  // a directory, or it throws
      names.insert(std::filesystem::directory_iterator(name), {});
    }
  }
  return inputs;
}

// What one input does: empty when it passes, else the failed check (or the
// exception that escaped).
static std::string Outcome(const std::string& input) {
  try {
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
    return {};
  } catch (const char* failedCheck) {
    return failedCheck;
  } catch (const std::exception& e) {
    return std::string("escaped: ") + e.what();
  }
}

// One time in four up to 600 random bytes; otherwise a corpus input with one
// to eight changes: a run of one byte inserted, a run removed, or a piece of
// an input spliced in. mt19937_64 gives the same numbers on every host.
static std::string Generate(std::mt19937_64& random, const std::vector<std::string>& corpus) {
  const auto below = [&](std::size_t n) { return n == 0 ? 0 : random() % n; };
  std::string input;
  if (corpus.empty() || below(4) == 0) {
    for (std::size_t n = below(600); n > 0; --n) input += static_cast<char>(random());
    return input;
  }
  input = corpus[below(corpus.size())];
  for (std::size_t k = 1 + below(8); k > 0; --k) {
    const std::size_t at = below(input.size() + 1), run = 1 + below(16), kind = below(3);
    const std::string& other = corpus[below(corpus.size())];
    if (kind == 0) input.insert(at, run, static_cast<char>(random()));
    if (kind == 1) input.erase(at, run);
    if (kind == 2) input.insert(at, other, below(other.size() + 1), run * 8);
  }
  return input;
}

int main(int argc, char** argv) {
  const bool random = argc >= 3 && std::string(argv[1]) == "--random";
  const std::vector<std::string> files =
      ReadAll({argv + (random ? std::min(argc, 4) : 1), argv + argc});
  if (!random) {
    for (const std::string& input : files)
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
    return argc > 1 ? 0 : 2;
  }
  const std::string target = std::filesystem::path(argv[0]).stem().string();
  const long count = std::stol(argv[2]);
  const unsigned long long seed = argc > 3 ? std::stoull(argv[3]) : 1;
  std::mt19937_64 generator(seed);
  vxf::g_throwOnFailure = true;
  for (long k = 0; k < count; ++k) {
    const std::string input = Generate(generator, files);
    const std::string failure = Outcome(input);
    if (failure.empty()) continue;
    std::printf("%s: random input %ld of seed %llu fails\n  %s\n  saved as failure-%s: %s\n",
                target.c_str(), k, seed, failure.c_str(), target.c_str(),
                vxtest::Hex(input).c_str());
    std::ofstream("failure-" + target, std::ios::binary) << input;
    return 1;
  }
  std::printf("%s: %ld random inputs of seed %llu passed\n", target.c_str(), count, seed);
}
