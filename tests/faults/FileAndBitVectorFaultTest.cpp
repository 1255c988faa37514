// Allocation failures in the file channels (their shared handle record) and
// in the bit vector's constructors: the failure reaches the caller as
// std::bad_alloc, an open file stays open and usable, and neither memory nor
// a file descriptor leaks.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "faults/FaultTally.h"
#include "support/AllocationFailure.h"
#include "vexlo/channels/CFileReader.h"
#include "vexlo/channels/CFileWriter.h"
#include "vexlo/streams/CBitVector.h"

namespace {

namespace fs = std::filesystem;
using vxtest::ForEachAllocationFailure;
using vxtest::TallyPoints;

// Open file descriptors of this process, where the system lists them; -1
// elsewhere.
long OpenDescriptors() {
  std::error_code error;
  fs::directory_iterator it("/proc/self/fd", error);
  if (error) return -1;
  long n = 0;
  for (; it != fs::directory_iterator(); it.increment(error)) ++n;
  return n;
}

class FileFaults : public testing::Test {
 protected:
  void SetUp() override {
    if (!vxtest::AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";
    static std::atomic<unsigned> counter{0};
    dir_ = fs::temp_directory_path() / ("vexlo-faults-" + std::to_string(std::random_device()()) +
                                        "-" + std::to_string(counter.fetch_add(1)));
    fs::create_directories(dir_);
    std::ofstream(File("ten")) << "0123456789";
  }
  void TearDown() override {
    std::error_code ignored;
    if (!dir_.empty()) fs::remove_all(dir_, ignored);
  }
  std::string File(const char* name) const { return (dir_ / name).string(); }

 private:
  fs::path dir_;
};

TEST_F(FileFaults, OpeningLeaksNeitherMemoryNorDescriptors) {
  const long descriptors = OpenDescriptors();
  const std::string ten = File("ten");
  const std::string out = File("out");
  EXPECT_GE(TallyPoints(ForEachAllocationFailure([&] {
              vx::CFileReader reader(ten.c_str(), vx::EFileShareCharacteristics::ShareRead);
              EXPECT_TRUE(reader.IsValid());
            })),
            1);
  EXPECT_GE(TallyPoints(ForEachAllocationFailure([&] {
              vx::CFileWriter writer(out.c_str(), vx::EFileCreationDisposition::CreateAlways,
                                     vx::EFileShareCharacteristics::ShareNone);
              EXPECT_TRUE(writer.IsValid());
            })),
            1);
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST_F(FileFaults, FailedReopenKeepsTheOpenFile) {
  const std::string first = File("first");
  const std::string second = File("second");
  vx::CFileWriter writer(first.c_str(), vx::EFileCreationDisposition::CreateAlways,
                         vx::EFileShareCharacteristics::ShareNone);
  ASSERT_TRUE(writer.IsValid());
  writer.Write("ab", 2);
  const long descriptors = OpenDescriptors();
  const int points = TallyPoints(ForEachAllocationFailure(
      [&] {
        writer.Open(second.c_str(), vx::EFileCreationDisposition::CreateAlways,
                    vx::EFileShareCharacteristics::ShareNone);
      },
      [&] {
        EXPECT_TRUE(writer.IsValid());
        EXPECT_EQ(writer.GetCurrentPosition(), 2u);
        EXPECT_EQ(OpenDescriptors(), descriptors);
        EXPECT_FALSE(fs::exists(second));
      }));
  EXPECT_EQ(points, 1);
  writer.Write("cd", 2);
  writer.Close();
  std::string content;
  std::ifstream(first) >> content;
  EXPECT_EQ(content, "ab");
  EXPECT_EQ(fs::file_size(second), 2u);
}

TEST(BitVectorFaults, ConstructorsAndCopiesLeakNothing) {
  if (!vxtest::AllocationFailureInjectable()) GTEST_SKIP() << "no injection here";
  vx::CBitVector source(100, true);
  source.Reset(7);
  EXPECT_EQ(TallyPoints(ForEachAllocationFailure([] { vx::CBitVector v(1000, true); })), 1);
  EXPECT_EQ(TallyPoints(ForEachAllocationFailure([&] {
              vx::CBitVector copy(source);
              EXPECT_EQ(copy, source);
            })),
            1);
  EXPECT_EQ(TallyPoints(ForEachAllocationFailure([] { vx::CBitVector empty; })), 0)
      << "an empty vector allocates nothing";
}

}  // namespace
