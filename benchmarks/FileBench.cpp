// Streaming a file in 64 KiB blocks: through CFileWriter and CFileReader,
// each block one PutN or GetN of a binary stream, against POSIX write() and
// read() of the same blocks, the floor of any file channel. The file lives
// in the system's temporary directory and is removed after each case. The
// cases count CPU time, the kernel's share included: the page cache takes
// the file, and wall time on a shared machine mostly measures the neighbours.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "vexlo/channels/CFileReader.h"
#include "vexlo/channels/CFileWriter.h"
#include "vexlo/streams/CBinaryInputStream.h"
#include "vexlo/streams/CBinaryOutputStream.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

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

void FileVexloWrite(benchmark::State& state, int64_t bytes) {
  const std::string path = TempPath("vexlo_write");
  const std::string block = vxbench::Letters(kBlock);
  bool ok = true;
  for (auto _ : state) {
    vx::CFileWriter writer(path.c_str(), vx::EFileCreationDisposition::CreateAlways,
                           vx::EFileShareCharacteristics::ShareNone);
    vx::CBinaryOutputStream out(writer);
    for (int64_t done = 0; done < bytes; done += static_cast<int64_t>(kBlock)) {
      out.PutN(block.data(), kBlock);
    }
    ok = ok && writer.IsValid() && out.Tell() == static_cast<size_t>(bytes);
    writer.Close();
  }
  std::error_code error;
  ok = ok && std::filesystem::file_size(path, error) == static_cast<uintmax_t>(bytes);
  std::filesystem::remove(path);
  vxbench::Check(state, ok, "CFileWriter wrote the wrong number of bytes");
  vxbench::CountBytes(state, bytes);
}

// Through a binary input stream (GetN), or straight from the channel (Read).
void FileVexloRead(benchmark::State& state, int64_t bytes, bool throughStream) {
  const std::string path = TempPath(throughStream ? "vexlo_getn" : "vexlo_read");
  const std::string text = vxbench::Letters(kBlock);
  std::vector<char> block(text.begin(), text.end());
  bool ok = PosixWriteFile(path, block, bytes);
  for (auto _ : state) {
    vx::CFileReader reader(path.c_str(), vx::EFileShareCharacteristics::ShareRead);
    vx::CBinaryInputStream in(reader);
    try {
      for (int64_t done = 0; done < bytes; done += static_cast<int64_t>(kBlock)) {
        if (throughStream) {
          in.GetN(block.data(), kBlock);
        } else {
          reader.Read(block.data(), kBlock);
        }
      }
    } catch (const tvc::TVCBufferUnderrunException&) {
      ok = false;
    }
  }
  std::filesystem::remove(path);
  vxbench::Check(state, ok && std::string(block.begin(), block.end()) == text,
                 "CFileReader read the wrong bytes");
  vxbench::CountBytes(state, bytes);
}

}  // namespace

namespace vxbench {

void RegisterFileBenchmarks() {
  const int64_t bytes = FileBytes();
  benchmark::RegisterBenchmark("File/PosixWrite", FilePosixWrite, bytes)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("File/PosixRead", FilePosixRead, bytes)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("File/CFileWriter", FileVexloWrite, bytes)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("File/CFileReader", FileVexloRead, bytes, true)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("File/CFileReaderRead", FileVexloRead, bytes, false)
      ->Unit(benchmark::kMillisecond);
}

}  // namespace vxbench
