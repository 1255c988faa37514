#ifndef VEXLO_TESTS_SUPPORT_TEMPDIRECTORY_H
#define VEXLO_TESTS_SUPPORT_TEMPDIRECTORY_H

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace vxtest {

/// A directory of its own under the test's temporary directory, removed with
/// its content when it goes.
class TempDirectory {
 public:
  TempDirectory() { std::filesystem::create_directory(path); }
  ~TempDirectory() { std::filesystem::remove_all(path, ignored_); }
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  /// The path of `name` in the directory.
  std::string File(const std::string& name) const { return (path / name).string(); }

  /// The bytes of the file at `file`; "none" when there is no such file.
  static std::string Read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "none";
  }

  const std::filesystem::path path =
      testing::TempDir() + "vexlo-" + std::to_string(std::random_device()());

 private:
  std::error_code ignored_;  // removal is best effort
};

}  // namespace vxtest

#endif  // VEXLO_TESTS_SUPPORT_TEMPDIRECTORY_H
