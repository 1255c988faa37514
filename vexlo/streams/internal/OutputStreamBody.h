#ifndef VEXLO_STREAMS_INTERNAL_OUTPUTSTREAMBODY_H
#define VEXLO_STREAMS_INTERNAL_OUTPUTSTREAMBODY_H

/// \file
/// Internal: the body that the two output streams share. Each member of
/// `CBinaryOutputStream` and `CPortableOutputStream` is one line of its .cpp
/// that builds an `OutputStreamBody` over its writer and count and calls the
/// body's member of the same name; everything inline, so a put costs what
/// writing its bytes costs.

#include <cstddef>
#include <cstdint>

#include "vexlo/internal/ByteOrder.h"
#include "vexlo/tvc/ITVCBinaryWriter.h"

namespace vx {
namespace detail {

static_assert(sizeof(short) == 2 && sizeof(int) == 4 && sizeof(double) == 8,
              "the formats' widths are those of the host's types, except for long");

/// The puts of an output stream whose format is `Format`, a type with
///
///     // counts the n bytes at `bytes` and writes them in the format, with
///     // one Write; the two formats differ in when the count moves
///     static void Write(tvc::ITVCBinaryWriter* writer, size_t& byteCount,
///                       const unsigned char* bytes, size_t n);
///
/// The widths of `tvc::ITVCOutStream` are kept here: each put hands
/// `Format::Write` its value's bytes, least significant first, at the width
/// of the value the format carries.
template <class Format>
class OutputStreamBody {
 public:
  /// Puts to `writer`, counting in `byteCount`.
  OutputStreamBody(tvc::ITVCBinaryWriter* writer, size_t& byteCount) noexcept
      : writer_(writer), byteCount_(byteCount) {}

  void PutChar(char value) { Put(value); }
  void PutBYTE(unsigned char value) { Put(value); }
  void PutInt(int value) { Put(value); }
  void PutUint(unsigned int value) { Put(value); }
  void PutShort(short value) { Put(value); }
  void PutLong(long value) { Put(static_cast<std::int32_t>(value)); }
  void PutDWORD(unsigned long value) { Put(static_cast<std::uint32_t>(value)); }
  void PutWORD(unsigned short value) { Put(value); }
  void PutDouble(double value) { Put(value); }
  void PutInt64(const std::int64_t& value) { Put(value); }
  void PutUint64(const std::uint64_t& value) { Put(value); }
  void PutSizet(size_t value) { Put(static_cast<std::uint64_t>(value)); }
  void PutN(const void* data, size_t count) {
    Format::Write(writer_, byteCount_, static_cast<const unsigned char*>(data), count);
  }

 private:
  // On a little-endian host the bytes handed on are `value`'s own memory,
  // the caller's variable itself for the puts that take a reference.
  template <class T>
  void Put(const T& value) {
    WithLittleEndianBytes(value, [this](const unsigned char* bytes) {
      Format::Write(writer_, byteCount_, bytes, sizeof(T));
    });
  }

  tvc::ITVCBinaryWriter* writer_;
  size_t& byteCount_;
};

}  // namespace detail
}  // namespace vx

#endif  // VEXLO_STREAMS_INTERNAL_OUTPUTSTREAMBODY_H
