#ifndef VEXLO_TESTS_FAULTS_FAULTYWRITER_H
#define VEXLO_TESTS_FAULTS_FAULTYWRITER_H

#include <cstddef>
#include <exception>
#include <string>
#include <vector>

#include "vexlo/tvc/ITVCBinaryWriter.h"

namespace vxtest {

/// The exception that the faulty channels throw: no type of the library, so
/// that a test can tell that the streams pass it on unchanged.
struct ChannelFault : std::exception {
  const char* what() const noexcept override { return "channel fault"; }
};

/// A writer that throws `ChannelFault` on its `failOn`-th `Write` (1 = the
/// first; 0 = never) and otherwise keeps every byte and the size of every
/// call.
///
///     vxtest::FaultyWriter w(2);
///     vx::CBinaryOutputStream out(&w);
///     out.PutInt(1);                                // kept
///     EXPECT_THROW(out.PutInt(2), vxtest::ChannelFault);
class FaultyWriter : public tvc::ITVCBinaryWriter {
 public:
  explicit FaultyWriter(int failOn = 0) : failOn_(failOn) {}

  void Write(const void* data, size_t count) override {
    ++calls_;
    if (calls_ == failOn_) throw ChannelFault();
    sizes_.push_back(count);
    if (count > 0) bytes_.append(static_cast<const char*>(data), count);
  }

  /// Calls made, the failing one included.
  int calls() const { return calls_; }
  /// The bytes of the calls that succeeded, in order.
  const std::string& bytes() const { return bytes_; }
  /// The size of each call that succeeded.
  const std::vector<size_t>& sizes() const { return sizes_; }

 private:
  int failOn_;
  int calls_ = 0;
  std::string bytes_;
  std::vector<size_t> sizes_;
};

}  // namespace vxtest

#endif  // VEXLO_TESTS_FAULTS_FAULTYWRITER_H
