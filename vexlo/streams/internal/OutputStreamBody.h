#ifndef VEXLO_STREAMS_INTERNAL_OUTPUTSTREAMBODY_H
#define VEXLO_STREAMS_INTERNAL_OUTPUTSTREAMBODY_H

/// \file
/// Internal to the library's streams: the body that the two output streams,
/// `CBinaryOutputStream` and `CPortableOutputStream`, share. Each has one
/// private member that takes a value's bytes, least significant first, and
/// puts them on the channel in its format with one `Write` (`Put` and
/// `WriteType`); everything around it is written once, here:
///
/// - `VX_DEFINE_OUTPUT_STREAM_MEMBERS(Stream, WriteBytes)` defines in the
///   stream's .cpp the constructors from a writer pointer and from a device,
///   the destructor, every put but `PutBool` (the fixed-width values through
///   `PutLittleEndian`, `long` cut to 32 bits and `size_t` carried as 64),
///   `PutN`, `Tell` and `IsMeasure`. The stream's .cpp defines `WriteBytes`
///   and `PutBool`.

#include <cstddef>
#include <cstdint>

#include "vexlo/streams/internal/ByteOrder.h"

namespace vx {
namespace detail {

/// Hands the bytes of `value`, least significant first, to `(stream.*write)`
/// with the value's width: on a little-endian host the memory of `value`
/// itself, elsewhere a converted copy.
template <class Stream, class Bytes, class T>
void PutLittleEndian(Stream& stream, void (Stream::*write)(Bytes, size_t), const T& value) {
  WithLittleEndianBytes(value,
                        [&](const unsigned char* bytes) { (stream.*write)(bytes, sizeof value); });
}

}  // namespace detail
}  // namespace vx

/// Defines the members of output stream class `Stream` that do not depend on
/// its format (see the file comment), in namespace `vx`; `WriteBytes` names
/// its private member that writes a value's bytes.
#define VX_DEFINE_OUTPUT_STREAM_MEMBERS(Stream, WriteBytes)                                       \
 Stream::Stream(tvc::ITVCBinaryWriter* writer) : writer(writer), byteCount(0) {}                  \
 Stream::Stream(IReadWriteDevice& device) : writer(device.GetWriter()), byteCount(0) {}           \
 Stream::Stream(IReadWriteDevice* device) : Stream(*device) {}                                    \
 Stream::~Stream() = default;                                                                     \
                                                                                                  \
 void Stream::PutChar(char value) { detail::PutLittleEndian(*this, &Stream::WriteBytes, value); } \
 void Stream::PutBYTE(unsigned char value) {                                                      \
  detail::PutLittleEndian(*this, &Stream::WriteBytes, value);                                     \
 }                                                                                                \
 void Stream::PutInt(int value) { detail::PutLittleEndian(*this, &Stream::WriteBytes, value); }   \
 void Stream::PutUint(unsigned int value) {                                                       \
  detail::PutLittleEndian(*this, &Stream::WriteBytes, value);                                     \
 }                                                                                                \
 void Stream::PutShort(short value) {                                                             \
  detail::PutLittleEndian(*this, &Stream::WriteBytes, value);                                     \
 }                                                                                                \
 void Stream::PutLong(long value) {                                                               \
  const std::int32_t narrow = static_cast<std::int32_t>(value);                                   \
  detail::PutLittleEndian(*this, &Stream::WriteBytes, narrow);                                    \
 }                                                                                                \
 void Stream::PutDWORD(unsigned long value) {                                                     \
  const std::uint32_t narrow = static_cast<std::uint32_t>(value);                                 \
  detail::PutLittleEndian(*this, &Stream::WriteBytes, narrow);                                    \
 }                                                                                                \
 void Stream::PutWORD(unsigned short value) {                                                     \
  detail::PutLittleEndian(*this, &Stream::WriteBytes, value);                                     \
 }                                                                                                \
 void Stream::PutDouble(double value) {                                                           \
  detail::PutLittleEndian(*this, &Stream::WriteBytes, value);                                     \
 }                                                                                                \
 void Stream::PutInt64(const std::int64_t& value) {                                               \
  detail::PutLittleEndian(*this, &Stream::WriteBytes, value);                                     \
 }                                                                                                \
 void Stream::PutUint64(const std::uint64_t& value) {                                             \
  detail::PutLittleEndian(*this, &Stream::WriteBytes, value);                                     \
 }                                                                                                \
 void Stream::PutSizet(size_t value) {                                                            \
  const std::uint64_t wide = value;                                                               \
  detail::PutLittleEndian(*this, &Stream::WriteBytes, wide);                                      \
 }                                                                                                \
 void Stream::PutN(const void* data, size_t count) {                                              \
  WriteBytes(static_cast<const unsigned char*>(data), count);                                     \
 }                                                                                                \
 size_t Stream::Tell() { return byteCount; }                                                      \
 bool Stream::IsMeasure() { return false; }

#endif  // VEXLO_STREAMS_INTERNAL_OUTPUTSTREAMBODY_H
