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
#include <string>
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

Bytes ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes{std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::filesystem::path> Files(std::vector<std::filesystem::path> names) {
  std::vector<std::filesystem::path> files;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (std::filesystem::is_regular_file(names[i])) {
      files.push_back(names[i]);
    } else {  // a directory, or it throws
      names.insert(names.end(), std::filesystem::directory_iterator(names[i]), {});
    }
  }
  return files;
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
  } catch (...) {
    return "escaped: an exception of an unknown type";
  }
}

// Removes runs of bytes, halving the run length down to one byte, then
// zeroes single bytes, keeping each change after which the same check fails;
// again until a round changes nothing.
Bytes Shrink(Bytes input, const std::string& failure) {
  for (bool changed = true; changed;) {
    changed = false;
    for (std::size_t run = input.size() / 2; run > 0; run /= 2) {
      for (std::size_t at = 0; at + run <= input.size();) {
        Bytes smaller(input);
        smaller.erase(smaller.begin() + at, smaller.begin() + at + run);
        if (Outcome(smaller) == failure) {
          input.swap(smaller), changed = true;
        } else {
          at += run;
        }
      }
    }
    for (std::uint8_t& byte : input) {
      const std::uint8_t old = byte;
      byte = 0;
      if (old == 0 || Outcome(input) != failure) {
        byte = old;
      } else {
        changed = true;
      }
    }
  }
  return input;
}

// splitmix64: small, and the same sequence on every host.
struct Random {
  std::uint64_t state;
  std::uint64_t Next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
  std::size_t Below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(Next() % n); }
};

// A corpus input changed one to eight times (a byte set to a random or an
// edge value, a run inserted, removed or repeated, a piece of another input
// spliced in), or, one time in four, random bytes.
Bytes Generate(Random& random, const std::vector<Bytes>& corpus) {
  static constexpr std::uint8_t kEdges[] = {0, 1, 0x7F, 0x80, 0xFF, '0', '9', 'A', 'F', 'a', 'f'};
  Bytes input;
  if (corpus.empty() || random.Below(4) == 0) {
    input.resize(random.Below(600));
    for (std::uint8_t& byte : input) byte = static_cast<std::uint8_t>(random.Next());
    return input;
  }
  input = corpus[random.Below(corpus.size())];
  for (std::size_t k = 1 + random.Below(8); k > 0; --k) {
    const std::size_t at = random.Below(input.size() + 1), run = 1 + random.Below(16);
    const std::size_t end = std::min(input.size(), at + run);
    switch (random.Below(5)) {
      case 0:
        if (at < input.size()) input[at] = static_cast<std::uint8_t>(random.Next());
        break;
      case 1:
        if (at < input.size()) input[at] = kEdges[random.Below(sizeof kEdges)];
        break;
      case 2:
        input.insert(input.begin() + at, run, static_cast<std::uint8_t>(random.Next()));
        break;
      case 3:
        input.erase(input.begin() + at, input.begin() + end);
        break;
      default: {
        const Bytes& other = corpus[random.Below(corpus.size())];
        const std::size_t from = random.Below(other.size() + 1);
        input.insert(input.begin() + at, other.begin() + from,
                     other.begin() + std::min(other.size(), from + run * 8));
      }
    }
  }
  return input;
}

int RandomMode(const char* target, long count, std::uint64_t seed,
               const std::vector<std::filesystem::path>& corpusFiles) {
  std::vector<Bytes> corpus;
  for (const auto& file : corpusFiles) corpus.push_back(ReadFile(file));
  vxf::g_throwOnFailure = true;
  Random random{seed};
  for (long k = 0; k < count; ++k) {
    const Bytes input = Generate(random, corpus);
    const std::string failure = Outcome(input);
    if (failure.empty()) continue;
    const Bytes smallest = Shrink(input, failure);
    std::printf("%s: random input %ld of seed %llu fails\n  %s\n  shrunk to %zu bytes:", target, k,
                static_cast<unsigned long long>(seed), failure.c_str(), smallest.size());
    for (const std::uint8_t byte : smallest) std::printf(" %02X", byte);
    const std::string saved = std::string("failure-") + target;
    std::ofstream(saved, std::ios::binary)
        .write(reinterpret_cast<const char*>(smallest.data()),
               static_cast<std::streamsize>(smallest.size()));
    std::printf("\n  saved as %s in the working directory\n", saved.c_str());
    return 1;
  }
  std::printf("%s: %ld random inputs of seed %llu passed\n", target, count,
              static_cast<unsigned long long>(seed));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string target = std::filesystem::path(argv[0]).stem().string();
  if (argc >= 3 && std::string(argv[1]) == "--random") {
    return RandomMode(target.c_str(), std::stol(argv[2]), argc > 3 ? std::stoull(argv[3]) : 1,
                      Files({argv + std::min(argc, 4), argv + argc}));
  }
  for (const auto& file : Files({argv + 1, argv + argc})) {
    const Bytes bytes = ReadFile(file);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  return argc > 1 ? 0 : 2;
}
