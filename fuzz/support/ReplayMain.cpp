// A main() for the fuzz targets without libFuzzer: runs the target on every
// file named, and on every file under every directory named, so that the
// corpora replay as ordinary tests in every build.
//
//     vexlo_fuzz_string_ops_replay fuzz/corpus/string_ops crash-1234

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  std::vector<std::filesystem::path> files(argv + 1, argv + argc);
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!std::filesystem::is_regular_file(files[i])) {  // a directory, or it throws
      files.insert(files.end(), std::filesystem::directory_iterator(files[i]), {});
      continue;
    }
    std::ifstream in(files[i], std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  return argc > 1 ? 0 : 2;
}
