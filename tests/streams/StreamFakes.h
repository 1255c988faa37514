#ifndef VEXLO_TESTS_STREAMS_STREAMFAKES_H
#define VEXLO_TESTS_STREAMS_STREAMFAKES_H

// Channels and devices for the stream tests: a writer that records every
// call and can be told to throw, a reader over a string that can be told to
// scribble over its buffer before it throws, and a device that hands either
// out and counts how often it was asked.

#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "vexlo/channels/IReadWriteDevice.h"
#include "vexlo/tvc/ITVCBinaryReader.h"
#include "vexlo/tvc/ITVCBinaryWriter.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

namespace vxtest {

/// Thrown by RecordingWriter on the call it was told to fail.
struct WriterFailure : std::runtime_error {
  WriterFailure() : std::runtime_error("writer failure") {}
};

class RecordingWriter : public tvc::ITVCBinaryWriter {
 public:
  /// Makes the `n`-th Write from now on (1 = the next) throw WriterFailure
  /// without recording anything.
  void FailCall(int n) { failCountdown = n; }

  void Write(const void* data, size_t count) override {
    if (failCountdown > 0 && --failCountdown == 0) throw WriterFailure();
    pointers.push_back(data);
    calls.emplace_back(static_cast<const char*>(data), count);
  }

  std::string All() const {
    std::string all;
    for (const std::string& c : calls) all += c;
    return all;
  }

  std::vector<std::string> calls;
  std::vector<const void*> pointers;

 private:
  int failCountdown = 0;
};

/// Reads the bytes of `content` front to back; a read beyond the end throws
/// TVCBufferUnderrunException without advancing, after filling the caller's
/// buffer with 0xEE when `scribbleOnFailure` is set (as a reader that reads
/// part of a value before it finds the end may do).
class StringReader : public tvc::ITVCBinaryReader {
 public:
  explicit StringReader(std::string content = {}) : content(std::move(content)) {}

  void Read(void* buffer, size_t count) override {
    sizes.push_back(count);
    if (count > content.size() - position) {
      if (scribbleOnFailure && count != 0) std::memset(buffer, 0xEE, count);
      throw tvc::TVCBufferUnderrunException();
    }
    if (count != 0) std::memcpy(buffer, content.data() + position, count);
    position += count;
  }

  size_t Remaining() const { return content.size() - position; }

  std::string content;
  size_t position = 0;
  bool scribbleOnFailure = true;
  std::vector<size_t> sizes;
};

/// A device handing out the channels it was given; counts the calls.
class FakeDevice : public vx::IReadWriteDevice {
 public:
  FakeDevice(tvc::ITVCBinaryReader* reader, tvc::ITVCBinaryWriter* writer)
      : reader(reader), writer(writer) {}

  tvc::ITVCBinaryReader* GetReader() override {
    ++readerCalls;
    if (fail) throw std::runtime_error("device failure");
    return reader;
  }
  tvc::ITVCBinaryWriter* GetWriter() override {
    ++writerCalls;
    if (fail) throw std::runtime_error("device failure");
    return writer;
  }

  tvc::ITVCBinaryReader* reader;
  tvc::ITVCBinaryWriter* writer;
  int readerCalls = 0;
  int writerCalls = 0;
  bool fail = false;
};

/// "E8 03" -> the bytes E8 03; spaces are ignored.
inline std::string Bytes(const std::string& hex) {
  std::string out;
  int high = -1;
  for (char c : hex) {
    if (c == ' ') continue;
    const int v = c <= '9' ? c - '0' : c - 'A' + 10;
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<char>(high << 4 | v));
      high = -1;
    }
  }
  return out;
}

/// The bytes of `raw` as upper-case hex text, two characters per byte.
inline std::string Hex(const std::string& raw) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : raw) {
    out.push_back(digits[c >> 4]);
    out.push_back(digits[c & 15]);
  }
  return out;
}

/// `n` bytes of a pattern that covers every byte value.
inline std::string Pattern(size_t n) {
  std::string out(n, '\0');
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
  return out;
}

}  // namespace vxtest

#endif  // VEXLO_TESTS_STREAMS_STREAMFAKES_H
