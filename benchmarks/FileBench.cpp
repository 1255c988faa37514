// Streaming a file through the kernel in 64 KiB blocks: POSIX write() and
// read() are the floor of any file channel. The file lives in the system's
// temporary directory and is removed after each case.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"

namespace {

constexpr size_t kBlock = 64 * 1024;

std::string TempPath(const char* name) {
  return (std::filesystem::temp_directory_path() /
          ("vexlo_bench_" + std::to_string(getpid()) + "_" + name))
      .string();
}

bool PosixWriteFile(const std::string& path, const std::vector<char>& block, int64_t bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) {
    return false;
  }
  bool ok = true;
  for (int64_t done = 0; done < bytes; done += static_cast<int64_t>(kBlock)) {
    ok = ok && write(fd, block.data(), kBlock) == static_cast<ssize_t>(kBlock);
  }
  return close(fd) == 0 && ok;
}

bool PosixReadFile(const std::string& path, std::vector<char>& block, int64_t bytes) {
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) {
    return false;
  }
  bool ok = true;
  for (int64_t done = 0; done < bytes; done += static_cast<int64_t>(kBlock)) {
    ok = ok && read(fd, block.data(), kBlock) == static_cast<ssize_t>(kBlock);
  }
  return close(fd) == 0 && ok;
}

void FilePosixWrite(benchmark::State& state, int64_t bytes) {
  const std::string path = TempPath("write");
  const std::string text = vxbench::Letters(kBlock);
  const std::vector<char> block(text.begin(), text.end());
  bool ok = true;
  for (auto _ : state) {
    ok = PosixWriteFile(path, block, bytes) && ok;
  }
  std::filesystem::remove(path);
  vxbench::Check(state, ok, "write() failed");
  vxbench::CountBytes(state, bytes);
}

void FilePosixRead(benchmark::State& state, int64_t bytes) {
  const std::string path = TempPath("read");
  const std::string text = vxbench::Letters(kBlock);
  std::vector<char> block(text.begin(), text.end());
  bool ok = PosixWriteFile(path, block, bytes);
  for (auto _ : state) {
    ok = PosixReadFile(path, block, bytes) && ok;
  }
  std::filesystem::remove(path);
  vxbench::Check(state, ok, "read() failed");
  vxbench::CountBytes(state, bytes);
}

}  // namespace

namespace vxbench {

void RegisterFileBenchmarks() {
  const int64_t bytes = FileBytes();
  benchmark::RegisterBenchmark("File/PosixWrite", FilePosixWrite, bytes)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("File/PosixRead", FilePosixRead, bytes)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
}

}  // namespace vxbench
