#ifndef VEXLO_TESTS_CHANNELS_CHANNELTESTSUPPORT_H
#define VEXLO_TESTS_CHANNELS_CHANNELTESTSUPPORT_H

// Helpers of the channel tests: byte patterns, a fresh temporary directory
// per test, and a maker per reader and per writer for the typed tests.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "vexlo/channels/CFileReader.h"
#include "vexlo/channels/CFileWriter.h"
#include "vexlo/channels/CMemReader.h"
#include "vexlo/channels/CMemWriter.h"
#include "vexlo/channels/PXIpcStreamBuf.h"

namespace vxtest {

using Bytes = std::vector<unsigned char>;

/// `n` bytes that differ from their neighbours and include 0 and 0xFF.
inline Bytes Pattern(size_t n) {
  Bytes bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<unsigned char>(i * 37 + 5);
  return bytes;
}

inline Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

/// A directory of its own under the temporary directory, removed with its
/// content when the object goes.
class TempDirectory {
 public:
  TempDirectory() {
    static std::atomic<unsigned> counter{0};
    do {
      path_ = std::filesystem::temp_directory_path() /
              ("vexlo-" + std::to_string(std::random_device()()) + "-" + std::to_string(++counter));
    } while (!std::filesystem::create_directory(path_));
  }
  ~TempDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Reader makers: Make(bytes) gives a reader before `bytes`. A failed read of
// the file reader moves past the bytes that were there; the others stay put.
struct FileReaderMaker {
  static constexpr bool kConsumesOnUnderrun = true;
  TempDirectory directory;
  std::unique_ptr<vx::CFileReader> reader;
  tvc::ITVCBinaryReader& Make(const Bytes& bytes) {
    WriteFile(directory.File("in"), bytes);
    reader = std::make_unique<vx::CFileReader>(directory.File("in").c_str(),
                                               vx::EFileShareCharacteristics::ShareRead);
    return *reader;
  }
};

struct MemReaderMaker {
  static constexpr bool kConsumesOnUnderrun = false;
  Bytes storage;
  std::unique_ptr<vx::CMemReader> reader;
  tvc::ITVCBinaryReader& Make(const Bytes& bytes) {
    storage = bytes;
    reader = std::make_unique<vx::CMemReader>(storage);
    return *reader;
  }
};

struct IpcReaderMaker {
  static constexpr bool kConsumesOnUnderrun = false;
  vx::PXIpcStreamBuf queue;
  tvc::ITVCBinaryReader& Make(const Bytes& bytes) {
    queue.Write(bytes.data(), bytes.size());
    return queue;
  }
};

// Writer makers: `writer` starts empty, Written() is what it holds.
struct FileWriterMaker {
  TempDirectory directory;
  vx::CFileWriter writer{directory.File("out").c_str(), vx::EFileCreationDisposition::CreateNew,
                         vx::EFileShareCharacteristics::ShareNone};
  Bytes Written() {
    writer.Close();
    return ReadFile(directory.File("out"));
  }
};

struct MemWriterMaker {
  vx::CMemWriter writer;
  Bytes Written() { return Bytes(writer.GetData(), writer.GetData() + writer.GetSize()); }
};

struct IpcWriterMaker {
  vx::PXIpcStreamBuf writer;
  Bytes Written() { return Bytes(writer.str(), writer.str() + writer.out_waiting()); }
};

}  // namespace vxtest

#endif  // VEXLO_TESTS_CHANNELS_CHANNELTESTSUPPORT_H
