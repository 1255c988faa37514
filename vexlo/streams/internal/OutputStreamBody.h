#ifndef VEXLO_STREAMS_INTERNAL_OUTPUTSTREAMBODY_H
#define VEXLO_STREAMS_INTERNAL_OUTPUTSTREAMBODY_H

/// \file
/// Internal to the library's streams: the body that the two output streams,
/// `CBinaryOutputStream` and `CPortableOutputStream`, share. They differ in
/// how a value's bytes, least significant first, go onto the channel with
/// one `Write`, which each says in its `Format`:
///
///     // counts the n bytes at `bytes` and writes them in the format
///     static void Write(tvc::ITVCBinaryWriter* writer, size_t& byteCount,
///                       const unsigned char* bytes, size_t n);
///
/// and everything around it is written once, here:
/// `VX_DEFINE_OUTPUT_STREAM_MEMBERS(Stream, Format)` defines in the stream's
/// .cpp the constructors from a writer pointer and from a device, the
/// destructor, every put but `PutBool` (the fixed-width values through
/// `PutLittleEndian`, `long` cut to 32 bits and `size_t` carried as 64),
/// `PutN`, `Tell` and `IsMeasure`. The stream's .cpp defines its `Format`,
/// `PutBool` and its exported writer of bytes (`Put`, `WriteType`), which
/// the puts do not call: the compiler could not inline a call to an exported
/// function, which goes through the library's symbol table.

#include <cstddef>
#include <cstdint>

#include "vexlo/internal/ByteOrder.h"
#include "vexlo/tvc/ITVCBinaryWriter.h"

namespace vx {
namespace detail {

/// Hands the bytes of `value`, least significant first, to `Format::Write`
/// with the value's width: on a little-endian host the memory of `value`
/// itself, elsewhere a converted copy.
template <class Format, class T>
void PutLittleEndian(tvc::ITVCBinaryWriter* writer, size_t& byteCount, const T& value) {
  WithLittleEndianBytes(value, [&](const unsigned char* bytes) {
    Format::Write(writer, byteCount, bytes, sizeof value);
  });
}

}  // namespace detail
}  // namespace vx

/// Defines the members of output stream class `Stream` that do not depend on
/// its format (see the file comment), in namespace `vx`; `Format` names its
/// format type.
#define VX_DEFINE_OUTPUT_STREAM_MEMBERS(Stream, Format)                                            \
 Stream::Stream(tvc::ITVCBinaryWriter* writer) : writer(writer), byteCount(0) {}                   \
 Stream::Stream(IReadWriteDevice& device) : writer(device.GetWriter()), byteCount(0) {}            \
 Stream::Stream(IReadWriteDevice* device) : Stream(*device) {}                                     \
 Stream::~Stream() = default;                                                                      \
                                                                                                   \
 void Stream::PutChar(char value) { detail::PutLittleEndian<Format>(writer, byteCount, value); }   \
 void Stream::PutBYTE(unsigned char value) {                                                       \
  detail::PutLittleEndian<Format>(writer, byteCount, value);                                       \
 }                                                                                                 \
 void Stream::PutInt(int value) { detail::PutLittleEndian<Format>(writer, byteCount, value); }     \
 void Stream::PutUint(unsigned int value) {                                                        \
  detail::PutLittleEndian<Format>(writer, byteCount, value);                                       \
 }                                                                                                 \
 void Stream::PutShort(short value) { detail::PutLittleEndian<Format>(writer, byteCount, value); } \
 void Stream::PutLong(long value) {                                                                \
  const std::int32_t narrow = static_cast<std::int32_t>(value);                                    \
  detail::PutLittleEndian<Format>(writer, byteCount, narrow);                                      \
 }                                                                                                 \
 void Stream::PutDWORD(unsigned long value) {                                                      \
  const std::uint32_t narrow = static_cast<std::uint32_t>(value);                                  \
  detail::PutLittleEndian<Format>(writer, byteCount, narrow);                                      \
 }                                                                                                 \
 void Stream::PutWORD(unsigned short value) {                                                      \
  detail::PutLittleEndian<Format>(writer, byteCount, value);                                       \
 }                                                                                                 \
 void Stream::PutDouble(double value) {                                                            \
  detail::PutLittleEndian<Format>(writer, byteCount, value);                                       \
 }                                                                                                 \
 void Stream::PutInt64(const std::int64_t& value) {                                                \
  detail::PutLittleEndian<Format>(writer, byteCount, value);                                       \
 }                                                                                                 \
 void Stream::PutUint64(const std::uint64_t& value) {                                              \
  detail::PutLittleEndian<Format>(writer, byteCount, value);                                       \
 }                                                                                                 \
 void Stream::PutSizet(size_t value) {                                                             \
  const std::uint64_t wide = value;                                                                \
  detail::PutLittleEndian<Format>(writer, byteCount, wide);                                        \
 }                                                                                                 \
 void Stream::PutN(const void* data, size_t count) {                                               \
  Format::Write(writer, byteCount, static_cast<const unsigned char*>(data), count);                \
 }                                                                                                 \
 size_t Stream::Tell() { return byteCount; }                                                       \
 bool Stream::IsMeasure() { return false; }

#endif  // VEXLO_STREAMS_INTERNAL_OUTPUTSTREAMBODY_H
