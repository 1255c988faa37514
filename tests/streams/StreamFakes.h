#ifndef VEXLO_TESTS_STREAMS_STREAMFAKES_H
#define VEXLO_TESTS_STREAMS_STREAMFAKES_H

// Channels for the stream tests (a writer that records every call and can be
// told to throw, a reader over a string that scribbles over its buffer before
// it throws), the two formats' encodings of raw bytes, and a table of the
// input interface's gets.

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "vexlo/streams/CBinaryInputStream.h"
#include "vexlo/streams/CBinaryOutputStream.h"
#include "vexlo/streams/CPortableInputStream.h"
#include "vexlo/streams/CPortableOutputStream.h"
#include "vexlo/tvc/TVCBufferUnderrunException.h"

namespace vxtest {

struct WriterFailure : std::runtime_error {
  WriterFailure() : std::runtime_error("writer failure") {}
};

class RecordingWriter : public tvc::ITVCBinaryWriter {
 public:
  void Write(const void* data, size_t count) override {
    if (failNext) failNext = false, throw WriterFailure();
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
  bool failNext = false;
};

/// A read beyond the end fills the buffer with 0xEE, then throws without advancing.
class StringReader : public tvc::ITVCBinaryReader {
 public:
  explicit StringReader(std::string text = {}) : content(std::move(text)) { sizes.reserve(64); }
  void Read(void* buffer, size_t count) override {
    sizes.push_back(count);
    if (count > content.size() - position) {
      if (count != 0) std::memset(buffer, 0xEE, count);
      throw tvc::TVCBufferUnderrunException();
    }
    if (count != 0) std::memcpy(buffer, content.data() + position, count);
    position += count;
  }
  std::string content;
  size_t position = 0;
  std::vector<size_t> sizes;
};

/// "E8 03" -> the two bytes E8 03.
inline std::string Unhex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += hex[i + 2] == ' ' ? 3 : 2) {
    out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return out;
}

inline std::string Hex(const std::string& raw) {
  std::string out;
  for (unsigned char c : raw) out += "0123456789ABCDEF"[c >> 4], out += "0123456789ABCDEF"[c & 15];
  return out;
}

/// `n` bytes covering every byte value.
inline std::string Sample(size_t n) {
  std::string out(n, '\0');
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
  return out;
}

struct BinaryFormat {
  using Out = vx::CBinaryOutputStream;
  using In = vx::CBinaryInputStream;
  static std::string Encode(const std::string& raw) { return raw; }
  static constexpr size_t kCharsPerByte = 1;
  static constexpr size_t kStackBlock = 4096;  // largest GetN read without allocating
  static constexpr bool kCountsBeforeWriting = false;
};

struct PortableFormat {
  using Out = vx::CPortableOutputStream;
  using In = vx::CPortableInputStream;
  static std::string Encode(const std::string& raw) { return Hex(raw); }
  static constexpr size_t kCharsPerByte = 2;
  static constexpr size_t kStackBlock = 2048;
  static constexpr bool kCountsBeforeWriting = true;
};

/// Names typed-test instantiations (and gives the macro the argument that
/// Clang's pedantic mode asks for).
struct FormatNames {
  template <class Format>
  static std::string GetName(int) {
    return Format::kCharsPerByte == 1 ? "Binary" : "Portable";
  }
};

/// One get of the input interface: its width in bytes, and the call into a
/// destination of its type.
struct GetCase {
  size_t width;
  void (*get)(tvc::ITVCInStream&, void*);
};

template <class T, void (tvc::ITVCInStream::*Get)(T&)>
GetCase Case(size_t width) {
  return {width, [](tvc::ITVCInStream& s, void* p) { (s.*Get)(*static_cast<T*>(p)); }};
}

inline const std::vector<GetCase>& AllGets() {
  using In = tvc::ITVCInStream;
  // clang-format off
  static const std::vector<GetCase> all = {
      Case<bool, &In::GetBool>(1), Case<char, &In::GetChar>(1),
      Case<unsigned char, &In::GetBYTE>(1), Case<short, &In::GetShort>(2),
      Case<unsigned short, &In::GetWORD>(2), Case<int, &In::GetInt>(4),
      Case<unsigned int, &In::GetUint>(4), Case<long, &In::GetLong>(4),
      Case<unsigned long, &In::GetDWORD>(4), Case<double, &In::GetDouble>(8),
      Case<std::int64_t, &In::GetInt64>(8), Case<std::uint64_t, &In::GetUint64>(8),
      Case<size_t, &In::GetSizet>(8), {5, [](tvc::ITVCInStream& s, void* p) { s.GetN(p, 5); }}};
  // clang-format on
  return all;
}

/// The value of one get: `Read<int, &tvc::ITVCInStream::GetInt>(in)`.
template <class T, void (tvc::ITVCInStream::*Get)(T&)>
T Read(tvc::ITVCInStream& s) {
  T value{};
  (s.*Get)(value);
  return value;
}

/// The what() of the exception `f` throws.
template <class F>
std::string WhatOf(F f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "no exception";
}

}  // namespace vxtest

#endif  // VEXLO_TESTS_STREAMS_STREAMFAKES_H
