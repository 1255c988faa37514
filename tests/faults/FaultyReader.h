#ifndef VEXLO_TESTS_FAULTS_FAULTYREADER_H
#define VEXLO_TESTS_FAULTS_FAULTYREADER_H

#include <cstddef>
#include <cstring>
#include <string>
#include <utility>

#include "faults/FaultyWriter.h"
#include "vexlo/tvc/ITVCBinaryReader.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

namespace vxtest {

/// A reader over a byte string that throws `ChannelFault` on its `failOn`-th
/// `Read` (1 = the first; 0 = never) without consuming anything, and
/// otherwise behaves as the library's readers: it delivers exactly the bytes
/// asked for or throws `TVCBufferUnderrunException`.
///
///     vxtest::FaultyReader r("0100000002000000", 2);
///     vx::CPortableInputStream in(&r);
///     int a = 0, b = 0;
///     in.GetInt(a);                                 // 1
///     EXPECT_THROW(in.GetInt(b), vxtest::ChannelFault);   // b stays 0
///     in.GetInt(b);                                 // 2: the stream asks again
class FaultyReader : public tvc::ITVCBinaryReader {
 public:
  explicit FaultyReader(std::string bytes, int failOn = 0)
      : bytes_(std::move(bytes)), failOn_(failOn) {}

  void Read(void* buffer, size_t count) override {
    ++calls_;
    if (calls_ == failOn_) throw ChannelFault();
    if (count > bytes_.size() - position_) throw tvc::TVCBufferUnderrunException();
    if (count > 0) std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
  }

  int calls() const { return calls_; }
  size_t position() const { return position_; }

 private:
  std::string bytes_;
  int failOn_;
  int calls_ = 0;
  size_t position_ = 0;
};

}  // namespace vxtest

#endif  // VEXLO_TESTS_FAULTS_FAULTYREADER_H
