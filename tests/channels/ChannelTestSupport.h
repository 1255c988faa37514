#ifndef VEXLO_TESTS_CHANNELS_CHANNELTESTSUPPORT_H
#define VEXLO_TESTS_CHANNELS_CHANNELTESTSUPPORT_H

// Helpers of the channel tests: byte patterns, a fresh temporary directory
// per test, and one maker per reader and per writer, so that typed tests can
// run a contract over every channel.

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
#include "vexlo/channels/CMemStreamBuf.h"
#include "vexlo/channels/CMemWriter.h"
#include "vexlo/channels/PXIpcStreamBuf.h"

namespace vxtest {

using Bytes = std::vector<unsigned char>;

/// `n` bytes that differ from their neighbours and include 0 and 0xFF.
inline Bytes Pattern(size_t n, unsigned seed = 0) {
  Bytes bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<unsigned char>(i * 37 + seed * 11);
  return bytes;
}

/// A directory of its own under the system's temporary directory, removed
/// with everything in it when the object goes.
class TempDirectory {
 public:
  TempDirectory() {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    do {
      path_ = base / ("vexlo-channels-" + std::to_string(random()) + "-" +
                      std::to_string(counter.fetch_add(1)));
    } while (!std::filesystem::create_directory(path_));
  }
  ~TempDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

inline Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Reader makers: Make(bytes) returns a reader positioned before `bytes`.
// kConsumesOnUnderrun tells whether a failed read moves past the bytes that
// were there (the file reader) or leaves the position alone.

struct FileReaderMaker {
  static constexpr const char* kName = "File";
  static constexpr bool kConsumesOnUnderrun = true;
  TempDirectory directory;
  std::unique_ptr<vx::CFileReader> reader;
  tvc::ITVCBinaryReader& Make(const Bytes& bytes) {
    const std::string path = directory.File("in.bin");
    WriteFile(path, bytes);
    reader = std::make_unique<vx::CFileReader>(path.c_str(),
                                               vx::EFileShareCharacteristics::ShareRead);
    return *reader;
  }
};

struct MemReaderMaker {
  static constexpr const char* kName = "Mem";
  static constexpr bool kConsumesOnUnderrun = false;
  Bytes storage;
  std::unique_ptr<vx::CMemReader> reader;
  tvc::ITVCBinaryReader& Make(const Bytes& bytes) {
    storage = bytes;
    reader = std::make_unique<vx::CMemReader>(storage);
    return *reader;
  }
};

struct MemStreamBufReaderMaker {
  static constexpr const char* kName = "MemStreamBuf";
  static constexpr bool kConsumesOnUnderrun = false;
  Bytes storage;
  std::unique_ptr<vx::CMemStreamBuf> device;
  tvc::ITVCBinaryReader& Make(const Bytes& bytes) {
    storage = bytes;
    device = std::make_unique<vx::CMemStreamBuf>(reinterpret_cast<const char*>(storage.data()),
                                                 storage.size());
    return *device->GetReader();
  }
};

struct IpcReaderMaker {
  static constexpr const char* kName = "Ipc";
  static constexpr bool kConsumesOnUnderrun = false;
  vx::PXIpcStreamBuf queue;
  tvc::ITVCBinaryReader& Make(const Bytes& bytes) {
    queue.Write(bytes.data(), bytes.size());
    return queue;
  }
};

/// Names typed tests after their makers: "File", "Mem", ...
struct MakerNames {
  template <class Maker>
  static std::string GetName(int) {
    return Maker::kName;
  }
};

// Writer makers: Writer() is an empty channel, Written() what it holds.

struct FileWriterMaker {
  static constexpr const char* kName = "File";
  TempDirectory directory;
  std::string path = directory.File("out.bin");
  vx::CFileWriter writer{path.c_str(), vx::EFileCreationDisposition::CreateNew,
                         vx::EFileShareCharacteristics::ShareNone};
  tvc::ITVCBinaryWriter& Writer() { return writer; }
  Bytes Written() {
    writer.Close();
    return ReadFile(path);
  }
};

struct MemWriterMaker {
  static constexpr const char* kName = "Mem";
  vx::CMemWriter writer;
  tvc::ITVCBinaryWriter& Writer() { return writer; }
  Bytes Written() { return Bytes(writer.GetData(), writer.GetData() + writer.GetSize()); }
};

struct MemStreamBufWriterMaker {
  static constexpr const char* kName = "MemStreamBuf";
  vx::CMemStreamBuf device{0};
  tvc::ITVCBinaryWriter& Writer() { return *device.GetWriter(); }
  Bytes Written() { return Bytes(device.str(), device.str() + device.out_waiting()); }
};

struct IpcWriterMaker {
  static constexpr const char* kName = "Ipc";
  vx::PXIpcStreamBuf queue;
  tvc::ITVCBinaryWriter& Writer() { return queue; }
  Bytes Written() { return Bytes(queue.str(), queue.str() + queue.out_waiting()); }
};

}  // namespace vxtest

#endif  // VEXLO_TESTS_CHANNELS_CHANNELTESTSUPPORT_H
