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
// failing input is shrunk to the smallest that still fails the same check,
// printed as hex bytes and saved for replay.
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
#include <string>
#include <utility>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace vxf {
struct CheckFailure {
  const char* file;
  int line;
  const char* condition;
};
extern bool g_throwOnFailure;
}  // namespace vxf

namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<Bytes> ReadAll(std::vector<std::filesystem::path> names) {
  std::vector<Bytes> inputs;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (std::filesystem::is_regular_file(names[i])) {
      std::ifstream in(names[i], std::ios::binary);
      inputs.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {  // a directory, or it throws
      names.insert(names.end(), std::filesystem::directory_iterator(names[i]), {});
    }
  }
  return inputs;
}

// What one input does: empty when it passes, else the failed check, named the
// same way every time so that shrinking keeps to one failure.
std::string Outcome(const Bytes& input) {
  try {
    LLVMFuzzerTestOneInput(input.data(), input.size());
    return {};
  } catch (const vxf::CheckFailure& f) {
    return std::string(f.file) + ":" + std::to_string(f.line) + ": check failed: " + f.condition;
  } catch (const std::exception& e) {
    return std::string("escaped: ") + e.what();
  }
}

// Removes runs of bytes, from half the input down to single bytes, then zeroes
// single bytes, keeping each change after which the same check fails; again
// until a round changes nothing.
Bytes Shrink(Bytes input, const std::string& failure) {
  for (bool changed = true; changed;) {
    changed = false;
    for (std::size_t run = input.size() / 2; run > 0; run /= 2) {
      for (std::size_t at = 0; at + run <= input.size();) {
        Bytes smaller(input);
        smaller.erase(smaller.begin() + at, smaller.begin() + at + run);
        const bool keep = Outcome(smaller) == failure;
        keep ? void(input.swap(smaller)) : void(at += run);
        changed |= keep;
      }
    }
    for (std::uint8_t& byte : input) {
      const std::uint8_t old = std::exchange(byte, 0);
      const bool keep = old != 0 && Outcome(input) == failure;
      byte = keep ? 0 : old;
      changed |= keep;
    }
  }
  return input;
}

// One time in four random bytes; otherwise a corpus input with one to eight
// changes: a byte set, a run of one byte inserted, a run removed, a piece of
// an input spliced in. mt19937_64 gives the same numbers on every host.
Bytes Generate(std::mt19937_64& random, const std::vector<Bytes>& corpus) {
  const auto below = [&](std::size_t n) { return n == 0 ? 0 : random() % n; };
  const auto byte = [&] { return static_cast<std::uint8_t>(random()); };
  Bytes input(below(600));
  if (corpus.empty() || below(4) == 0) {
    for (std::uint8_t& b : input) b = byte();
    return input;
  }
  input = corpus[below(corpus.size())];
  for (std::size_t k = 1 + below(8); k > 0; --k) {
    const std::size_t at = below(input.size() + 1), run = 1 + below(16), kind = below(4);
    const Bytes& other = corpus[below(corpus.size())];
    const std::size_t from = below(other.size() + 1), to = std::min(other.size(), from + run * 8);
    if (kind == 0 && at < input.size()) input[at] = byte();
    if (kind == 1) input.insert(input.begin() + at, run, byte());
    if (kind == 2)
      input.erase(input.begin() + at, input.begin() + std::min(input.size(), at + run));
    if (kind == 3) input.insert(input.begin() + at, other.begin() + from, other.begin() + to);
  }
  return input;
}

int RandomMode(const std::string& target, long count, std::uint64_t seed,
               const std::vector<Bytes>& corpus) {
  vxf::g_throwOnFailure = true;
  std::mt19937_64 random(seed);
  for (long k = 0; k < count; ++k) {
    const Bytes input = Generate(random, corpus);
    const std::string failure = Outcome(input);
    if (failure.empty()) continue;
    const Bytes smallest = Shrink(input, failure);
    const std::string saved = "failure-" + target;
    std::printf(
        "%s: random input %ld of seed %llu fails\n  %s\n  shrunk to %zu bytes, saved as %s:",
        target.c_str(), k, static_cast<unsigned long long>(seed), failure.c_str(), smallest.size(),
        saved.c_str());
    for (const std::uint8_t b : smallest) std::printf(" %02X", b);
    std::printf("\n");
    std::ofstream(saved, std::ios::binary)
        .write(reinterpret_cast<const char*>(smallest.data()),
               static_cast<std::streamsize>(smallest.size()));
    return 1;
  }
  std::printf("%s: %ld random inputs of seed %llu passed\n", target.c_str(), count,
              static_cast<unsigned long long>(seed));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "--random") {
    return RandomMode(std::filesystem::path(argv[0]).stem().string(), std::stol(argv[2]),
                      argc > 3 ? std::stoull(argv[3]) : 1,
                      ReadAll({argv + std::min(argc, 4), argv + argc}));
  }
  for (const Bytes& input : ReadAll({argv + 1, argv + argc}))
    LLVMFuzzerTestOneInput(input.data(), input.size());
  return argc > 1 ? 0 : 2;
}
